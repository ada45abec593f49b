#include "report/report_strings.h"

#include "record/fill_in.h"

namespace tracelink {

namespace {

ReportStrings english() {
  ReportStrings s;
  s.printerSet = {
      .caption = "VT520X Print Setting",
      .frame1 = "User Setting",
      .frame2 = "Printer Setting",
      .label1 = "Device name:",
      .label2 = "Cable No.:",
      .label3 = "Fiber No.:",
      .label4 = "Operator:",
      .label5 = "Time:",
      .label6 = "Fiber type:",
      .label7 = "Select Printer",
      .command1 = "Preview",
      .text1 = "VT520X",
      .text2 = "00088",
      .text3 = "000999",
      .text4 = "Single Mode",
      .text5 = "TE Marlow",
  };
  s.page = {
      .title = "OTDR Report",
      .operatorCaption = "Operator:",
      .fiberTypeCaption = "Fiber type:",
      .deviceNameCaption = "Device name:",
      .cableNoCaption = "Cable No.:",
      .fiberNoCaption = "Fiber No.:",
      .timeCaption = "Time:",
      .wavelength = "Wave:1310nm",
      .plotCaption = "Trace:",
      .eventsTitle = "Events list",
      .typeColumn = "Event type",
      // Another maker's trace on the page ("viewer").
      .wavelengthCaption = "Wave:",
  };
  s.preview = {
      .caption = "VT520X Print Preview",
      .command1 = "Print",
      .label1Prefix = "Printer",
      .label1Suffix = "      pageA4(21cmx29.7cm)",
      .sentTo = "The report was sent to the printer \"{0}\".",
      .notPrinted = "The report was not printed on \"{0}\": {1}",
      .noPrinter = "No printer is installed, so the report was not printed.",
      .noDefault =
          "No printer is chosen and the system has no default printer; choose one in "
          "the print settings.",
      .notInstalled = "the printer is not installed",
      .cannotOpen = "the printer could not be opened",
      .cannotStart = "the print job could not be started",
      .cannotFinish = "the print job could not be completed",
      .refused = "the print system refused the job ({0})",
      .savePdf = "Save PDF…",
      .saveCaption = "Save PDF",
      .pdfFilter = "PDF (*.pdf)",
      .pdfSaved = "The report was saved as \"{0}\".",
      .pdfNotSaved = "The report was not saved: {0}",
  };
  // The cable report.
  s.cable = {
      .title = "Cable acceptance report",
      .cableCaption = "Cable:",
      .operatorCaption = "Operator:",
      .dateCaption = "Date:",
      .limitsCaption = "Limits:",
      .counts = "{0} fibres: {1} passed, {2} failed",
      .badFiles = "Files not certified:",
      .continued = "(continued, page {0})",
      .fibreColumn = "Fibre",
      .fileColumn = "File",
      .foundColumn = "Found",
      .wavelengthColumn = "Wavelength (nm)",
      .lengthColumn = "Length (m)",
      .lossColumn = "Loss (dB)",
      .dbPerKmColumn = "dB/km",
      .eventsColumn = "Events",
      .worstSpliceColumn = "Worst splice (dB)",
      .worstConnectorColumn = "Worst connector (dB)",
      .worstReflectanceColumn = "Worst reflectance (dB)",
      .orlColumn = "ORL (dB)",
      .verdictColumn = "Verdict",
      .firstFailureColumn = "First failure",
      .fibreVerdict = "Fibre {0} at {1} nm: {2}, first failure: {3}",
      .fibreVerdictPass = "Fibre {0} at {1} nm: {2}",
      .hashLine = "SHA-256 {0} {1}",
      .bothEndsTitle = "Both directions at {0} nm",
      .fromA = "A to B",
      .fromB = "B to A",
      .averaged = "both directions averaged",
      .limitSplice = "splice at most {0} dB",
      .limitConnector = "connector at most {0} dB",
      .limitReflectance = "reflectance at most {0} dB",
      .limitAttenuation = "{0} nm at most {1} dB/km",
      .limitLink = "link loss at most {0} dB",
      .limitOrl = "ORL at least {0} dB",
      .limitLengthMin = "length at least {0} m",
      .limitLengthMax = "length at most {0} m",
      .limitBidirectional = "splices judged by the two-direction average",
      .noLimits = "nothing judged",
      .summarySheet = "Summary",
      .eventsSheet = "Events",
      .directionColumn = "Direction",
      .eventColumn = "Event",
      .distanceColumn = "Distance (m)",
      .typeColumn = "Type",
      .eventLossColumn = "Loss (dB)",
      .eventReflectanceColumn = "Reflectance (dB)",
      .itemColumn = "Judged as",
      .launch = "launch",
      .reflective = "reflective",
      .nonReflective = "non-reflective",
      .gainer = "gainer",
      .end = "end",
      .notJudged = "not judged",
  };
  return s;
}

ReportStrings chinese() {
  ReportStrings s;
  s.printerSet = {
      .caption = "VT520X v1.1 打印设置",
      .frame1 = "用户设置",
      .frame2 = "打印设置",
      .label1 = "设备名称：",
      .label2 = "光缆标号：",
      .label3 = "光纤标号：",
      .label4 = "操作员：",
      .label5 = "测量时间：",
      .label6 = "光纤类型：",
      .label7 = "打印机选择：",
      .command1 = "打印预览",
      .text1 = "VT520X光时域反射仪",
      .text2 = "00088",
      .text3 = "000999",
      .text4 = "常规单模光纤",
      .text5 = "林工",
  };
  s.page = {
      .title = "OTDR测试报告",
      .operatorCaption = "操作员：",
      .fiberTypeCaption = "光纤类型：",
      .deviceNameCaption = "设备名称：",
      .cableNoCaption = "光缆标号：",
      .fiberNoCaption = "光纤标号：",
      .timeCaption = "测量时间：",
      .wavelength = "波长：1310nm",
      .plotCaption = "曲线图：",
      .eventsTitle = "事件表",
      .typeColumn = "事件类型",
      // Another maker's trace on the page ("viewer").
      .wavelengthCaption = "波长：",
  };
  s.preview = {
      .caption = "VT520X v1.1 打印预览",
      .command1 = "打印",
      .label1Prefix = "打印机名称：",
      .label1Suffix = "      页面A4(21厘米x29.7厘米)",
      .sentTo = "报告已发送到打印机“{0}”。",
      .notPrinted = "报告未能在打印机“{0}”上打印：{1}",
      .noPrinter = "未找到安装的打印机，报告未打印。",
      .noDefault = "未选择打印机，系统也没有默认打印机；请在打印设置中选择打印机。",
      .notInstalled = "该打印机未安装",
      .cannotOpen = "无法打开该打印机",
      .cannotStart = "无法开始打印作业",
      .cannotFinish = "无法完成打印作业",
      .refused = "打印系统拒绝了该作业（{0}）",
      .savePdf = "保存PDF…",
      .saveCaption = "保存PDF",
      .pdfFilter = "PDF (*.pdf)",
      .pdfSaved = "报告已保存为“{0}”。",
      .pdfNotSaved = "报告未能保存：{0}",
  };
  // The cable report.
  s.cable = {
      .title = "光缆验收报告",
      .cableCaption = "光缆：",
      .operatorCaption = "操作员：",
      .dateCaption = "日期：",
      .limitsCaption = "验收标准：",
      .counts = "共{0}根光纤：{1}根合格，{2}根不合格",
      .badFiles = "未能验收的文件：",
      .continued = "（续，第{0}页）",
      .fibreColumn = "光纤",
      .fileColumn = "文件",
      .foundColumn = "已有方向与波长",
      .wavelengthColumn = "波长(nm)",
      .lengthColumn = "长度(m)",
      .lossColumn = "损耗(dB)",
      .dbPerKmColumn = "dB/km",
      .eventsColumn = "事件数",
      .worstSpliceColumn = "最大熔接损耗(dB)",
      .worstConnectorColumn = "最大连接器损耗(dB)",
      .worstReflectanceColumn = "最大反射(dB)",
      .orlColumn = "回波损耗(dB)",
      .verdictColumn = "结论",
      .firstFailureColumn = "首个不合格项",
      .fibreVerdict = "光纤{0}（{1} nm）：{2}，首个不合格项：{3}",
      .fibreVerdictPass = "光纤{0}（{1} nm）：{2}",
      .hashLine = "SHA-256 {0} {1}",
      .bothEndsTitle = "{0} nm 双向测试",
      .fromA = "A到B",
      .fromB = "B到A",
      .averaged = "双向平均",
      .limitSplice = "熔接不超过 {0} dB",
      .limitConnector = "连接器不超过 {0} dB",
      .limitReflectance = "反射不超过 {0} dB",
      .limitAttenuation = "{0} nm 不超过 {1} dB/km",
      .limitLink = "链路损耗不超过 {0} dB",
      .limitOrl = "回波损耗不低于 {0} dB",
      .limitLengthMin = "长度不短于 {0} m",
      .limitLengthMax = "长度不长于 {0} m",
      .limitBidirectional = "熔接按双向平均判定",
      .noLimits = "无判定项",
      .summarySheet = "汇总",
      .eventsSheet = "事件",
      .directionColumn = "方向",
      .eventColumn = "事件",
      .distanceColumn = "距离(m)",
      .typeColumn = "类型",
      .eventLossColumn = "损耗(dB)",
      .eventReflectanceColumn = "反射(dB)",
      .itemColumn = "判定项",
      .launch = "起始",
      .reflective = "反射事件",
      .nonReflective = "非反射事件",
      .gainer = "增益事件",
      .end = "末端",
      .notJudged = "未判定",
  };
  return s;
}

}  // namespace

const ReportStrings& reportStrings(Language language) {
  static const ReportStrings en = english();
  static const ReportStrings zh = chinese();
  return language == Language::English ? en : zh;
}

ReportHeader defaultReportHeader(Language language, const QDateTime& now) {
  const PrinterSetStrings& d = reportStrings(language).printerSet;
  return {d.text1, d.text2, d.text3,
          d.text4, d.text5, now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
}

QString describePrintAttempt(const PrintAttempt& attempt, Language language) {
  const PreviewStrings& s = reportStrings(language).preview;
  using Outcome = PrintAttempt::Outcome;
  switch (attempt.outcome) {
    case Outcome::Sent:
      return fillIn(s.sentTo, {attempt.printer});
    case Outcome::NoPrinter:
      return s.noPrinter;
    case Outcome::NoDefault:
      return s.noDefault;
    case Outcome::Failed:
      break;
  }
  QString reason;
  switch (attempt.spool.status) {
    case SpoolStatus::Accepted:  // not a failure; keep the sentence whole all the same
    case SpoolStatus::CannotFinish:
      reason = s.cannotFinish;
      break;
    case SpoolStatus::NotInstalled:
      reason = s.notInstalled;
      break;
    case SpoolStatus::CannotOpen:
      reason = s.cannotOpen;
      break;
    case SpoolStatus::CannotStart:
      reason = s.cannotStart;
      break;
    case SpoolStatus::Refused:
      reason = fillIn(s.refused, {attempt.spool.detail});
      break;
  }
  return fillIn(s.notPrinted, {attempt.printer, reason});
}

}  // namespace tracelink
