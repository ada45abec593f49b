#pragma once

#include <cstdint>
#include <span>

#include "record/trace_record.h"

namespace tracelink {

// Where a block transfer puts what it receives. The transfer reads the record and the
// header state through const access and changes them only through these operations; the
// window's trace session is one, a plain record with its header state and view another.
class TraceSink {
 public:
  virtual ~TraceSink() = default;

  virtual const TraceRecord& record() const = 0;
  virtual const HeaderState& header() const = 0;
  // A new trace request: samples, header and the first spare words are cleared, and the
  // record's file text is void.
  virtual void clearTrace() = 0;
  virtual void storeHeaderBlock(std::span<const std::int32_t, kBlockWords> words) = 0;
  // blockNo 1..kMaxDataBlocks; anything else is ignored.
  virtual void storeDataBlock(std::int32_t blockNo,
                              std::span<const std::int32_t, kBlockWords> words) = 0;
  // Takes start point, range line, block count and full view out of the stored header.
  virtual void applyHeader() = 0;
};

// The words a new request clears: samples, header and the first ten spare words.
inline constexpr std::size_t kClearedWords = 60010;

// A sink over a record, header state and view held elsewhere (tools, tests, benchmarks).
class PlainTraceSink : public TraceSink {
 public:
  PlainTraceSink(TraceRecord& record, HeaderState& header, ViewWindow& view)
      : record_(record), header_(header), view_(view) {}

  const TraceRecord& record() const override { return record_; }
  const HeaderState& header() const override { return header_; }
  void clearTrace() override;
  void storeHeaderBlock(std::span<const std::int32_t, kBlockWords> words) override;
  void storeDataBlock(std::int32_t blockNo,
                      std::span<const std::int32_t, kBlockWords> words) override;
  void applyHeader() override;

 private:
  TraceRecord& record_;
  HeaderState& header_;
  ViewWindow& view_;
};

// Stores a whole record in a sink as a transfer does, block by block, then applies its
// header (tools, tests and benchmarks that start from a record in memory).
void storeWholeRecord(TraceSink& sink, const TraceRecord& record);

// The shared halves of every sink: clearing, and putting a block where it belongs.
void clearTraceWords(TraceRecord& record);
void storeHeaderWords(TraceRecord& record, std::span<const std::int32_t, kBlockWords> words);
void storeDataWords(TraceRecord& record, std::int32_t blockNo,
                    std::span<const std::int32_t, kBlockWords> words);

}  // namespace tracelink
