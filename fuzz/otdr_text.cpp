// The .otdr parser on any text. A failed parse leaves the record as it was; a parse that
// succeeds gives a text that parses to the same words in the range a file writes; pieces
// of any size give the same result as the whole text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "files/record_text.h"
#include "fuzz_check.h"

using namespace tracelink;

namespace {

std::unique_ptr<TraceRecord> patterned() {
  auto r = std::make_unique<TraceRecord>();
  for (std::size_t i = 0; i < r->words.size(); ++i)
    r->words[i] = static_cast<std::int32_t>(i * 31 % 977);
  return r;
}

bool sameWords(const TraceRecord& a, const TraceRecord& b, std::size_t from, std::size_t to) {
  return std::equal(a.words.begin() + from, a.words.begin() + to, b.words.begin() + from);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static const std::unique_ptr<TraceRecord> before = patterned();
  auto record = std::make_unique<TraceRecord>(*before);

  const Result<std::int32_t> parsed = ParseRecordText(text, *record);

  // The same text in pieces: the parser never needs a whole file.
  RecordTextParser pieces;
  const std::size_t step = size == 0 ? 1 : 1 + data[0] % 97;
  for (std::size_t at = 0; at < size; at += step)
    if (!pieces.feed(text.substr(at, step))) break;
  Result<ParsedRecord> piecewise = pieces.finish();
  FUZZ_CHECK(parsed.ok() == piecewise.ok());

  if (!parsed.ok()) {
    FUZZ_CHECK(record->words == before->words);
    FUZZ_CHECK(!parsed.error().text().empty());
    FUZZ_CHECK(parsed.error().text() == piecewise.error().text());
    return 0;
  }
  const std::int32_t n = *parsed;
  FUZZ_CHECK(n >= kMinFileBlocks && n <= kMaxFileBlocks);
  FUZZ_CHECK(piecewise->blockCount == n);
  auto fromPieces = std::make_unique<TraceRecord>(*before);
  StoreParsedRecord(*piecewise, *fromPieces);
  FUZZ_CHECK(fromPieces->words == record->words);

  // Nothing outside the blocks of the file changed.
  const std::size_t samplesEnd = static_cast<std::size_t>(n) * kBlockWords;
  FUZZ_CHECK(
      sameWords(*record, *before, std::min<std::size_t>(samplesEnd, kHeaderStart), kHeaderStart));
  FUZZ_CHECK(sameWords(*record, *before, kHeaderEnd, kRecordWords));

  // Written again and read back: the same words.
  auto copy = std::make_unique<TraceRecord>(*record);
  const std::string again = BuildRecordText(*copy, n);
  auto reread = patterned();
  const Result<std::int32_t> second = ParseRecordText(again, *reread);
  FUZZ_CHECK(second.ok());
  FUZZ_CHECK(*second == n);
  FUZZ_CHECK(sameWords(*reread, *copy, 0, samplesEnd));
  FUZZ_CHECK(sameWords(*reread, *copy, kHeaderStart, kHeaderEnd));
  return 0;
}
