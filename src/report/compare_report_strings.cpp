#include "report/compare_report_strings.h"

namespace tracelink {

namespace {

CompareReportStrings english() {
  CompareReportStrings s;
  s.overlayTitle = QStringLiteral("Trace Comparison");
  s.bidirTitle = QStringLiteral("Two-Direction Analysis");
  s.view = QStringLiteral("Distance {0} m to {1} m");
  s.file = QStringLiteral("File");
  s.wavelength = QStringLiteral("Wavelength (nm)");
  s.pulse = QStringLiteral("Pulse (ns)");
  s.date = QStringLiteral("Date");
  s.offset = QStringLiteral("Offset (dB)");
  s.markers = QStringLiteral("Markers: A at {0} m, B at {1} m");
  s.levelA = QStringLiteral("A (dB)");
  s.levelB = QStringLiteral("B (dB)");
  s.loss = QStringLiteral("Loss A-B (dB)");
  s.lsa = QStringLiteral("LSA (dB/km)");
  s.noMeasure = QStringLiteral("not measured: {0}");
  s.fromA = QStringLiteral("A: {0} (from end A)");
  s.fromB = QStringLiteral("B: {0} (from end B, mirrored)");
  s.moreEvents = QStringLiteral("{0} more events not shown");
  s.warnings = QStringLiteral("Warnings:");
  return s;
}

CompareReportStrings chinese() {
  CompareReportStrings s;
  s.overlayTitle = QStringLiteral("曲线对比");
  s.bidirTitle = QStringLiteral("双向分析");
  s.view = QStringLiteral("距离 {0} m 至 {1} m");
  s.file = QStringLiteral("文件");
  s.wavelength = QStringLiteral("波长 (nm)");
  s.pulse = QStringLiteral("脉宽 (ns)");
  s.date = QStringLiteral("日期");
  s.offset = QStringLiteral("偏移 (dB)");
  s.markers = QStringLiteral("标记：A 位于 {0} m，B 位于 {1} m");
  s.levelA = QStringLiteral("A (dB)");
  s.levelB = QStringLiteral("B (dB)");
  s.loss = QStringLiteral("A-B 损耗 (dB)");
  s.lsa = QStringLiteral("LSA (dB/km)");
  s.noMeasure = QStringLiteral("无法测量：{0}");
  s.fromA = QStringLiteral("A：{0}（自 A 端测试）");
  s.fromB = QStringLiteral("B：{0}（自 B 端测试，已镜像）");
  s.moreEvents = QStringLiteral("另有 {0} 个事件未列出");
  s.warnings = QStringLiteral("警告：");
  return s;
}

}  // namespace

const CompareReportStrings& compareReportStrings(Language language) {
  static const CompareReportStrings kEnglish = english();
  static const CompareReportStrings kChinese = chinese();
  return language == Language::English ? kEnglish : kChinese;
}

}  // namespace tracelink
