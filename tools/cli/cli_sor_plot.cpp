#include <QGuiApplication>
#include <QImage>

#include "cli_command.h"
#include "cli_qt.h"
#include "cli_sor_plot.h"
#include "render/level_series_plot.h"
#include "render/plot_render.h"
#include "session/view_window.h"
#include "sor/sor_values.h"

namespace tracelink::cli {

int plotSorFile(const SorInput& input, const std::string& png, bool dark,
                std::optional<std::int32_t> from, std::optional<std::int32_t> to,
                std::ostream& err) {
  const sor::DataTrace* trace = input.sor.dataPts && !input.sor.dataPts->traces.empty()
                                    ? &input.sor.dataPts->traces.front()
                                    : nullptr;
  if (!trace || trace->values.size() < 2)
    return fail(err, "plot: " + input.file + ": block DataPts has fewer than 2 points to draw");
  LevelSeries series;
  series.spacingM = sor::SampleSpacingM(input.sor.fxdParams.value_or(sor::FxdParams{}));
  series.levelsDb.reserve(trace->values.size());
  for (const std::uint16_t v : trace->values)
    series.levelsDb.push_back(sor::LevelDb(v, trace->scaleFactor));
  std::size_t first = 0;
  std::size_t last = series.levelsDb.size() - 1;
  if (from) {
    first = static_cast<std::size_t>(*from);
    last = std::min<std::size_t>(static_cast<std::size_t>(*to), last);
    if (first >= last)
      return fail(err, "plot: " + input.file + ": --from " + std::to_string(*from) +
                           " is past the file's last point " +
                           std::to_string(series.levelsDb.size() - 1));
  }

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "tracelink-cli";
  char* argv[] = {name, nullptr};
  const QGuiApplication app(argc, argv);
  const QImage canvas = renderLevelSeriesCanvas(series, first, last);
  QImage picture = canvas;
  if (dark) presentPlot(canvas, picture, kDarkScheme);
  if (const std::optional<std::string> problem = writePng(picture, png))
    return fail(err, "plot: cannot write '" + png + "': " + *problem);
  return kExitOk;
}

}  // namespace tracelink::cli
