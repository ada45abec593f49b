#include "record/trace_record.h"

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
  const std::int32_t r = record[slot::kRangeN];
  if (const std::int32_t blocks = BlocksForRange(r); blocks > 0) header.BlocksPerTrace = blocks;
  view.ViewStart = 0;
  view.ViewEnd = (r >= 0 && r <= 3) ? RangeSamples[static_cast<std::size_t>(r)]
                                    : header.BlocksPerTrace * kBlockWords;
  view.FullRangeStart = view.ViewStart;
  view.FullRangeEnd = view.ViewEnd;
}

}  // namespace tracelink
