#include "sor/sor_strings.h"

#include <initializer_list>

#include "record/fill_in.h"

namespace tracelink::sor {

namespace {

constexpr SorProblemStrings kEnglish{
    .where = "block {0}, field {1}, offset {2}: {3}",
    .exportRefused = "cannot export as SOR: {0}",
    .fileEmpty = "the file is empty",
    .fieldTooShort = "needs {0} bytes, the block has {1} left",
    .noNul = "the string has no NUL before the block ends",
    .countTooLarge = "{0} {1} need {2} bytes, {3} remain",
    .mapVersion = "version {0} is neither 1xx nor 2xx",
    .notAMap = "the file starts with neither \"Map\" nor a version-1 map",
    .mapPastEnd = "the Map claims {0} bytes, the file has {1}",
    .mapTooSmall = "a Map of {0} bytes cannot hold its own header",
    .noBlocks = "the count is 0",
    .blockNameMismatch = "the block starts with \"{0}\"",
    .blockPastEnd = "the block's size {0} runs past the end of the file ({1} bytes remain)",
    .recordTooShort = "needs {0} bytes, {1} remain",
    .recordFormat = "format {0} is not 1",
    .blockCount = "block count {0} is outside 1..15",
    .recordTopLevel = "the top level {0} is not a word",
    .recordPointsOutside = "points {0}..{1} lie outside the record",
    .recordPointsMismatch = "{0} points do not match the file's DataPts",
    .recordOtherWords = "{0} words, the record needs {1}",
    .recordLevelMismatch = "DataPts point {0} does not hold a level of the record",
    .exportNotAscii = "{0} holds a character that is not printable ASCII",
    .exportDate = "the date {0} lies outside 1970..2106",
    .exportNoSamples =
        "the trace has no samples to export (StartPoint {0} is not below RangeLine {1})",
    .exportWordOutside = "record position {0} holds {1}, outside 0..65535",
    .editNoGenParams = "the file has no GenParams block to hold the cable and fibre",
    .blockEntries = "block entries",
    .pulseWidths = "pulse widths",
    .events = "events",
    .traces = "traces",
    .points = "points",
    .cable = "the cable ID",
    .fiber = "the fiber ID",
    .operatorName = "the operator",
    .locationA = "location A",
    .locationB = "location B",
    .comment = "the comment",
};

// Block and field names are the format's own and stay as they are in every language.
constexpr SorProblemStrings kChinese{
    .where = "块 {0}，字段 {1}，偏移 {2}：{3}",
    .exportRefused = "无法导出为SOR：{0}",
    .fileEmpty = "文件为空",
    .fieldTooShort = "需要 {0} 字节，块中仅剩 {1} 字节",
    .noNul = "字符串在块结束前没有 NUL 结尾",
    .countTooLarge = "{0} 个{1}需要 {2} 字节，仅剩 {3} 字节",
    .mapVersion = "版本 {0} 既不是 1xx 也不是 2xx",
    .notAMap = "文件开头既不是“Map”也不是第 1 版的 Map",
    .mapPastEnd = "Map 声明 {0} 字节，文件只有 {1} 字节",
    .mapTooSmall = "{0} 字节的 Map 容纳不下它自己的头部",
    .noBlocks = "块数为 0",
    .blockNameMismatch = "块以“{0}”开头",
    .blockPastEnd = "块大小 {0} 超出文件末尾（仅剩 {1} 字节）",
    .recordTooShort = "需要 {0} 字节，仅剩 {1} 字节",
    .recordFormat = "格式 {0} 不是 1",
    .blockCount = "块数 {0} 不在 1..15 之内",
    .recordTopLevel = "最高电平 {0} 不是 16 位字",
    .recordPointsOutside = "数据点 {0}..{1} 超出记录范围",
    .recordPointsMismatch = "{0} 个数据点与文件的 DataPts 不符",
    .recordOtherWords = "{0} 个字，记录需要 {1} 个",
    .recordLevelMismatch = "DataPts 第 {0} 点不是记录中的电平",
    .exportNotAscii = "{0}含有不可打印或非ASCII的字符",
    .exportDate = "日期 {0} 超出 1970..2106",
    .exportNoSamples = "曲线没有可导出的采样点（StartPoint {0} 不小于 RangeLine {1}）",
    .exportWordOutside = "记录位置 {0} 的值为 {1}，超出 0..65535",
    .editNoGenParams = "文件没有可写入光缆和光纤信息的 GenParams 块",
    .blockEntries = "块条目",
    .pulseWidths = "脉宽",
    .events = "事件",
    .traces = "曲线",
    .points = "数据点",
    .cable = "光缆编号",
    .fiber = "光纤编号",
    .operatorName = "操作员",
    .locationA = "A端位置",
    .locationB = "B端位置",
    .comment = "备注",
};

std::string_view itemsWord(SorItems items, const SorProblemStrings& s) {
  switch (items) {
    case SorItems::BlockEntries:
      return s.blockEntries;
    case SorItems::PulseWidths:
      return s.pulseWidths;
    case SorItems::Events:
      return s.events;
    case SorItems::Traces:
      return s.traces;
    case SorItems::Points:
      break;
  }
  return s.points;
}

std::string_view textName(SorText text, const SorProblemStrings& s) {
  switch (text) {
    case SorText::Cable:
      return s.cable;
    case SorText::Fiber:
      return s.fiber;
    case SorText::Operator:
      return s.operatorName;
    case SorText::LocationA:
      return s.locationA;
    case SorText::LocationB:
      return s.locationB;
    case SorText::Comment:
      break;
  }
  return s.comment;
}

// What is wrong, without where.
std::string what(const SorProblem& p, const SorProblemStrings& s) {
  const std::string a = std::to_string(p.a);
  const std::string b = std::to_string(p.b);
  const std::string c = std::to_string(p.c);
  switch (p.code) {
    case SorCode::FileEmpty:
      return std::string(s.fileEmpty);
    case SorCode::FieldTooShort:
      return fillIn(s.fieldTooShort, {a, b});
    case SorCode::NoNul:
      return std::string(s.noNul);
    case SorCode::CountTooLarge:
      return fillIn(s.countTooLarge, {a, itemsWord(p.items, s), b, c});
    case SorCode::MapVersion:
      return fillIn(s.mapVersion, {a});
    case SorCode::NotAMap:
      return std::string(s.notAMap);
    case SorCode::MapPastEnd:
      return fillIn(s.mapPastEnd, {a, b});
    case SorCode::MapTooSmall:
      return fillIn(s.mapTooSmall, {a});
    case SorCode::NoBlocks:
      return std::string(s.noBlocks);
    case SorCode::BlockNameMismatch:
      return fillIn(s.blockNameMismatch, {p.found});
    case SorCode::BlockPastEnd:
      return fillIn(s.blockPastEnd, {a, b});
    case SorCode::RecordTooShort:
      return fillIn(s.recordTooShort, {a, b});
    case SorCode::RecordFormat:
      return fillIn(s.recordFormat, {a});
    case SorCode::RecordBlockCount:
    case SorCode::ExportBlockCount:
      return fillIn(s.blockCount, {a});
    case SorCode::RecordTopLevel:
      return fillIn(s.recordTopLevel, {a});
    case SorCode::RecordPointsOutside:
      return fillIn(s.recordPointsOutside, {a, b});
    case SorCode::RecordPointsMismatch:
      return fillIn(s.recordPointsMismatch, {a});
    case SorCode::RecordOtherWords:
      return fillIn(s.recordOtherWords, {a, b});
    case SorCode::RecordLevelMismatch:
      return fillIn(s.recordLevelMismatch, {a});
    case SorCode::ExportNotAscii:
      return fillIn(s.exportNotAscii, {textName(p.text, s)});
    case SorCode::ExportDate:
      return fillIn(s.exportDate, {a});
    case SorCode::ExportNoSamples:
      return fillIn(s.exportNoSamples, {a, b});
    case SorCode::EditNoGenParams:
      return std::string(s.editNoGenParams);
    case SorCode::ExportWordOutside:
      break;
  }
  return fillIn(s.exportWordOutside, {a, b});
}

}  // namespace

const SorProblemStrings& sorProblemStrings(Language language) {
  return language == Language::Chinese ? kChinese : kEnglish;
}

std::string problemText(const SorProblem& problem, Language language) {
  const SorProblemStrings& s = sorProblemStrings(language);
  const std::string reason = what(problem, s);
  if (isExportCode(problem.code)) return fillIn(s.exportRefused, {reason});
  return fillIn(s.where, {problem.block, problem.field, std::to_string(problem.offset), reason});
}

std::string problemReason(const SorProblem& problem, Language language) {
  return what(problem, sorProblemStrings(language));
}

std::string englishText(const SorProblem& problem) {
  return problemText(problem, Language::English);
}

std::string checksumText(const ChecksumReport& report, Language language) {
  if (language == Language::English) return checksumText(report);
  std::string variant;
  switch (report.variant) {
    case ChecksumVariant::Standard:
      break;
    case ChecksumVariant::StartZero:
      variant = "起始值 0";
      break;
    case ChecksumVariant::BeforeBlock:
      variant = "Cksum 块之前";
      break;
    case ChecksumVariant::StartZeroBeforeBlock:
      variant = "起始值 0，Cksum 块之前";
      break;
  }
  switch (report.status) {
    case ChecksumStatus::Ok:
      return "正确";
    case ChecksumStatus::OkVariant:
      return "正确（" + variant + "）";
    case ChecksumStatus::NotSet:
      return "未设置";
    case ChecksumStatus::Mismatch:
      return "不符";
    case ChecksumStatus::Missing:
      break;
  }
  return "缺失";
}

}  // namespace tracelink::sor
