#include "measure/measure_strings.h"

namespace tracelink {

namespace {

constexpr MeasureStrings kEnglish{
    .marker = "{0} {1} m {2} dB",
    .gap = "   ",
    .span = "A\u2192B {0} m  {1} dB  {2} dB/km",
    .lsa = "LSA {0} dB/km (\u00B1{1} dB)",
    .eventLoss = "Event at {0} m: loss {1} dB (LSA, dead zone {2} m)",
    .markerA = "marker A",
    .markerB = "marker B",
    .theEvent = "the event",
    .sideBefore = "before",
    .sideAfter = "after",
    .noTrace = "no trace is loaded",
    .notADistance = "{0} is not a distance in metres",
    .markerOutsideRange = "{0} at {1} m lies outside the trace ({2} to {3} m)",
    .markerOutsideRecord = "{0} at {1} m reads outside the record",
    .markersEqual = "markers A and B stand at the same distance ({0} m)",
    .sameSample = "markers A and B read the same sample at {0} m; move them apart",
    .noEventBetween = "the instrument lists no event between {0} m and {1} m",
    .eventOutsideSpan = "the event at {0} m does not lie between the markers ({1} to {2} m)",
    .sideTooShort =
        "only {1} samples {0} the event lie outside the dead zone, at least {2} are "
        "needed; move marker {3} away from the event",
};

constexpr MeasureStrings kChinese{
    .marker = "{0} {1} m {2} dB",
    .gap = "   ",
    // As short as the English one: the status line is no wider in either build.
    .span = "A\u2192B {0} m  {1} dB  {2} dB/km",
    .lsa = "LSA {0} dB/km（\u00B1{1} dB）",
    .eventLoss = "事件 {0} m：损耗 {1} dB（LSA，盲区 {2} m）",
    .markerA = "标记A",
    .markerB = "标记B",
    .theEvent = "事件",
    .sideBefore = "之前",
    .sideAfter = "之后",
    .noTrace = "未加载曲线",
    .notADistance = "{0}不是有效的距离（米）",
    .markerOutsideRange = "{0}位于 {1} m，超出曲线范围（{2} m 至 {3} m）",
    .markerOutsideRecord = "{0}位于 {1} m，读取位置超出记录范围",
    .markersEqual = "标记A与标记B位于同一距离（{0} m）",
    .sameSample = "标记A与标记B读取同一采样点（{0} m），请拉开两者距离",
    .noEventBetween = "{0} m 至 {1} m 之间仪器未列出事件",
    .eventOutsideSpan = "{0} m 处的事件不在两标记之间（{1} m 至 {2} m）",
    .sideTooShort = "事件{0}盲区外仅有 {1} 个采样点，至少需要 {2} 个；请将标记{3}移离事件",
};

}  // namespace

const MeasureStrings& measureStrings(Language language) {
  return language == Language::English ? kEnglish : kChinese;
}

}  // namespace tracelink
