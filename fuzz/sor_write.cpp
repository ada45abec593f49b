// Our trace as SOR, from a fuzzed record, block count and texts. A trace that exports is
// always read back by our own reader with the points, spacing and events it was given,
// and our record block inside it gives back the record; one that does not export says why.
#include <algorithm>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "sor/sor_io.h"
#include "sor/trace_sor.h"

using namespace tracelink;
using namespace tracelink::sor;

namespace {

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  std::uint8_t byte() { return at < size ? data[at++] : 0; }
  std::uint16_t word() { return static_cast<std::uint16_t>(byte() | (byte() << 8)); }
  // A short text: printable ASCII unless the input asks for a byte above it.
  std::string text() {
    std::string s(byte() % 12, ' ');
    for (char& c : s) c = static_cast<char>(byte());
    return s;
  }
};

// The input's sample words over and over; not measured for coverage, as it is no code of
// the program's.
__attribute__((no_sanitize("coverage"))) void fillSamples(TraceRecord& record,
                                                          const std::uint8_t* bytes,
                                                          std::size_t size) {
  const std::size_t words = size / 2;
  for (std::size_t p = 0, q = 0; p < static_cast<std::size_t>(kHeaderStart); ++p) {
    record.words[p] = bytes[2 * q] | (bytes[2 * q + 1] << 8);
    if (++q == words) q = 0;
  }
}

bool sameRange(const TraceRecord& a, const TraceRecord& b, std::size_t from, std::size_t to) {
  return std::equal(a.words.begin() + from, a.words.begin() + to, b.words.begin() + from);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  const std::uint8_t flags = in.byte();
  const std::int32_t blockCount = in.byte() % 17;  // 0 and 16 are refused
  SorExportOptions options;
  if (flags & 1) options.cable = in.text();
  if (flags & 2) options.comment = in.text();
  if (flags & 4) options.dateTime = static_cast<std::int64_t>(in.word()) << (flags >> 4);
  options.language = flags & 8 ? Language::Chinese : Language::English;

  // The first words of the header (range, start point, range line, events), then samples
  // from the rest of the input, repeated over the whole sample region.
  auto record = std::make_unique<TraceRecord>();
  for (int p = kHeaderStart; p < kHeaderStart + 100; ++p) record->words[p] = in.word();
  const std::size_t samplesAt = in.at;
  const std::size_t sampleBytes = size - std::min(size, samplesAt);
  if (sampleBytes >= 2) fillSamples(*record, data + samplesAt, sampleBytes);
  HeaderState header;
  ViewWindow view;
  ApplyHeader(*record, header, view);

  const SorResult<SorFile> file = TraceToSor(*record, header, view, blockCount, options);
  if (!file.ok()) {
    FUZZ_CHECK(isExportCode(file.problem().code));
    FUZZ_CHECK(!file.error().text().empty());
    return 0;
  }
  const std::vector<std::uint8_t> bytes = WriteSor(*file);
  const SorResult<SorFile> read = ReadSor(bytes);
  if (!read.ok()) std::fprintf(stderr, "read back: %s\n", read.error().text().c_str());
  FUZZ_CHECK(read.ok());
  FUZZ_CHECK(read->checksum.status == ChecksumStatus::Ok);
  FUZZ_CHECK(read->dataPts && read->fxdParams && read->keyEvents);
  FUZZ_CHECK(read->dataPts == file->dataPts);
  FUZZ_CHECK(read->fxdParams->dataSpacing == file->fxdParams->dataSpacing);
  FUZZ_CHECK(read->fxdParams->pointCounts == file->fxdParams->pointCounts);
  FUZZ_CHECK(read->keyEvents == file->keyEvents);
  FUZZ_CHECK(read->genParams == file->genParams);

  const std::optional<SorResult<RecordFromSor>> back = RecordOf(*read);
  FUZZ_CHECK(back.has_value());
  if (!back->ok()) std::fprintf(stderr, "record block: %s\n", back->error().text().c_str());
  FUZZ_CHECK(back->ok());
  const RecordFromSor& rebuilt = back->value();
  FUZZ_CHECK(rebuilt.blockCount == blockCount);
  FUZZ_CHECK(
      sameRange(*rebuilt.record, *record, 0, static_cast<std::size_t>(blockCount) * kBlockWords));
  FUZZ_CHECK(sameRange(*rebuilt.record, *record, kHeaderStart, kHeaderEnd));
  return 0;
}
