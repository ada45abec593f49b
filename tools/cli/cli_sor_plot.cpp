#include "cli_sor_plot.h"

#include <QGuiApplication>
#include <QImage>

#include "cli_command.h"
#include "cli_qt.h"
#include "files/path_text.h"
#include "render/level_series_plot.h"
#include "render/overlay_plot.h"
#include "render/plot_render.h"
#include "report/compare_pdf.h"
#include "session/view_window.h"
#include "trace/load_trace.h"

namespace tracelink::cli {

int plotTrace(const Trace& trace, const std::string& file, const std::string& png, bool dark,
              std::optional<std::int32_t> from, std::optional<std::int32_t> to, std::ostream& err) {
  if (trace.size() < 2)
    return fail(err, "plot: " + file + ": block DataPts has fewer than 2 points to draw");
  std::size_t first = 0;
  std::size_t last = trace.size() - 1;
  if (from) {
    first = static_cast<std::size_t>(*from);
    last = std::min<std::size_t>(static_cast<std::size_t>(*to), last);
    if (first >= last)
      return fail(err, "plot: " + file + ": --from " + std::to_string(*from) +
                           " is past the file's last point " + std::to_string(trace.size() - 1));
  }

  // The one quiet start the drawing commands share: no runtime-folder warning.
  const std::unique_ptr<QGuiApplication> app = startGuiApplication();
  const QImage canvas = renderTraceCanvas(trace, first, last);
  QImage picture = canvas;
  if (dark) presentPlot(canvas, picture, kDarkScheme);
  if (const std::optional<std::string> problem = writePng(picture, png))
    return fail(err, "plot: cannot write '" + png + "': " + *problem);
  return kExitOk;
}

int plotOverlay(const std::vector<std::string>& files, const std::string& png, bool dark,
                std::optional<double> fromM, std::optional<double> toM, std::ostream& err) {
  std::vector<Trace> traces;
  traces.reserve(files.size());
  for (const std::string& file : files) {
    Result<Trace> trace = LoadTrace(pathFromText(file));
    if (!trace) return fail(err, trace.error().text());
    if (trace->size() < 2) return fail(err, "plot: " + file + " has fewer than 2 points to draw");
    traces.push_back(std::move(*trace));
  }
  std::vector<compare::OverlayTrace> overlay;
  for (const Trace& trace : traces) overlay.push_back({&trace});
  OverlayView view = fullOverlayView(overlay);
  if (fromM) {
    // The window counts from where the axis does, as the plot's labels do.
    const double origin = overlayScale(overlay, view).axisOriginM;
    view.fromM = origin + *fromM;
    view.toM = origin + *toM;
  }

  const std::unique_ptr<QGuiApplication> app = startGuiApplication();
  const QImage canvas = renderOverlay(overlay, view);
  QImage picture = canvas;
  if (dark) presentPlot(canvas, picture, kDarkScheme);
  if (const std::optional<std::string> problem = writePng(picture, png))
    return fail(err, "plot: cannot write '" + png + "': " + *problem);
  return kExitOk;
}

std::string writeBidirPdf(const std::string& pdf, bool force, const Trace& a, const Trace& b,
                          const compare::BidirResult& both, const std::string& fileA,
                          const std::string& fileB, Language language) {
  if (const std::optional<std::string> refused = refuseExisting(pdf, force)) return *refused;
  const std::unique_ptr<QGuiApplication> app = startGuiApplication();
  const Result<QByteArray> bytes =
      bidirPdf(a, b, both, QString::fromStdString(fileA), QString::fromStdString(fileB), language,
               QStringLiteral("."));
  if (!bytes) return pdf + ": " + bytes.error().text();
  return writeOutput(pathFromText(pdf), bytesOf(*bytes), force);
}

}  // namespace tracelink::cli
