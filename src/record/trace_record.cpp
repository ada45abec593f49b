#include "record/trace_record.h"

#include <algorithm>
#include <limits>

namespace tracelink {

std::int32_t BlocksForRange(std::int32_t rangeN) {
  switch (rangeN) {
    case 0:
    case 1:
    case 2:
    case 3:
      return 1;
    case 4:
      return 2;
    case 5:
      return 3;
    case 6:
      return 8;
    case 7:
      return 12;
    default:
      return 0;
  }
}

void ApplyHeader(const TraceRecord& record, HeaderState& header, ViewWindow& view) {
  header.StartPoint = record[slot::kStartPoint];
  header.RangeLine = record[slot::kRangeLine];
  // Where a curve is drawn, the StartPoint the plot reads is settled here, once, so that
  // every reader of the header is in step (plot, readout, export).
  if (header.StartPoint < header.RangeLine) header.StartPoint = PlotStartPoint(header.StartPoint);
  const std::int32_t r = record[slot::kRangeN];
  if (const std::int32_t blocks = BlocksForRange(r); blocks > 0) header.BlocksPerTrace = blocks;
  view.ViewStart = 0;
  // The block count can come from outside (a caller's own state), so the product is
  // formed in 64 bits and kept inside the 32-bit view variables.
  const std::int64_t blocksEnd = std::clamp<std::int64_t>(
      std::int64_t{header.BlocksPerTrace} * kBlockWords, std::numeric_limits<std::int32_t>::min(),
      std::numeric_limits<std::int32_t>::max());
  view.ViewEnd = (r >= 0 && r <= 3) ? RangeSamples[static_cast<std::size_t>(r)]
                                    : static_cast<std::int32_t>(blocksEnd);
  view.FullRangeStart = view.ViewStart;
  view.FullRangeEnd = view.ViewEnd;
}

std::optional<std::size_t> SamplePosition(std::int32_t startPoint, std::int64_t s) {
  const std::int64_t p = std::int64_t{PlotStartPoint(startPoint)} - 1 + s;
  if (p < 0 || p >= kRecordWords) return std::nullopt;
  return static_cast<std::size_t>(p);
}

}  // namespace tracelink
