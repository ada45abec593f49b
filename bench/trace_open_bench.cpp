// Opening a SOR file in the window's session: read by content, the trace, its texts and
// its scale (ReadTraceByContent + showOpened), beside LoadTrace, what the command line
// does with the same file. For the largest shared sample and a generated file of 2
// million points.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "files/record_file.h"
#include "session/trace_file.h"
#include "session/trace_session.h"
#include "sor/sor_io.h"
#include "sor/sor_values.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

const fs::path kLargestSample = fs::path(TRACELINK_SOR_SAMPLES) / "sample06.sor";

// The sample with its points replaced by n points 2 cm apart falling 0.2 dB/km.
fs::path generatedSor(std::size_t n) {
  const fs::path path =
      fs::temp_directory_path() / ("tracelink_open_" + std::to_string(n) + ".sor");
  if (fs::exists(path)) return path;
  const Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(kLargestSample, 1 << 20);
  if (!bytes) std::abort();
  sor::SorResult<sor::SorFile> file = sor::ReadSor(*bytes);
  if (!file || !file->dataPts || !file->fxdParams) std::abort();
  sor::FxdParams& f = *file->fxdParams;
  f.dataSpacing.front() = static_cast<std::uint32_t>(
      std::lround(0.02 * sor::GroupIndex(f) / 1e-14 / sor::kVacuumLightSpeed));
  f.pointCounts.front() = static_cast<std::uint32_t>(n);
  sor::DataTrace& trace = file->dataPts->traces.front();
  trace.scaleFactor = 1000;
  trace.values.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    trace.values[i] = static_cast<std::uint16_t>(5000 + i * 0.02 * 0.2 + (i * 7919 % 97));
  file->dataPts->pointCount = static_cast<std::uint32_t>(n);
  const std::vector<std::uint8_t> out = sor::WriteSor(*file);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return path;
}

void open(benchmark::State& state, const fs::path& path) {
  TraceSession session(Language::English, ".");
  for (auto _ : state) {
    if (state.range(0) == 1) {
      Result<Trace> trace = LoadTrace(path);
      if (!trace) state.SkipWithError("LoadTrace failed");
      benchmark::DoNotOptimize(trace);
    } else {
      Result<OpenedTrace> opened = ReadTraceByContent(path, Language::English, session.snapshot());
      if (!opened) state.SkipWithError("ReadTraceByContent failed");
      session.showOpened(std::move(*opened), path);
      benchmark::DoNotOptimize(session.scaleText());
    }
  }
  state.SetLabel(state.range(0) == 1 ? "baseline: LoadTrace"
                                     : "window: ReadTraceByContent + showOpened");
}

void BM_SessionOpen_Sample06(benchmark::State& state) {
  open(state, kLargestSample);
}
BENCHMARK(BM_SessionOpen_Sample06)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SessionOpen_Generated2M(benchmark::State& state) {
  open(state, generatedSor(2000000));
}
BENCHMARK(BM_SessionOpen_Generated2M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tracelink
