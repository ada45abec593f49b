// Whole-process timing of tracelink-cli report over 500 traces into --out-dir, as report
// pages per second: on every core, on one (--jobs 1), and beside it the baseline of
// tracelink-cli plot run once per trace over the same files. Run by hand (Release build).
#include <benchmark/benchmark.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kTraces = 500;

// 500 trace files made from the samples, in a folder that lives as long as the program.
const fs::path& traceFolder() {
  static const fs::path folder = [] {
    const fs::path dir = fs::temp_directory_path() / "tracelink-report-cli-bench";
    fs::remove_all(dir);
    fs::create_directories(dir / "in");
    std::vector<fs::path> samples;
    for (const auto& e : fs::directory_iterator(TRACELINK_SAMPLES_DIR))
      if (e.path().extension() == ".otdr") samples.push_back(e.path());
    std::sort(samples.begin(), samples.end());
    for (int i = 0; i < kTraces; ++i)
      fs::copy_file(samples[static_cast<std::size_t>(i) % samples.size()],
                    dir / "in" / ("trace_" + std::to_string(1000 + i) + ".otdr"));
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(fs::temp_directory_path() / "tracelink-report-cli-bench", ec);
    });
    return dir;
  }();
  return folder;
}

std::string inputs() {
  return "'" + (traceFolder() / "in").string() + "'/trace_*.otdr";
}

bool runQuiet(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void freshOut() {
  fs::remove_all(traceFolder() / "out");
  fs::create_directories(traceFolder() / "out");
}

void BM_CliReportOutDir(benchmark::State& state) {
  const int jobs = static_cast<int>(state.range(0));
  const std::string command = std::string("'") + TRACELINK_CLI_PATH + "' report " + inputs() +
                              " --out-dir '" + (traceFolder() / "out").string() + "'" +
                              (jobs > 0 ? " --jobs " + std::to_string(jobs) : "");
  for (auto _ : state) {
    state.PauseTiming();
    freshOut();
    state.ResumeTiming();
    if (!runQuiet(command)) state.SkipWithError("tracelink-cli report failed");
  }
  state.SetItemsProcessed(state.iterations() * kTraces);
  state.SetLabel(jobs > 0 ? "report pages, --jobs " + std::to_string(jobs)
                          : "report pages, " + std::to_string(std::thread::hardware_concurrency()) +
                                " cores");
}
BENCHMARK(BM_CliReportOutDir)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(2)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// Baseline: the plot command once per trace, one process each, written to PNG.
void BM_CliPlotEach(benchmark::State& state) {
  std::vector<std::string> commands;
  for (int i = 0; i < kTraces; ++i) {
    const std::string name = "trace_" + std::to_string(1000 + i);
    commands.push_back(std::string("'") + TRACELINK_CLI_PATH + "' plot '" +
                       (traceFolder() / "in" / (name + ".otdr")).string() + "' --out '" +
                       (traceFolder() / "out" / (name + ".png")).string() + "'");
  }
  for (auto _ : state) {
    state.PauseTiming();
    freshOut();
    state.ResumeTiming();
    for (const std::string& command : commands) {
      if (!runQuiet(command)) {
        state.SkipWithError("tracelink-cli plot failed");
        break;
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kTraces);
  state.SetLabel("plot PNGs, one process each, one at a time");
}
BENCHMARK(BM_CliPlotEach)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
