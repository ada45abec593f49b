// The cable view's table for 288 files (72 fibres, both ends, 1310 and 1550 nm): from the
// folder to the table shown, judged by limits. Beside it, in the same run, the plain
// reading of the same files one after another, which is what the view must at least do.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>

#include "cable/generated_cable.h"
#include "trace/load_trace.h"
#include "ui/cable_table.h"
#include "ui/cable_window.h"

namespace {

using namespace tracelink;

constexpr int kFibres = 72;  // x 2 ends x 2 wavelengths = 288 files

const QString& cableFolder() {
  static QTemporaryDir dir;
  static const QString folder = [] {
    const QString f = dir.filePath("cable");
    QDir().mkpath(f);
    test::writeGeneratedCable(f.toStdString(), test::generatedCable({1310, 1550}, kFibres),
                              {1310, 1550});
    return f;
  }();
  return folder;
}

void BM_ReadFilesOneByOne(benchmark::State& state) {
  const std::vector<std::string> paths = cable::traceFilesIn(cableFolder().toStdString());
  for (auto _ : state) {
    std::size_t points = 0;
    for (const std::string& p : paths) points += LoadTrace(p)->size();
    benchmark::DoNotOptimize(points);
  }
  state.counters["files"] = static_cast<double>(paths.size());
}
BENCHMARK(BM_ReadFilesOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CableWindowTable(benchmark::State& state) {
  const QString folder = cableFolder();
  std::size_t rows = 0;
  for (auto _ : state) {
    CableWindow window(Language::English, nullptr);
    window.setLimits(test::generatedCableLimits());
    QEventLoop loop;
    QObject::connect(&window, &CableWindow::ready, &loop, &QEventLoop::quit);
    window.open({folder}, folder);
    loop.exec();
    rows = static_cast<std::size_t>(window.model()->rowCount());
  }
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_CableWindowTable)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
