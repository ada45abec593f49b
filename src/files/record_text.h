#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record/result.h"
#include "record/trace_record.h"

namespace tracelink {

// Block counts a trace file may carry: at least one sample block, and at most the fifteen
// blocks that reach the end of the header region.
inline constexpr std::int32_t kMinFileBlocks = 1;
inline constexpr std::int32_t kMaxFileBlocks = 15;
// The most fields any file holds: 15 sample blocks and the header block.
inline constexpr std::size_t kMaxFileFields = (kMaxFileBlocks + 1) * kBlockWords;

// The file text of the record: the masked words of sample blocks 1..N, then the header block,
// each in decimal followed by ",". Position 0 of the record becomes N first (the file's
// first word says how many sample blocks follow). N is the transfer's BlockNo; a count
// outside 1..15 is brought into that range, so the text always reads back.
std::string BuildRecordText(TraceRecord& record, std::int32_t blockNo);

// A file's fields, read and checked but not yet stored in a record.
struct ParsedRecord {
  std::int32_t blockCount = 0;       // N, already unmasked
  std::vector<std::uint16_t> words;  // (N + 1) * 4000 unmasked words in file order
};

// Reads file text piece by piece, so a file never has to be held whole. Fields are plain
// decimals 0..65535 separated by ","; blanks (and line breaks) before a value are skipped, a
// line end also ends a field, blanks after a value are allowed. A UTF-8 byte-order mark at
// the very start is skipped: editors add it when a file is saved as UTF-8, and the digits
// after it are still the trace. Reading stops at the last field the block count calls for;
// whatever follows is never looked at.
class RecordTextParser {
 public:
  RecordTextParser();

  // Takes the next piece of text. Returns true while it wants more; false once it has all
  // the fields it needs or has found a fault (finish() tells which).
  bool feed(std::string_view piece);
  // Ends the text and returns the record or what was wrong with it.
  Result<ParsedRecord> finish();

 private:
  enum class State { Bom, BeforeValue, InValue, AfterValue, Minus, Done, Failed };

  void fail(ErrorCode code, std::int64_t a = 0, std::int64_t b = 0);
  void failNotNumber();
  void emitField();
  bool stepSlow(char c);

  State state_ = State::Bom;
  std::size_t bomSeen_ = 0;
  std::uint32_t value_ = 0;
  std::size_t needed_ = kBlockWords;  // until the block count is known
  std::int32_t blockCount_ = 0;
  std::vector<std::uint16_t> words_;
  std::size_t count_ = 0;
  std::size_t bytes_ = 0;
  Error error_;
};

// Parses a whole text and stores it with StoreParsedRecord. Returns the block count N.
Result<std::int32_t> ParseRecordText(std::string_view text, TraceRecord& record);

// Copies a checked file into the record: positions 0..N*4000-1, then 56000..59999 (for
// N = 15 the header block is written twice and the second copy stands). Nothing else in
// the record changes. Only takes what finish() handed out; anything else is ignored.
void StoreParsedRecord(const ParsedRecord& parsed, TraceRecord& record);

}  // namespace tracelink
