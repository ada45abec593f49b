#include "report/report_strings.h"

namespace tracelink {

namespace {

ReportStrings english() {
  ReportStrings s;
  s.printerSet = {"VT520X Print Setting",
                  "User Setting",
                  "Printer Setting",
                  "Device name:",
                  "Cable No.:",
                  "Fiber No.:",
                  "Operator:",
                  "Time:",
                  "Fiber type:",
                  "Select Printer",
                  "Preview",
                  "VT520X",
                  "00088",
                  "000999",
                  "Single Mode",
                  "TE Marlow"};
  s.page = {"OTDR Report", "Operator:",
            "Fiber type:", "Device name:",
            "Cable No.:",  "Fiber No.:",
            "Time:",       "IOR:",
            "Pluse:",      "AMP:",
            "Wave:1310nm", "Trace:",
            "Events list", {"No.", "Event type", "Dis(m)", "Loss(dB)", "IL(dB)"}};
  s.preview = {"VT520X Print Preview",
               "Print",
               "Printer",
               "      pageA4(21cmx29.7cm)",
               "The report was sent to the printer \"%1\".",
               "The report was not printed on \"%1\": %2",
               "No printer is installed, so the report was not printed.",
               "No printer is chosen and the system has no default printer; choose one in "
               "the print settings.",
               "the printer is not installed",
               "the printer could not be opened",
               "the print job could not be started",
               "the print job could not be completed",
               "the print system refused the job (%1)",
               "Save PDF…",
               "Save PDF",
               "PDF (*.pdf)",
               "The report was saved as \"%1\".",
               "The report was not saved: %1"};
  return s;
}

ReportStrings chinese() {
  ReportStrings s;
  s.printerSet = {"VT520X v1.1 打印设置",
                  "用户设置",
                  "打印设置",
                  "设备名称：",
                  "光缆标号：",
                  "光纤标号：",
                  "操作员：",
                  "测量时间：",
                  "光纤类型：",
                  "打印机选择：",
                  "打印预览",
                  "VT520X光时域反射仪",
                  "00088",
                  "000999",
                  "常规单模光纤",
                  "林工"};
  s.page = {"OTDR测试报告", "操作员：",
            "光纤类型：",   "设备名称：",
            "光缆标号：",   "光纤标号：",
            "测量时间：",   "折射率：",
            "脉宽：",       "增益：",
            "波长：1310nm", "曲线图：",
            "事件表",       {"序号", "事件类型", "距离(m)", "损耗(dB)", "插损(dB)"}};
  s.preview = {"VT520X v1.1 打印预览",
               "打印",
               "打印机名称：",
               "      页面A4(21厘米x29.7厘米)",
               "报告已发送到打印机“%1”。",
               "报告未能在打印机“%1”上打印：%2",
               "未找到安装的打印机，报告未打印。",
               "未选择打印机，系统也没有默认打印机；请在打印设置中选择打印机。",
               "该打印机未安装",
               "无法打开该打印机",
               "无法开始打印作业",
               "无法完成打印作业",
               "打印系统拒绝了该作业（%1）",
               "保存PDF…",
               "保存PDF",
               "PDF (*.pdf)",
               "报告已保存为“%1”。",
               "报告未能保存：%1"};
  return s;
}

}  // namespace

const ReportStrings& reportStrings(Language language) {
  static const ReportStrings en = english();
  static const ReportStrings zh = chinese();
  return language == Language::English ? en : zh;
}

QString describePrintAttempt(const PrintAttempt& attempt, Language language) {
  const PreviewStrings& s = reportStrings(language).preview;
  using Outcome = PrintAttempt::Outcome;
  switch (attempt.outcome) {
    case Outcome::Sent:
      return s.sentTo.arg(attempt.printer);
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
      reason = s.refused.arg(attempt.spool.detail);
      break;
  }
  return s.notPrinted.arg(attempt.printer, reason);
}

}  // namespace tracelink
