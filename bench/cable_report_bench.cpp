// Whole-process timing of tracelink-cli cable over 96 traces (48 fibres from both ends) to
// the complete report with its attachments, the CSV and the XLSX; beside it, in the same
// run, tracelink-cli report of the same files into one PDF, and verify of the report
// written. Run by hand (Release build).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "bench_support.h"
#include "cable/generated_cable.h"

namespace {

namespace fs = std::filesystem;
using tracelink::bench::runQuiet;

constexpr int kFibres = 48;

// The generated cable of 48 fibres as SOR files, in a folder that lives as long as the
// program, and its limits beside it.
const fs::path& cableFolder() {
  static const tracelink::bench::ScratchFolder folder(
      "tracelink-cable-report-bench", [](const fs::path& dir) {
        fs::create_directories(dir / "in");
        tracelink::test::writeGeneratedCable(dir / "in",
                                             tracelink::test::generatedCable({1310}, kFibres));
        std::ofstream(dir / "limits.json")
            << tracelink::cable::limitsJson(tracelink::test::generatedCableLimits());
      });
  return folder.path();
}

std::string quoted(const fs::path& p) {
  return "'" + p.string() + "'";
}

std::string jobsLabel(int jobs) {
  return jobs > 0 ? "--jobs " + std::to_string(jobs)
                  : std::to_string(std::thread::hardware_concurrency()) + " cores";
}

void BM_CliCableReport(benchmark::State& state) {
  const int jobs = static_cast<int>(state.range(0));
  const fs::path& d = cableFolder();
  const std::string command = quoted(TRACELINK_CLI_PATH) + " cable " + quoted(d / "in") +
                              " --limits " + quoted(d / "limits.json") + " --out " +
                              quoted(d / "cable.pdf") + " --csv " + quoted(d / "cable.csv") +
                              " --xlsx " + quoted(d / "cable.xlsx") + " --force" +
                              (jobs > 0 ? " --jobs " + std::to_string(jobs) : "");
  for (auto _ : state)
    if (!runQuiet(command)) state.SkipWithError("tracelink-cli cable failed");
  state.SetItemsProcessed(state.iterations() * 2 * kFibres);
  state.SetLabel("traces to the cable report, PDF+CSV+XLSX, " + jobsLabel(jobs));
}
BENCHMARK(BM_CliCableReport)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Baseline: the single-trace report of the same 96 files, all pages in one PDF.
void BM_CliReportSameFiles(benchmark::State& state) {
  const int jobs = static_cast<int>(state.range(0));
  const fs::path& d = cableFolder();
  const std::string command = quoted(TRACELINK_CLI_PATH) + " report " + quoted(d / "in") +
                              "/*.sor --out " + quoted(d / "report.pdf") + " --force" +
                              (jobs > 0 ? " --jobs " + std::to_string(jobs) : "");
  for (auto _ : state)
    if (!runQuiet(command)) state.SkipWithError("tracelink-cli report failed");
  state.SetItemsProcessed(state.iterations() * 2 * kFibres);
  state.SetLabel("traces to report pages, " + jobsLabel(jobs));
}
BENCHMARK(BM_CliReportSameFiles)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Reading the report back: every attachment hashed, every fibre judged again.
void BM_CliVerify(benchmark::State& state) {
  const fs::path& d = cableFolder();
  if (!fs::exists(d / "cable.pdf") &&
      !runQuiet(quoted(TRACELINK_CLI_PATH) + " cable " + quoted(d / "in") + " --limits " +
                quoted(d / "limits.json") + " --out " + quoted(d / "cable.pdf") + " --force"))
    state.SkipWithError("tracelink-cli cable failed");
  const std::string command = quoted(TRACELINK_CLI_PATH) + " verify " + quoted(d / "cable.pdf");
  for (auto _ : state)
    if (!runQuiet(command)) state.SkipWithError("tracelink-cli verify found a mismatch");
  state.SetItemsProcessed(state.iterations() * 2 * kFibres);
  state.SetLabel("traces verified");
}
BENCHMARK(BM_CliVerify)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
