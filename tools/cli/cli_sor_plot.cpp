#include "cli_sor_plot.h"

#include <QGuiApplication>
#include <QImage>

#include "cli_command.h"
#include "cli_qt.h"
#include "render/level_series_plot.h"
#include "render/plot_render.h"
#include "session/view_window.h"

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

}  // namespace tracelink::cli
