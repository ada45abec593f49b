// The trace model: TraceFromRecord on the largest record and TraceFromSor on a 111 KB file
// of another maker (aim: below 100 us each), each beside a baseline of the same run: a
// memcpy of the same bytes, and the conversion the plot did before (the SOR values as a
// vector of dB). Also the SHA-256 that names a file's bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "files/record_file.h"
#include "record/decode.h"
#include "sor/sor_io.h"
#include "sor/sor_values.h"
#include "trace/sha256.h"
#include "trace/trace_from_record.h"
#include "trace/trace_from_sor.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

const fs::path kForeign = fs::path(TRACELINK_SOR_SAMPLES) / "sample06.sor";  // 111192 bytes
const fs::path kLargestOtdr = fs::path(TRACELINK_OTDR_SAMPLES) / "sample_04_range7.otdr";

std::vector<std::uint8_t> fileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The largest record (range index 7: 48001 samples, three events), loaded as the window
// loads it.
struct Loaded {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow view;
  DecodedValues decoded;

  Loaded() {
    if (!ReadRecordFile(kLargestOtdr, *record, header.BlocksPerTrace)) std::abort();
    ApplyHeader(*record, header, view);
    (void)DecodeRecord(*record, decoded, Language::English);
  }
};

void BM_TraceFromRecord48001(benchmark::State& state) {
  const Loaded l;
  for (auto _ : state) {
    Trace t = TraceFromRecord(*l.record, l.header, l.view);
    benchmark::DoNotOptimize(t.levels.data());
  }
  state.SetItemsProcessed(state.iterations() * 48001);
  state.SetLabel("levels of the full view, the record decoded, its events");
}
BENCHMARK(BM_TraceFromRecord48001)->Unit(benchmark::kMicrosecond);

void BM_TraceFromRecordDecoded48001(benchmark::State& state) {
  const Loaded l;
  for (auto _ : state) {
    Trace t = TraceFromRecord(*l.record, l.header, l.view, l.decoded);
    benchmark::DoNotOptimize(t.levels.data());
  }
  state.SetItemsProcessed(state.iterations() * 48001);
  state.SetLabel("the same with the window's decoded values");
}
BENCHMARK(BM_TraceFromRecordDecoded48001)->Unit(benchmark::kMicrosecond);

// Baseline: copying the same 48001 words into a new vector.
void BM_Baseline_CopyRecordSamples48001(benchmark::State& state) {
  const Loaded l;
  for (auto _ : state) {
    std::vector<std::int32_t> copy(48001);
    std::memcpy(copy.data(), l.record->words.data(), copy.size() * sizeof(std::int32_t));
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetItemsProcessed(state.iterations() * 48001);
  state.SetLabel("baseline: the 48001 words copied into a new vector");
}
BENCHMARK(BM_Baseline_CopyRecordSamples48001)->Unit(benchmark::kMicrosecond);

void BM_TraceFromSor111KB(benchmark::State& state) {
  const Result<sor::SorFile> file = sor::ReadSor(fileBytes(kForeign));
  if (!file) std::abort();
  for (auto _ : state) {
    Trace t = TraceFromSor(*file);
    benchmark::DoNotOptimize(t.levels.data());
  }
  state.SetItemsProcessed(state.iterations() * 30000);
  state.SetLabel("30000 points, 4 events, from the file as read");
}
BENCHMARK(BM_TraceFromSor111KB)->Unit(benchmark::kMicrosecond);

// Baseline: the conversion the SOR plot made before, each value as dB in a vector.
void BM_Baseline_LevelsAsDb111KB(benchmark::State& state) {
  const Result<sor::SorFile> file = sor::ReadSor(fileBytes(kForeign));
  if (!file) std::abort();
  const sor::DataTrace& trace = file->dataPts->traces.front();
  for (auto _ : state) {
    std::vector<double> levels;
    levels.reserve(trace.values.size());
    for (const std::uint16_t v : trace.values) levels.push_back(sor::LevelDb(v, trace.scaleFactor));
    benchmark::DoNotOptimize(levels.data());
  }
  state.SetItemsProcessed(state.iterations() * 30000);
  state.SetLabel("baseline: the values as dB, as the plot converted them");
}
BENCHMARK(BM_Baseline_LevelsAsDb111KB)->Unit(benchmark::kMicrosecond);

void BM_ReadSorAndTraceFromSor111KB(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = fileBytes(kForeign);
  for (auto _ : state) {
    Result<sor::SorFile> file = sor::ReadSor(bytes);
    Trace t = TraceFromSor(*file);
    benchmark::DoNotOptimize(t.levels.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.SetLabel("the file's bytes read, checked and converted");
}
BENCHMARK(BM_ReadSorAndTraceFromSor111KB)->Unit(benchmark::kMicrosecond);

// Baseline: copying the same bytes once.
void BM_Baseline_Memcpy111KB(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = fileBytes(kForeign);
  std::vector<std::uint8_t> copy(bytes.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.SetLabel("baseline: memcpy of the file's bytes");
}
BENCHMARK(BM_Baseline_Memcpy111KB)->Unit(benchmark::kMicrosecond);

void BM_Sha256_111KB(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = fileBytes(kForeign);
  for (auto _ : state) {
    const std::string digest = Sha256Hex(bytes);
    benchmark::DoNotOptimize(digest.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.SetLabel("the digest the loader gives the origin");
}
BENCHMARK(BM_Sha256_111KB)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tracelink
