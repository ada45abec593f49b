// Whole-process timing of tracelink-cli report over 500 traces into --out-dir, as report
// pages per second: on every core, on one (--jobs 1), and beside it the baseline of
// tracelink-cli plot run once per trace over the same files. Then how the batch scales:
// --jobs 1 and --jobs 2 taken in turn, into --out-dir and into one --out document, with
// the medians, their ratio and the processor time per wall second; with
// TRACELINK_BASELINE_CLI naming another build of tracelink-cli (main's, say), that one
// is taken in the same turns as the baseline. Run by hand (Release build).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;
using tracelink::bench::runQuiet;

constexpr int kTraces = 500;

// 500 trace files made from the samples, in a folder that lives as long as the program.
const fs::path& traceFolder() {
  static const tracelink::bench::ScratchFolder folder(
      "tracelink-report-cli-bench", [](const fs::path& dir) {
        fs::create_directories(dir / "in");
        std::vector<fs::path> samples;
        for (const auto& e : fs::directory_iterator(TRACELINK_SAMPLES_DIR))
          if (e.path().extension() == ".otdr") samples.push_back(e.path());
        std::sort(samples.begin(), samples.end());
        for (int i = 0; i < kTraces; ++i)
          fs::copy_file(samples[static_cast<std::size_t>(i) % samples.size()],
                        dir / "in" / ("trace_" + std::to_string(1000 + i) + ".otdr"));
      });
  return folder.path();
}

std::string inputs() {
  return "'" + (traceFolder() / "in").string() + "'/trace_*.otdr";
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

struct Timed {
  double wall = 0;  // seconds
  double cpu = 0;   // user and system seconds of the process and its threads
  bool ok = false;
};

// One run of the program, its output thrown away, timed by the wall clock and by the
// processor time the system accounts to it.
Timed timedRun(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr ||
        std::freopen("/dev/null", "w", stderr) == nullptr)
      ::_exit(127);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  Timed t;
  if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return t;
  t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto seconds = [](const timeval& v) { return v.tv_sec + v.tv_usec / 1e6; };
  t.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  t.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return t;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// --jobs 1 and --jobs 2 alternately, so that a shared machine's drift touches both alike.
// Arg 0: one file per trace (--out-dir); 1: one document (--out).
void BM_CliReportScaling(benchmark::State& state) {
  const bool oneDocument = state.range(0) == 1;
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(traceFolder() / "in")) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  struct Program {
    std::string label;
    std::string path;
    std::vector<double> wall[2], cpu[2];
  };
  std::vector<Program> programs{{"", TRACELINK_CLI_PATH, {}, {}}};
  if (const char* baseline = std::getenv("TRACELINK_BASELINE_CLI"))
    programs.push_back({"baseline_", baseline, {}, {}});
  for (auto _ : state) {
    for (Program& p : programs) {
      for (const int jobs : {1, 2}) {
        state.PauseTiming();
        freshOut();
        std::vector<std::string> args{p.path, "report"};
        args.insert(args.end(), files.begin(), files.end());
        const fs::path out = traceFolder() / "out";
        for (const std::string& a : {std::string(oneDocument ? "--out" : "--out-dir"),
                                     (oneDocument ? out / "all.pdf" : out).string(),
                                     std::string("--jobs"), std::to_string(jobs)})
          args.push_back(a);
        state.ResumeTiming();
        const Timed t = timedRun(args);
        if (!t.ok) state.SkipWithError("tracelink-cli report failed");
        p.wall[jobs - 1].push_back(t.wall);
        p.cpu[jobs - 1].push_back(t.cpu);
      }
    }
  }
  for (const Program& p : programs) {
    const double one = median(p.wall[0]);
    const double two = median(p.wall[1]);
    state.counters[p.label + "pages_per_s_jobs1"] = kTraces / one;
    state.counters[p.label + "pages_per_s_jobs2"] = kTraces / two;
    state.counters[p.label + "speedup"] = one / two;
    // Near 2 when both workers ran the whole time; near 1 when they took turns.
    state.counters[p.label + "cpu_per_wall_jobs2"] = median(p.cpu[1]) / two;
  }
  state.SetLabel(oneDocument ? "one document (--out), medians"
                             : "a file each (--out-dir), medians");
}
BENCHMARK(BM_CliReportScaling)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(5)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
