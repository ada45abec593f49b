#include "cable/cable_strings.h"

#include <cmath>

#include "record/fill_in.h"
#include "trace/trace_csv.h"

namespace tracelink::cable {

namespace {

// In a pattern {0}, {1}, ... stand for the values named in the comment, in that order.
struct CableStrings {
  // Judged items: distance (m), value, comparison sign, limit.
  std::string_view splice;
  std::string_view gainer;  // distance, value (negative), sign, limit (by its magnitude)
  std::string_view connector;
  std::string_view reflectance;
  std::string_view section;        // distance, dB/km, sign, limit, wavelength (nm)
  std::string_view linkLoss;       // value, sign, limit
  std::string_view orl;            // value, sign, limit
  std::string_view orlUnmeasured;  // limit
  std::string_view length;         // value, sign, limit
  // Where the item was seen: appended as {0} item, {1} end.
  std::string_view fromEnd;
  std::string_view average;  // {0} item
  std::string_view pass;
  std::string_view fail;
  // A refused limits file: {0} file, {1} key, {2} byte offset.
  std::string_view notJson;
  std::string_view notAnObject;  // the document
  std::string_view keyNotAnObject;
  std::string_view missingName;
  std::string_view notANumber;
  std::string_view notABoolean;
  std::string_view notAString;
  std::string_view notAWavelength;
  std::string_view outOfRange;
  std::string_view unknownKey;
  std::string_view duplicateKey;
  std::string_view minAboveMax;
};

constexpr CableStrings kEnglish{
    .splice = "splice at {0} m: {1} dB {2} {3} dB",
    .gainer = "gainer at {0} m: {1} dB, magnitude {2} {3} dB",
    .connector = "connector at {0} m: {1} dB {2} {3} dB",
    .reflectance = "reflectance at {0} m: {1} dB {2} {3} dB",
    .section = "section from {0} m: {1} dB/km {2} {3} dB/km at {4} nm",
    .linkLoss = "link loss: {0} dB {1} {2} dB",
    .orl = "ORL: {0} dB {1} {2} dB",
    .orlUnmeasured = "ORL: not measured, at least {0} dB required",
    .length = "length: {0} m {1} {2} m",
    .fromEnd = "{0} (from {1})",
    .average = "{0} (average of both directions)",
    .pass = "pass",
    .fail = "fail",
    .notJson = "{0}: not a JSON document (byte {2})",
    .notAnObject = "{0}: the limits must be a JSON object {...} (byte {2})",
    .keyNotAnObject = "{0}: \"{1}\" must be an object of wavelengths {...} (byte {2})",
    .missingName = "{0}: the limits have no \"name\" (byte {2})",
    .notANumber = "{0}: \"{1}\" must be a number (byte {2})",
    .notABoolean = "{0}: \"{1}\" must be true or false (byte {2})",
    .notAString = "{0}: \"{1}\" must be a text in quotes (byte {2})",
    .notAWavelength = "{0}: \"{1}\" is not a wavelength in nm from 400 to 2000 (byte {2})",
    .outOfRange =
        "{0}: \"{1}\" cannot be a limit: losses, lengths and ORL are not negative, "
        "reflectances not positive (byte {2})",
    .unknownKey = "{0}: \"{1}\" is not a limit tracelink knows; check its spelling (byte {2})",
    .duplicateKey = "{0}: \"{1}\" is given twice (byte {2})",
    .minAboveMax = "{0}: \"lengthMinM\" is above \"lengthMaxM\" (byte {2})",
};

constexpr CableStrings kChinese{
    .splice = "{0} m 处熔接：{1} dB {2} {3} dB",
    .gainer = "{0} m 处增益：{1} dB，绝对值 {2} {3} dB",
    .connector = "{0} m 处连接器：{1} dB {2} {3} dB",
    .reflectance = "{0} m 处反射率：{1} dB {2} {3} dB",
    .section = "{0} m 起的光纤段：{1} dB/km {2} {3} dB/km（{4} nm）",
    .linkLoss = "链路损耗：{0} dB {1} {2} dB",
    .orl = "光回损：{0} dB {1} {2} dB",
    .orlUnmeasured = "光回损：未测得，要求至少 {0} dB",
    .length = "长度：{0} m {1} {2} m",
    .fromEnd = "{0}（{1}端测试）",
    .average = "{0}（双向平均）",
    .pass = "合格",
    .fail = "不合格",
    .notJson = "{0}：不是 JSON 文档（第 {2} 字节）",
    .notAnObject = "{0}：限值必须是 JSON 对象 {...}（第 {2} 字节）",
    .keyNotAnObject = "{0}：\"{1}\" 必须是以波长为键的对象 {...}（第 {2} 字节）",
    .missingName = "{0}：限值缺少 \"name\"（第 {2} 字节）",
    .notANumber = "{0}：\"{1}\" 必须是数值（第 {2} 字节）",
    .notABoolean = "{0}：\"{1}\" 必须是 true 或 false（第 {2} 字节）",
    .notAString = "{0}：\"{1}\" 必须是带引号的文本（第 {2} 字节）",
    .notAWavelength = "{0}：\"{1}\" 不是 400 至 2000 nm 之间的波长（第 {2} 字节）",
    .outOfRange =
        "{0}：\"{1}\" 不能作为限值：损耗、长度和光回损不能为负，反射率不能为正（第 {2} 字节）",
    .unknownKey = "{0}：\"{1}\" 不是 tracelink 认识的限值，请检查拼写（第 {2} 字节）",
    .duplicateKey = "{0}：\"{1}\" 出现了两次（第 {2} 字节）",
    .minAboveMax = "{0}：\"lengthMinM\" 大于 \"lengthMaxM\"（第 {2} 字节）",
};

const CableStrings& strings(Language language) {
  return language == Language::English ? kEnglish : kChinese;
}

std::string fixed(double v, int decimals) {
  return FixedDecimals(v, decimals);
}

}  // namespace

std::string judgementText(const Judgement& j, Language language) {
  const CableStrings& s = strings(language);
  // A limit is a maximum except the ORL's and the shortest length.
  const bool minimum = j.item == Item::Orl || j.item == Item::LengthMin;
  const std::string_view sign = j.pass ? (minimum ? "\u2265" : "\u2264") : (minimum ? "<" : ">");
  const std::string at = fixed(j.distanceM.value_or(0), 1);
  std::string text;
  switch (j.item) {
    case Item::SpliceLoss:
      text = fillIn(j.value < 0 ? s.gainer : s.splice,
                    {at, fixed(j.value, 2), sign, fixed(j.limit, 2)});
      break;
    case Item::ConnectorLoss:
      text = fillIn(s.connector, {at, fixed(j.value, 2), sign, fixed(j.limit, 2)});
      break;
    case Item::Reflectance:
      text = fillIn(s.reflectance, {at, fixed(j.value, 2), sign, fixed(j.limit, 2)});
      break;
    case Item::Attenuation:
      text = fillIn(s.section,
                    {at, fixed(j.value, 3), sign, fixed(j.limit, 3), fixed(j.wavelengthNm, 0)});
      break;
    case Item::LinkLoss:
      text = fillIn(s.linkLoss, {fixed(j.value, 2), sign, fixed(j.limit, 2)});
      break;
    case Item::Orl:
      text = j.measured ? fillIn(s.orl, {fixed(j.value, 2), sign, fixed(j.limit, 2)})
                        : fillIn(s.orlUnmeasured, {fixed(j.limit, 2)});
      break;
    case Item::LengthMin:
    case Item::LengthMax:
      text = fillIn(s.length, {fixed(j.value, 1), sign, fixed(j.limit, 1)});
      break;
  }
  if (j.direction == '2') return fillIn(s.average, {text});
  const char end[2] = {j.direction, '\0'};
  return fillIn(s.fromEnd, {text, end});
}

std::string firstFailureText(const Verdict& verdict, Language language) {
  const Judgement* j = verdict.firstFailure();
  return j ? judgementText(*j, language) : std::string();
}

std::string_view verdictWord(bool pass, Language language) {
  return pass ? strings(language).pass : strings(language).fail;
}

std::string limitsProblemText(const LimitsProblem& p, std::string_view file, Language language) {
  const CableStrings& s = strings(language);
  std::string_view pattern;
  switch (p.fault) {
    case LimitsFault::NotJson:
      pattern = s.notJson;
      break;
    case LimitsFault::NotAnObject:
      pattern = p.key.empty() ? s.notAnObject : s.keyNotAnObject;
      break;
    case LimitsFault::MissingName:
      pattern = s.missingName;
      break;
    case LimitsFault::NotANumber:
      pattern = s.notANumber;
      break;
    case LimitsFault::NotABoolean:
      pattern = s.notABoolean;
      break;
    case LimitsFault::NotAString:
      pattern = s.notAString;
      break;
    case LimitsFault::NotAWavelength:
      pattern = s.notAWavelength;
      break;
    case LimitsFault::OutOfRange:
      pattern = s.outOfRange;
      break;
    case LimitsFault::UnknownKey:
      pattern = s.unknownKey;
      break;
    case LimitsFault::DuplicateKey:
      pattern = s.duplicateKey;
      break;
    case LimitsFault::MinAboveMax:
      pattern = s.minAboveMax;
      break;
  }
  return fillIn(pattern, {file, p.key, std::to_string(p.offset)});
}

}  // namespace tracelink::cable
