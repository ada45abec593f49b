#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "record/trace_record.h"
#include "sor/sor_file.h"
#include "sor/sor_problem.h"

namespace tracelink::sor {

// Our own block, which carries what the interchange format has no place for: the header
// words, the block count, the highest level and the sample words outside the data points.
// Other readers skip it; with it, our own export gives its record back word for word.
inline constexpr const char* kRecordBlockName = "TracelinkRecord";
inline constexpr std::uint16_t kRecordBlockVersion = 100;
inline constexpr std::uint16_t kRecordFormat = 1;
inline constexpr std::uint16_t kBaseScaleFactor = 1000;  // DataPts values in 0.001 dB

// Where the data points lie in the record, and how DataPts holds their levels.
struct RecordPoints {
  std::size_t first = 0;  // record position of data point 0
  std::size_t count = 0;
  std::int32_t top = 0;  // the highest level of the points (a record word)
  // Whether DataPts holds every level exactly, as (top - word) x 10 at the base scale
  // factor; when not, this block holds the levels themselves.
  bool exact = true;
};

// The block of a record saved with blockCount blocks (1..15), whose points are as given.
// Every sample word, header word and point has been checked to be a 16-bit word.
Block EncodeRecordBlock(const TraceRecord& record, std::int32_t blockCount,
                        const RecordPoints& points);

// A record rebuilt from one of our own exports, to be applied like a loaded .otdr file.
struct RecordFromSor {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  std::int32_t blockCount = 0;
};

// The record again from the block (as read from a file of the given version) and the
// file's first DataPts trace (nullptr when it has none). A problem names the field and
// its offset in the file; a block that does not fit the file's DataPts is refused rather
// than giving a wrong trace.
SorResult<RecordFromSor> DecodeRecordBlock(const Block& block, int version,
                                           const DataTrace* points);

}  // namespace tracelink::sor
