// The .otdr file format and the decoder: reading and writing the largest file a record
// can make (15 blocks, 64000 fields) and decoding a full record.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "files/record_file.h"
#include "files/record_text.h"
#include "record/decode.h"

namespace tracelink {
namespace {

constexpr std::int32_t kLargest = 15;

std::unique_ptr<TraceRecord> sampleRecord() {
  auto record = std::make_unique<TraceRecord>();
  std::mt19937 random(42);
  for (auto& w : record->words) w = static_cast<std::int32_t>(random() & 0xFFFF);
  (*record)[slot::kReglw] = 3;
  (*record)[slot::kWendu] = 5;
  (*record)[slot::kEventCount] = 8;
  for (int i = 0; i < 8; ++i) (*record)[slot::kEventList + 4 * i + 1] = 1 + i % 2;
  return record;
}

void BM_BuildRecordText(benchmark::State& state) {
  auto record = sampleRecord();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = BuildRecordText(*record, kLargest);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["fileBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildRecordText)->Unit(benchmark::kMicrosecond);

void BM_ParseRecordText(benchmark::State& state) {
  auto source = sampleRecord();
  const std::string text = BuildRecordText(*source, kLargest);
  auto record = std::make_unique<TraceRecord>();
  for (auto _ : state) {
    Result<std::int32_t> n = ParseRecordText(text, *record);
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseRecordText)->Unit(benchmark::kMicrosecond);

void BM_ReadRecordFile(benchmark::State& state) {
  auto source = sampleRecord();
  const std::string text = BuildRecordText(*source, kLargest);
  const auto path = std::filesystem::temp_directory_path() /
                    ("tracelink-bench-" + std::to_string(std::random_device{}()) + ".otdr");
  std::ofstream(path, std::ios::binary) << text;
  auto record = std::make_unique<TraceRecord>();
  std::int32_t blocks = 0;
  for (auto _ : state) {
    Status read = ReadRecordFile(path, *record, blocks);
    if (!read) state.SkipWithError(read.error().text().c_str());
    benchmark::DoNotOptimize(record->words.data());
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadRecordFile)->Unit(benchmark::kMicrosecond);

void BM_DecodeRecord(benchmark::State& state) {
  auto record = sampleRecord();
  DecodedValues values;
  for (auto _ : state) {
    DecodedTexts texts = DecodeRecord(*record, values, Language::English);
    benchmark::DoNotOptimize(texts.eventText.data());
  }
}
BENCHMARK(BM_DecodeRecord)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tracelink
