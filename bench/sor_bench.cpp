// SOR files: reading and checking a 100 KB file of another maker, the checksum's every way
// on a 64 MiB file, writing the largest trace (48000 points) as SOR, and the batch export
// as a whole process, each beside a baseline measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "files/record_file.h"
#include "files/record_text.h"
#include "sor/sor_io.h"
#include "sor/trace_sor.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

const fs::path kForeign = fs::path(TRACELINK_SOR_SAMPLES) / "sample06.sor";  // 111192 bytes
const fs::path kLargestOtdr = fs::path(TRACELINK_OTDR_SAMPLES) / "sample_04_range7.otdr";

std::vector<std::uint8_t> fileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Reading and checking: the Map, every block, every size, the CRC over the whole file.
void BM_ReadSor100KB(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = fileBytes(kForeign);
  for (auto _ : state) {
    sor::SorResult<sor::SorFile> file = sor::ReadSor(bytes);
    if (!file) state.SkipWithError(file.error().text().c_str());
    benchmark::DoNotOptimize(file);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadSor100KB)->Unit(benchmark::kMicrosecond);

// Baseline: copying the same bytes once.
void BM_Baseline_Memcpy100KB(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = fileBytes(kForeign);
  std::vector<std::uint8_t> copy(bytes.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Baseline_Memcpy100KB)->Unit(benchmark::kMicrosecond);

// The checksum of a 64 MiB file that matches none of the common ways, the worst case of
// reading one, beside the one standard pass of the same bytes: the other ways cost a few
// matrix products, not further passes.
std::vector<std::uint8_t> pseudoRandomBytes(std::size_t n) {
  std::vector<std::uint8_t> b(n);
  std::uint32_t x = 12345;
  for (auto& v : b) v = static_cast<std::uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
  return b;
}

void BM_CheckChecksumEveryWay64MiB(benchmark::State& state) {
  std::vector<std::uint8_t> b = pseudoRandomBytes(64u << 20);
  b[b.size() - 2] = 0x12;
  b[b.size() - 1] = 0x34;
  for (auto _ : state) {
    const sor::ChecksumReport r = sor::CheckChecksum(b, b.size() - 2, b.size() - 8);
    if (r.status != sor::ChecksumStatus::Mismatch) state.SkipWithError("a way matched");
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(b.size()));
}
BENCHMARK(BM_CheckChecksumEveryWay64MiB)->Unit(benchmark::kMillisecond);

void BM_Baseline_Crc16OnePass64MiB(benchmark::State& state) {
  const std::vector<std::uint8_t> b = pseudoRandomBytes(64u << 20);
  for (auto _ : state) benchmark::DoNotOptimize(sor::Crc16(std::span(b).first(b.size() - 2)));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(b.size()));
}
BENCHMARK(BM_Baseline_Crc16OnePass64MiB)->Unit(benchmark::kMillisecond);

struct Loaded {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow view;
  std::int32_t blocks = 0;
};

Loaded loadLargest() {
  Loaded t;
  if (!ReadRecordFile(kLargestOtdr, *t.record, t.header.BlocksPerTrace)) std::abort();
  t.blocks = t.header.BlocksPerTrace;
  ApplyHeader(*t.record, t.header, t.view);
  return t;
}

// Writing the largest trace (48001 points) as SOR bytes; MB/s of the SOR written.
void BM_WriteTraceAsSor48000(benchmark::State& state) {
  const Loaded t = loadLargest();
  std::size_t size = 0;
  for (auto _ : state) {
    sor::SorResult<std::vector<std::uint8_t>> bytes =
        sor::WriteTraceAsSor(*t.record, t.header, t.view, t.blocks, {});
    if (!bytes) state.SkipWithError(bytes.error().text().c_str());
    size = bytes->size();
    benchmark::DoNotOptimize(bytes->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  state.counters["sorBytes"] = static_cast<double>(size);
}
BENCHMARK(BM_WriteTraceAsSor48000)->Unit(benchmark::kMicrosecond);

// Baseline: parsing the same trace's .otdr text (MB/s of that text).
void BM_Baseline_ParseOtdr48000(benchmark::State& state) {
  std::ifstream in(kLargestOtdr, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  auto record = std::make_unique<TraceRecord>();
  for (auto _ : state) {
    Result<std::int32_t> n = ParseRecordText(text, *record);
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Baseline_ParseOtdr48000)->Unit(benchmark::kMicrosecond);

// 1000 copies of the largest .otdr file in a fresh folder under base.
class CopyFolder {
 public:
  explicit CopyFolder(const fs::path& base) {
    root_ = base / ("tracelink-sor-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(root_ / "in");
    for (int i = 0; i < kCopies; ++i)
      fs::copy_file(kLargestOtdr, root_ / "in" / ("t" + std::to_string(i) + ".otdr"));
  }
  ~CopyFolder() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string in() const { return (root_ / "in").string(); }
  static constexpr int kCopies = 1000;
  fs::path root_;
};

// The disk that temporary files go to, and memory (where the machine has it), so that the
// figures show what the conversion costs apart from the disk.
fs::path baseOf(int where) {
  return where == 0 || !fs::is_directory("/dev/shm") ? fs::temp_directory_path()
                                                     : fs::path("/dev/shm");
}

void runShell(benchmark::State& state, const std::string& command) {
  if (std::system(command.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
}

void filesPerSecond(benchmark::State& state, std::int64_t perIteration) {
  state.counters["files/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * perIteration), benchmark::Counter::kIsRate);
}

// The whole process: tracelink-cli sor over 1000 files into a new, empty folder.
void BM_BatchSorProcess1000(benchmark::State& state) {
  CopyFolder folder(baseOf(static_cast<int>(state.range(0))));
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path out = folder.root_ / ("out" + std::to_string(round++));
    fs::create_directories(out);
    state.ResumeTiming();
    runShell(state, "'" + std::string(TRACELINK_CLI) + "' sor '" + folder.in() +
                        "'/*.otdr --out-dir '" + out.string() + "' >/dev/null");
  }
  filesPerSecond(state, CopyFolder::kCopies);
}
BENCHMARK(BM_BatchSorProcess1000)
    ->ArgName("memory")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// Baseline: cat of the same 1000 files as one process.
void BM_Baseline_Cat1000(benchmark::State& state) {
  CopyFolder folder(baseOf(static_cast<int>(state.range(0))));
  for (auto _ : state) runShell(state, "cat '" + folder.in() + "'/*.otdr >/dev/null");
  filesPerSecond(state, CopyFolder::kCopies);
}
BENCHMARK(BM_Baseline_Cat1000)
    ->ArgName("memory")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// Baseline: tracelink-cli info over the same files, one process each (what a script
// without the batch would do), for 100 of them.
void BM_Baseline_Info100Processes(benchmark::State& state) {
  CopyFolder folder(baseOf(1));
  for (auto _ : state)
    runShell(state, "for i in $(seq 0 99); do '" + std::string(TRACELINK_CLI) + "' info '" +
                        folder.in() + "'/t$i.otdr >/dev/null || exit 1; done");
  filesPerSecond(state, 100);
}
BENCHMARK(BM_Baseline_Info100Processes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
}  // namespace tracelink
