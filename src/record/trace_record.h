#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tracelink {

// One trace as the instrument delivers it: sample blocks, the header block and a spare
// tail. Words are kept exactly as stored (samples already reduced by the 800 offset,
// header words raw), so a record written to a file and read back is word for word equal.
inline constexpr int kRecordWords = 60100;
inline constexpr int kBlockWords = 4000;
inline constexpr int kMaxDataBlocks = 14;
inline constexpr int kHeaderStart = 56000;
inline constexpr int kHeaderEnd = 60000;   // one past the header block
inline constexpr int kHeaderBlockNo = 15;  // the header's block number on the line
inline constexpr std::uint16_t kWordMask = 0x2B69;

// Named header slots (positions in the record).
namespace slot {
inline constexpr int kMaxDb = 56000;
inline constexpr int kMinDb = 56001;
inline constexpr int kRangeN = 56002;
inline constexpr int kStartPoint = 56003;
inline constexpr int kRangeLine = 56004;
inline constexpr int kIor = 56005;
inline constexpr int kReglw = 56006;
inline constexpr int kAvpj = 56007;
inline constexpr int kWendu = 56008;
inline constexpr int kMyTemperature = 56009;
inline constexpr int kDataNum = 56010;
inline constexpr int kHaveTest = 56012;
inline constexpr int kEndPoint = 56014;   // not read by the program
inline constexpr int kEndPoint2 = 56015;  // not read by the program
inline constexpr int kMyId = 56048;       // 12 words naming the instrument unit
inline constexpr int kMyIdWords = 12;
inline constexpr int kEventCount = 56060;
inline constexpr int kEventList = 56061;  // 8 entries of E, T, db1, db2
inline constexpr int kEventEntries = 8;
inline constexpr int kNoiseAverage = 56112;  // 2 words, not read by the program
}  // namespace slot

inline constexpr std::int32_t kHaveTestMark = 170;

struct TraceRecord {
  std::array<std::int32_t, kRecordWords> words{};

  std::int32_t& operator[](std::size_t p) { return words[p]; }
  std::int32_t operator[](std::size_t p) const { return words[p]; }
  void clear() { words.fill(0); }
};

// Values that applying a header copies out of the record (main-window state).
struct HeaderState {
  std::int32_t StartPoint = 0;
  std::int32_t RangeLine = 0;
  std::int32_t BlocksPerTrace = 0;
};

// The visible window onto the trace, in samples, and the whole record's range that the
// full-view button returns to.
struct ViewWindow {
  std::int32_t ViewStart = 0;
  std::int32_t ViewEnd = 10000;
  std::int32_t FullRangeStart = 0;
  std::int32_t FullRangeEnd = 0;
};

// Full-view end for range indices 0..7; indices 4 and up use BlocksPerTrace * 4000
// instead, so index 5 yields 12000 and never this table's 16000.
inline constexpr std::array<std::int32_t, 8> RangeSamples{100,  500,   1000,  4000,
                                                          8000, 16000, 32000, 48000};

// Blocks per trace for a range index; 0 when the index names none (8 and up, negative),
// in which case the previous count is kept.
std::int32_t BlocksForRange(std::int32_t rangeN);

// The 1-based record position of sample 0 as the plot reads it: a StartPoint of 0 has
// always been taken as 1. Every reader of samples through StartPoint decides it here.
constexpr std::int32_t PlotStartPoint(std::int32_t startPoint) {
  return startPoint == 0 ? 1 : startPoint;
}

// Takes start point, range line, block count and full view out of the header block. A
// StartPoint of 0 becomes 1 when a curve is drawn (StartPoint below RangeLine).
void ApplyHeader(const TraceRecord& record, HeaderState& header, ViewWindow& view);

// The record position the plot reads for sample s: PlotStartPoint - 1 + s. nullopt when that
// position lies outside the record, where a curve has to end.
std::optional<std::size_t> SamplePosition(std::int32_t startPoint, std::int64_t s);

}  // namespace tracelink
