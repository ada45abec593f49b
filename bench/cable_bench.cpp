// The cable's table for 288 files (48 fibres, both ends, 1310/1550/1625 nm, 12001 points
// each, 0.5 m apart): reading the files alone (each with our analysis of it, as the readers
// make it on their workers), certify() alone on the files read, the same judging our own
// events rather than the files' key events, certify() on files that come without their
// analyses (as verify's do, so that it makes them itself), and reading and certifying
// together on one thread. Items are files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "cable/generated_cable.h"
#include "cable/summary.h"
#include "files/path_text.h"
#include "files/test_files.h"

namespace {

using namespace tracelink;

constexpr int kFibres = 48;
const std::vector<double> kWavelengths{1310, 1550, 1625};

struct Folder {
  test::TempFolder folder;
  std::vector<std::string> paths;
  Folder() {
    const std::vector<test::GeneratedFibre> fibres =
        test::generatedCable(kWavelengths, kFibres, 0.5);
    for (const auto& p : test::writeGeneratedCable(folder.path(), fibres, kWavelengths))
      paths.push_back(pathText(p));
  }
};

const Folder& cableFolder() {
  static const Folder folder;
  return folder;
}

std::vector<cable::CableFile> readAll(const std::vector<std::string>& paths) {
  std::vector<cable::CableFile> files;
  files.reserve(paths.size());
  for (const std::string& p : paths) files.push_back(cable::readCableFile(p));
  return files;
}

void BM_ReadFiles(benchmark::State& state) {
  const Folder& f = cableFolder();
  for (auto _ : state) benchmark::DoNotOptimize(readAll(f.paths));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(f.paths.size()));
}
BENCHMARK(BM_ReadFiles)->Unit(benchmark::kMillisecond);

void certifyRead(benchmark::State& state, compare::EventSource events, bool analysed = true) {
  const Folder& f = cableFolder();
  std::vector<cable::CableFile> read = readAll(f.paths);
  if (!analysed)
    for (cable::CableFile& file : read) file.ours.reset();
  const cable::Limits limits = test::generatedCableLimits();
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<cable::CableFile> files = read;
    state.ResumeTiming();
    const cable::Cable c = cable::certify(std::move(files), limits, {}, events);
    if (c.rows.size() != kFibres * kWavelengths.size()) state.SkipWithError("rows missing");
    benchmark::DoNotOptimize(c);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(f.paths.size()));
}

void BM_Certify(benchmark::State& state) {
  certifyRead(state, compare::EventSource::InstrumentElseOurs);
}
BENCHMARK(BM_Certify)->Unit(benchmark::kMillisecond);

void BM_CertifyByOurAnalysis(benchmark::State& state) {
  certifyRead(state, compare::EventSource::Ours);
}
BENCHMARK(BM_CertifyByOurAnalysis)->Unit(benchmark::kMillisecond);

void BM_CertifyMakingTheAnalyses(benchmark::State& state) {
  certifyRead(state, compare::EventSource::InstrumentElseOurs, false);
}
BENCHMARK(BM_CertifyMakingTheAnalyses)->Unit(benchmark::kMillisecond);

void BM_ReadAndCertify(benchmark::State& state) {
  const Folder& f = cableFolder();
  const cable::Limits limits = test::generatedCableLimits();
  for (auto _ : state) benchmark::DoNotOptimize(cable::certify(readAll(f.paths), limits));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(f.paths.size()));
}
BENCHMARK(BM_ReadAndCertify)->Unit(benchmark::kMillisecond);

}  // namespace
