// Report timings: composing the page once (as the preview's load does) in both builds, one
// scroll step of the preview, and one report composed as a PDF and written to a file
// (beside the canvas composition, its baseline). Run by hand (Release build).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QScrollBar>

#include <filesystem>

#include "bench_support.h"
#include "files/atomic_file.h"
#include "report/print_preview_window.h"
#include "report/report_page.h"
#include "report/report_pdf.h"

namespace tracelink {
namespace {

void ensureApp() {
  bench::ensureApp<QApplication>("report_bench");
}

// A full report: every header field, a plot the size of the on-screen one, eight events.
ReportSources fullSources(Language language) {
  ReportSources s;
  s.text4_0 = "1.4677";
  s.text4_1 = "100ns";
  s.text4_3 = "5";
  s.text4_5 = "817m/div     2dB/div";
  s.plotCanvas = QImage(723, 369, QImage::Format_RGB32);
  s.plotCanvas.fill(Qt::white);
  QPainter p(&s.plotCanvas);
  for (int x = 0; x < 723; x += 3) p.drawLine(x, 40 + x / 4, x + 3, 41 + x / 4);
  p.end();
  const bool english = language == Language::English;
  s.decoded.EventTypeName = {"", english ? "REF" : "反射", english ? "ATT" : "损耗"};
  s.decoded.EventCount = 8;
  for (std::size_t i = 1; i <= 8; ++i) {
    s.decoded.EventType[i] = 1 + static_cast<std::int32_t>(i % 2);
    s.decoded.EventDistance[i] = static_cast<std::int32_t>(i * 1021);
    s.decoded.EventLevel[2 * i - 1] = 900 - static_cast<std::int32_t>(i) * 40;
    s.decoded.EventLevel[2 * i] = 880 - static_cast<std::int32_t>(i) * 40;
  }
  return s;
}

const ReportHeader kHeader{"VT520X",      "00088",     "000999",
                           "Single Mode", "TE Marlow", "2026-12-08 10:00:00"};

void BM_ComposeReportPage(benchmark::State& state) {
  ensureApp();
  const Language language = state.range(0) == 0 ? Language::English : Language::Chinese;
  const ReportSources sources = fullSources(language);
  for (auto _ : state) {
    QImage page = ComposeReportPage(kHeader, sources, language, ".");
    benchmark::DoNotOptimize(page.constBits());
  }
  state.SetLabel(language == Language::English ? "English page" : "Chinese page");
}
BENCHMARK(BM_ComposeReportPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What a "Save PDF…" or one --out-dir report costs: the page drawn as a PDF in memory,
// then written atomically (temporary file, fsync, rename) over the last one.
void BM_ReportPdfComposedAndWritten(benchmark::State& state) {
  ensureApp();
  const Language language = state.range(0) == 0 ? Language::English : Language::Chinese;
  const ReportSources sources = fullSources(language);
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "tracelink-report-bench.pdf";
  std::int64_t bytes = 0;
  for (auto _ : state) {
    const Result<QByteArray> pdf = ReportPdf(kHeader, sources, language, ".");
    if (!pdf) {
      state.SkipWithError(pdf.error().text().c_str());
      break;
    }
    const Status written = WriteFileAtomically(
        path, std::string_view(pdf->constData(), static_cast<std::size_t>(pdf->size())),
        ExistingFile::Replace);
    if (!written) {
      state.SkipWithError(written.error().text().c_str());
      break;
    }
    bytes = pdf->size();
  }
  std::error_code ec;
  std::filesystem::remove(path, ec);
  state.SetLabel(std::string(language == Language::English ? "English" : "Chinese") + " PDF, " +
                 std::to_string(bytes) + " bytes");
}
BENCHMARK(BM_ReportPdfComposedAndWritten)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same PDF without the write, to tell drawing from the disk.
void BM_ReportPdfComposed(benchmark::State& state) {
  ensureApp();
  const ReportSources sources = fullSources(Language::English);
  for (auto _ : state) {
    const Result<QByteArray> pdf = ReportPdf(kHeader, sources, Language::English, ".");
    benchmark::DoNotOptimize(pdf.ok());
  }
  state.SetLabel("English PDF in memory");
}
BENCHMARK(BM_ReportPdfComposed)->Unit(benchmark::kMillisecond);

void BM_PreviewScrollStep(benchmark::State& state) {
  ensureApp();
  PrintPreviewWindow preview(Language::English, kHeader, fullSources(Language::English), "Lab",
                             [](const QImage&) { return PrintAttempt{}; });
  auto* bar = preview.findChild<QScrollBar*>("VScroll1");
  int value = 0;
  for (auto _ : state) {
    value = value == 25 ? 0 : 25;
    bar->setValue(value);
  }
  state.SetLabel("753 x 553 rows copied to the page view");
}
BENCHMARK(BM_PreviewScrollStep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tracelink
