// tracelink-sim: a simulated instrument on a pseudo-terminal, for using and testing the
// program without the hardware.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "files/record_file.h"
#include "files/record_text.h"
#include "sim/pty_device.h"
#include "sim/sim_instrument.h"
#include "sim/sim_server.h"
#include "sim/trace_generator.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int) {
  stopRequested = 1;
}

constexpr const char* kUsage = R"(Usage: tracelink-sim [options]

A simulated instrument on a pseudo-terminal. The first line of output is the device to
connect to (for example /dev/pts/3); the simulator then answers trace requests until it
is stopped (Ctrl+C or SIGTERM).

Traces:
  --dir DIR          serve the .otdr files of DIR (in name order: the first is the current
                     trace, the stored traces take the files in turn)
  (default)          generated traces: realistic curves with events
  --range R          range index 0..7 of every generated trace (default: varied)
  --seed S           seed of the generated traces (default 1)
  --stored N         number of stored traces, 0..60 (default 3, or the files of --dir)
  --no-current       the instrument holds no current trace

Line:
  --garbage K        send K junk bytes ahead of every sync byte
  --silent-after M   answer the first M requests, then no more
  --line-rate        pace replies as a 115200 baud line does (0.69 s a block)
  --log FILE         write every request pair to FILE, in hex, one a line

Other:
  --write-samples DIR  write a few generated traces as .otdr files into DIR and exit
  --help             show this text
)";

struct Options {
  std::optional<std::filesystem::path> dir;
  std::optional<std::filesystem::path> writeSamples;
  int rangeN = -1;
  std::uint64_t seed = 1;
  std::optional<int> stored;
  bool noCurrent = false;
  tracelink::sim::ServeOptions serve;
  std::optional<std::string> logPath;
};

bool intArg(const char* text, int lo, int hi, int& out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

// Returns an error message, or nothing when the options are fine.
std::optional<std::string> parse(int argc, char** argv, Options& o, bool& help) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    auto intOption = [&](int lo, int hi, int& out) -> std::optional<std::string> {
      if (!hasValue || !intArg(argv[++i], lo, hi, out))
        return a + " needs a whole number " + std::to_string(lo) + ".." + std::to_string(hi);
      return std::nullopt;
    };
    std::optional<std::string> error;
    if (a == "--help" || a == "-h") {
      help = true;
    } else if (a == "--dir" && hasValue) {
      o.dir = argv[++i];
    } else if (a == "--write-samples" && hasValue) {
      o.writeSamples = argv[++i];
    } else if (a == "--log" && hasValue) {
      o.logPath = argv[++i];
    } else if (a == "--range") {
      error = intOption(0, 7, o.rangeN);
    } else if (a == "--seed") {
      int seed = 0;
      error = intOption(0, 1'000'000'000, seed);
      o.seed = static_cast<std::uint64_t>(seed);
    } else if (a == "--stored") {
      int n = 0;
      error = intOption(0, tracelink::sim::kMaxStored, n);
      o.stored = n;
    } else if (a == "--no-current") {
      o.noCurrent = true;
    } else if (a == "--garbage") {
      error = intOption(0, 100000, o.serve.garbage);
    } else if (a == "--silent-after") {
      int m = 0;
      error = intOption(0, 1'000'000, m);
      o.serve.silentAfter = m;
    } else if (a == "--line-rate") {
      o.serve.lineRate = true;
    } else {
      error = "unknown option or missing value: " + a;
    }
    if (error) return error;
  }
  return std::nullopt;
}

int writeSamples(const std::filesystem::path& dir, std::uint64_t seed) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  // One of each kind of range a demo wants to show: short, medium, long.
  const int ranges[] = {2, 4, 5, 7};
  int n = 0;
  for (const int rangeN : ranges) {
    ++n;
    auto record = tracelink::sim::GenerateTrace({seed + static_cast<std::uint64_t>(n), rangeN, -1});
    const std::int32_t blocks = tracelink::BlocksForRange(rangeN) + 1;  // as an upload saves
    const std::string text = tracelink::BuildRecordText(*record, blocks);
    char name[32];
    std::snprintf(name, sizeof name, "sample_%02d_range%d.otdr", n, rangeN);
    if (const tracelink::Status st = tracelink::WriteRecordFile(dir / name, text); !st) {
      std::fprintf(stderr, "tracelink-sim: %s\n", st.error().text().c_str());
      return 1;
    }
    std::printf("%s\n", (dir / name).c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  bool help = false;
  if (const auto error = parse(argc, argv, o, help)) {
    std::fprintf(stderr, "tracelink-sim: %s\n(see --help)\n", error->c_str());
    return 2;
  }
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (o.writeSamples) return writeSamples(*o.writeSamples, o.seed);

  std::optional<tracelink::sim::SimInstrument> instrument;
  if (o.dir) {
    auto loaded =
        tracelink::sim::SimInstrument::fromFolder(*o.dir, o.stored.value_or(-1), !o.noCurrent);
    if (!loaded) {
      std::fprintf(stderr, "tracelink-sim: %s\n", loaded.error().text().c_str());
      return 1;
    }
    instrument.emplace(std::move(loaded.value()));
  } else {
    instrument.emplace(tracelink::sim::SimInstrument::generated(o.seed, o.stored.value_or(3),
                                                                !o.noCurrent, o.rangeN));
  }

  std::FILE* log = nullptr;
  if (o.logPath) {
    log = std::fopen(o.logPath->c_str(), "w");
    if (log == nullptr) {
      std::fprintf(stderr, "tracelink-sim: %s: %s\n", o.logPath->c_str(), std::strerror(errno));
      return 1;
    }
  }
  o.serve.log = log;
  o.serve.seed = o.seed;

  auto pty = tracelink::sim::PtyDevice::open();
  if (!pty) {
    std::fprintf(stderr, "tracelink-sim: %s\n", pty.error().text().c_str());
    return 1;
  }
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  std::printf("%s\n", pty->devicePath().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "tracelink-sim: %d stored trace(s), %s current trace\n",
               instrument->storedCount(), instrument->hasCurrent() ? "a" : "no");
  tracelink::sim::serve(pty->masterFd(), *instrument, o.serve, stopRequested);
  if (log) std::fclose(log);
  return 0;
}
