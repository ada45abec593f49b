// Start-up of the main window to its first paint, and a click in the file list to the
// redrawn plot for the largest trace file. Runs on the offscreen platform unless a
// display is given.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QListWidget>
#include <QTemporaryDir>

#include "files/record_file.h"
#include "files/record_text.h"
#include "ui/main_window.h"

namespace {

using tracelink::Language;
using tracelink::MainWindow;
using tracelink::MainWindowOptions;

class FirstPaint : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted = true;
    return false;
  }
};

// Named by the process id: benchmarks and tests running side by side must not share a
// device name, or they race on its lock file.
QString noPort(int n) {
  return QStringLiteral("/nonexistent/ttyBENCH%1_%2")
      .arg(QCoreApplication::applicationPid())
      .arg(n);
}

MainWindowOptions options(const QString& folder) {
  MainWindowOptions o;
  o.saveFolder = folder;
  o.portMapping = noPort;
  return o;
}

void BM_StartupToFirstPaint(benchmark::State& state) {
  QTemporaryDir dir;
  for (auto _ : state) {
    MainWindow w(Language::English, options(dir.path()));
    FirstPaint probe;
    w.findChild<QWidget*>("Picture2")->installEventFilter(&probe);
    w.show();
    while (!probe.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
    state.PauseTiming();
    w.close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadLargestTrace(benchmark::State& state) {
  QTemporaryDir dir;
  tracelink::TraceRecord record;
  record[tracelink::slot::kRangeN] = 7;
  record[tracelink::slot::kStartPoint] = 1;
  record[tracelink::slot::kRangeLine] = 50000;
  for (int s = 0; s < 56000; ++s) record[static_cast<std::size_t>(s)] = 900 - (s * 7) % 800;
  const std::string text = tracelink::BuildRecordText(record, 15);
  if (!tracelink::WriteRecordFile(QDir(dir.path()).filePath("big.otdr").toStdString(), text)) {
    state.SkipWithError("cannot write the trace file");
    return;
  }
  MainWindow w(Language::English, options(dir.path()));
  w.show();
  auto* list = w.findChild<QListWidget*>("List1");
  list->setCurrentRow(0);
  for (auto _ : state) {
    w.List1_Click();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_LoadLargestTrace)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QElapsedTimer t;
  t.start();
  QApplication app(argc, argv);
  std::printf("QApplication created in %.1f ms\n", t.nsecsElapsed() / 1e6);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
