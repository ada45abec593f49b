#include "compare/compare_strings.h"

#include "compare/overlay.h"
#include "measure/measure_text.h"
#include "record/fill_in.h"

namespace tracelink::compare {

namespace {

constexpr CompareStrings kEnglish{
    .wavelengthsDiffer =
        "{0} and {1} were measured at different wavelengths ({2} nm and {3} nm); the two "
        "directions of a fibre must share one",
    .lengthsDiffer =
        "{0} and {1} show fibres of different length ({2} m and {3} m, more than {4} m "
        "apart): not the two ends of one fibre",
    .noFibre = "{0} shows no fibre to compare",
    .pulseWidthsDiffer =
        "{0} and {1} were measured with different pulse widths ({2} ns and {3} ns); their "
        "losses may not compare exactly",
    .sameWavelength =
        "{0} and {1} were both measured at {2} nm; telling bends needs two wavelengths",
    .tooMany = "{0} traces chosen; at most {1} can be compared",
    .number = "No.",
    .distance = "Distance (m)",
    .lossAB = "A\u2192B (dB)",
    .lossBA = "B\u2192A (dB)",
    .average = "Average (dB)",
    .reflectance = "Reflectance (dB)",
    .oneDirection = "one way",
    .bidirHead = "Two directions at {0} nm: length {1} m, events matched within {2} m",
    .bidirTotals = "Total loss: A\u2192B {0} dB, B\u2192A {1} dB, average {2} dB",
    .lossAt = "{0} nm (dB)",
    .bend = "Bend",
    .bendsHead = "Bends from {0} nm and {1} nm: more loss at {1} nm than at {0} nm by over {2} dB",
};

constexpr CompareStrings kChinese{
    .wavelengthsDiffer =
        "{0} 与 {1} 的波长不同（{2} nm 与 {3} nm）；同一光纤的双向测试须为同一波长",
    .lengthsDiffer =
        "{0} 与 {1} 的光纤长度不同（{2} m 与 {3} m，相差超过 {4} m）：不是同一光纤的两端",
    .noFibre = "{0} 中没有可比较的光纤",
    .pulseWidthsDiffer = "{0} 与 {1} 的脉宽不同（{2} ns 与 {3} ns）；两者的损耗可能不完全可比",
    .sameWavelength = "{0} 与 {1} 均在 {2} nm 测得；判断弯曲需要两个波长",
    .tooMany = "选择了 {0} 条曲线；最多可比较 {1} 条",
    .number = "序号",
    .distance = "距离 (m)",
    .lossAB = "A\u2192B (dB)",
    .lossBA = "B\u2192A (dB)",
    .average = "平均 (dB)",
    .reflectance = "反射 (dB)",
    .oneDirection = "单向",
    .bidirHead = "{0} nm 双向分析：长度 {1} m，事件匹配容差 {2} m",
    .bidirTotals = "总损耗：A\u2192B {0} dB，B\u2192A {1} dB，平均 {2} dB",
    .lossAt = "{0} nm (dB)",
    .bend = "弯曲",
    .bendsHead = "{0} nm 与 {1} nm 判断弯曲：{1} nm 的损耗比 {0} nm 高出 {2} dB 以上",
};

}  // namespace

const CompareStrings& compareStrings(Language language) {
  return language == Language::English ? kEnglish : kChinese;
}

std::string compactNumber(double value, int decimals) {
  std::string text = formatFixed(value, decimals);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

std::string problemText(const BidirProblem& p, std::string_view fileA, std::string_view fileB,
                        Language language) {
  const CompareStrings& s = compareStrings(language);
  switch (p.code) {
    case BidirRefusal::WavelengthsDiffer:
      return fillIn(s.wavelengthsDiffer,
                    {fileA, fileB, compactNumber(p.a, 1), compactNumber(p.b, 1)});
    case BidirRefusal::LengthsDiffer:
      return fillIn(s.lengthsDiffer, {fileA, fileB, compactNumber(p.a, 2), compactNumber(p.b, 2),
                                      compactNumber(p.toleranceM, 2)});
    case BidirRefusal::NoFibre:
      break;
  }
  return fillIn(s.noFibre, {p.side == 'B' ? fileB : fileA});
}

std::string warningText(const BidirNote& note, std::string_view fileA, std::string_view fileB,
                        Language language) {
  switch (note.code) {
    case BidirWarning::PulseWidthsDiffer:
      break;
  }
  return fillIn(compareStrings(language).pulseWidthsDiffer,
                {fileA, fileB, compactNumber(note.a, 1), compactNumber(note.b, 1)});
}

std::string problemText(const BendProblem& p, std::string_view first, std::string_view second,
                        Language language) {
  switch (p.code) {
    case BendRefusal::SameWavelength:
      break;
  }
  return fillIn(compareStrings(language).sameWavelength,
                {first, second, compactNumber(p.wavelengthNm, 1)});
}

std::string tooManyText(std::size_t count, Language language) {
  return fillIn(compareStrings(language).tooMany,
                {std::to_string(count), std::to_string(kMaxOverlay)});
}

}  // namespace tracelink::compare
