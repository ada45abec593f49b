// The block transfer: one block's framing, unmasking and storing, and whole uploads from
// the simulated instrument over a pseudo-terminal, paced as a real line and at full speed.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "link/block_transfer.h"
#include "link/cable_upload_run.h"
#include "link/serial_link.h"
#include "link/transfer_messages.h"
#include "link/upload_controller.h"

namespace {

using tracelink::BlockTransfer;
using tracelink::PlainTraceSink;

std::vector<std::uint8_t> encodeReply(const std::array<std::uint16_t, 4000>& words) {
  std::vector<std::uint8_t> out{tracelink::kSyncByte};
  for (const std::uint16_t w : words) {
    const auto m = static_cast<std::uint16_t>(w ^ tracelink::kWordMask);
    out.push_back(static_cast<std::uint8_t>(m >> 8));
    out.push_back(static_cast<std::uint8_t>(m & 0xFF));
  }
  return out;
}

// A transfer of a 12-block current trace, ready to take data blocks one after the other.
struct BlockFixture {
  std::unique_ptr<tracelink::TraceRecord> record = std::make_unique<tracelink::TraceRecord>();
  tracelink::HeaderState header;
  tracelink::ViewWindow view;
  PlainTraceSink sink{*record, header, view};
  BlockTransfer transfer{sink};
  std::vector<std::uint8_t> headerReply;
  std::vector<std::uint8_t> dataReply;

  BlockFixture() {
    std::array<std::uint16_t, 4000> words{};
    words[2] = 7;  // rangeN: 12 blocks
    words[12] = tracelink::kHaveTestMark;
    headerReply = encodeReply(words);
    for (std::size_t i = 0; i < words.size(); ++i)
      words[i] = static_cast<std::uint16_t>(800 + (i * 37) % 900);
    dataReply = encodeReply(words);
  }

  void restart() {
    benchmark::DoNotOptimize(transfer.startUpload(tracelink::kCurrentTraceSelect));
    benchmark::DoNotOptimize(transfer.feed(headerReply));
  }
};

// One data block arriving in pieces of `piece` bytes (8001: the whole reply in one read).
void BM_ProcessBlock(benchmark::State& state) {
  BlockFixture f;
  const auto piece = static_cast<std::size_t>(state.range(0));
  f.restart();
  for (auto _ : state) {
    if (!f.transfer.busy()) {
      state.PauseTiming();
      f.restart();
      state.ResumeTiming();
    }
    const std::span<const std::uint8_t> reply(f.dataReply);
    for (std::size_t at = 0; at < reply.size(); at += piece)
      benchmark::DoNotOptimize(
          f.transfer.feed(reply.subspan(at, std::min(piece, reply.size() - at))));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(f.dataReply.size()));
  state.SetLabel("one 8001-byte data block");
}
BENCHMARK(BM_ProcessBlock)->Arg(8001)->Arg(512)->Arg(64)->Unit(benchmark::kMicrosecond);

QCoreApplication& app() {
  static int argc = 1;
  static char name[] = "link_bench";
  static char* argv[] = {name, nullptr};
  static QCoreApplication instance(argc, argv);
  return instance;
}

QString simProgram() {
  const QByteArray dir = qgetenv("TRACELINK_BINARY_DIR");
  if (!dir.isEmpty()) return QString::fromLocal8Bit(dir) + "/tools/sim/tracelink-sim";
  return QCoreApplication::applicationDirPath() + "/../tools/sim/tracelink-sim";
}

// Uploads over the simulator: the current 12-block trace (13 replies), or with
// state.range(1) stored traces an Upload All of that many 12-block traces.
void BM_UploadOverSim(benchmark::State& state) {
  app();
  const bool lineRate = state.range(0) != 0;
  const auto stored = static_cast<int>(state.range(1));
  QStringList args{"--range", "7", "--stored", QString::number(stored)};
  if (lineRate) args << "--line-rate";
  QProcess sim;
  sim.start(simProgram(), args);
  if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(20000)) {
    state.SkipWithError("tracelink-sim did not start (set TRACELINK_BINARY_DIR)");
    return;
  }
  const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

  auto record = std::make_unique<tracelink::TraceRecord>();
  tracelink::HeaderState header;
  tracelink::ViewWindow view;
  tracelink::SerialLink link;
  if (const auto error = link.open(device)) {
    state.SkipWithError(tracelink::linkErrorText(*error, tracelink::Language::English).c_str());
    return;
  }
  tracelink::PlainTraceSink sink(*record, header, view);
  tracelink::UploadController controller(link, sink, tracelink::Language::English);
  controller.setAutoSaveTrace([](int, int) { return tracelink::Status(); });
  QEventLoop loop;
  QObject::connect(&controller, &tracelink::UploadController::transferEnded, &loop,
                   &QEventLoop::quit);
  bool failed = false;
  QObject::connect(&controller, &tracelink::UploadController::transferFailed,
                   [&](const QString&) { failed = true; });

  const int replies = 13 * (stored > 0 ? stored : 1);
  double measured = 0;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    stored > 0 ? controller.uploadAll() : controller.uploadCurrent();
    loop.exec();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    measured += seconds;
    state.SetIterationTime(seconds);
    if (failed) {
      state.SkipWithError("the upload failed");
      break;
    }
  }
  const double lineSeconds = replies * 8001.0 * 10 / 115200;
  state.counters["line_s"] = lineSeconds;
  // Measured time over line time: 1.02 would be 2 % above what the line itself needs.
  if (state.iterations() > 0)
    state.counters["of_line"] = measured / static_cast<double>(state.iterations()) / lineSeconds;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * replies * 8001);
  sim.terminate();
  sim.waitForFinished(5000);
}
// Paced as a 115200 baud line: 13 replies take 9.03 s on the line.
BENCHMARK(BM_UploadOverSim)->Args({1, 0})->Iterations(3)->UseManualTime()->Unit(benchmark::kSecond);
// Full speed: what the program itself sustains, for one trace and for 50 stored traces.
BENCHMARK(BM_UploadOverSim)
    ->Args({0, 0})
    ->Args({0, 50})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Twelve stored traces of twelve blocks at line rate: Upload All (its automatic save left
// out) beside the cable upload, which names, converts and writes each trace as a SOR file
// before it asks for the next. Both are measured against the line time of their 156
// replies; the cable upload must stay within 1.02 of it.
void BM_CableUploadAtLineRate(benchmark::State& state) {
  app();
  const bool cable = state.range(0) != 0;
  constexpr int kStored = 12;
  QProcess sim;
  sim.start(simProgram(), {"--range", "7", "--stored", QString::number(kStored), "--line-rate"});
  if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(20000)) {
    state.SkipWithError("tracelink-sim did not start (set TRACELINK_BINARY_DIR)");
    return;
  }
  const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

  auto record = std::make_unique<tracelink::TraceRecord>();
  tracelink::HeaderState header;
  tracelink::ViewWindow view;
  tracelink::SerialLink link;
  if (const auto error = link.open(device)) {
    state.SkipWithError(tracelink::linkErrorText(*error, tracelink::Language::English).c_str());
    return;
  }
  tracelink::PlainTraceSink sink(*record, header, view);
  tracelink::UploadController controller(link, sink, tracelink::Language::English);
  controller.setAutoSaveTrace([](int, int) { return tracelink::Status(); });
  tracelink::CableUploadRun run(controller, sink, tracelink::Language::English);
  QEventLoop loop;
  QObject::connect(&controller, &tracelink::UploadController::transferEnded, &loop,
                   &QEventLoop::quit);
  bool failed = false;
  QObject::connect(&controller, &tracelink::UploadController::transferFailed,
                   [&](const QString&) { failed = true; });

  double measured = 0;
  for (auto _ : state) {
    QTemporaryDir folder;
    tracelink::CablePlan plan;
    plan.cable = "CABLE";
    plan.locationA = "Exchange";
    plan.locationB = "Cabinet 7";
    plan.operatorName = "R. Smith";
    plan.folder = folder.path().toStdString();
    QElapsedTimer clock;
    clock.start();
    if (cable) {
      if (!run.start(plan)) failed = true;
    } else {
      controller.uploadAll();
    }
    if (!failed) loop.exec();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    measured += seconds;
    state.SetIterationTime(seconds);
    if (failed || (cable && run.summary().saved != kStored)) {
      state.SkipWithError("the upload failed");
      break;
    }
  }
  const double lineSeconds = kStored * 13 * 8001.0 * 10 / 115200;
  state.counters["line_s"] = lineSeconds;
  if (state.iterations() > 0)
    state.counters["of_line"] = measured / static_cast<double>(state.iterations()) / lineSeconds;
  state.SetLabel(cable ? "cable upload, 12 SOR files" : "Upload All, nothing saved");
  sim.terminate();
  sim.waitForFinished(5000);
}
// 156 replies take 108.3 s on the line.
BENCHMARK(BM_CableUploadAtLineRate)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
