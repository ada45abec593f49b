#include "record/trace_sink.h"

#include <algorithm>

namespace tracelink {

void clearTraceWords(TraceRecord& record) {
  std::fill_n(record.words.begin(), kClearedWords, 0);
}

void storeHeaderWords(TraceRecord& record, std::span<const std::int32_t, kBlockWords> words) {
  std::copy(words.begin(), words.end(), record.words.begin() + kHeaderStart);
}

void storeDataWords(TraceRecord& record, std::int32_t blockNo,
                    std::span<const std::int32_t, kBlockWords> words) {
  if (blockNo < 1 || blockNo > kMaxDataBlocks) return;
  std::copy(words.begin(), words.end(),
            record.words.begin() + static_cast<std::ptrdiff_t>(blockNo - 1) * kBlockWords);
}

void storeWholeRecord(TraceSink& sink, const TraceRecord& record) {
  sink.clearTrace();
  for (std::int32_t b = 1; b <= kMaxDataBlocks; ++b)
    sink.storeDataBlock(b, std::span<const std::int32_t, kBlockWords>(
                               record.words.data() + (b - 1) * kBlockWords, kBlockWords));
  sink.storeHeaderBlock(
      std::span<const std::int32_t, kBlockWords>(record.words.data() + kHeaderStart, kBlockWords));
  sink.applyHeader();
}

void PlainTraceSink::clearTrace() {
  clearTraceWords(record_);
}

void PlainTraceSink::storeHeaderBlock(std::span<const std::int32_t, kBlockWords> words) {
  storeHeaderWords(record_, words);
}

void PlainTraceSink::storeDataBlock(std::int32_t blockNo,
                                    std::span<const std::int32_t, kBlockWords> words) {
  storeDataWords(record_, blockNo, words);
}

void PlainTraceSink::applyHeader() {
  ApplyHeader(record_, header_, view_);
}

}  // namespace tracelink
