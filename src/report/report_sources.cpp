#include "report/report_sources.h"

#include <QFileInfo>

#include "render/level_series_plot.h"
#include "render/plot_geometry.h"
#include "render/plot_render.h"
#include "session/view_window.h"

namespace tracelink {

ReportSources BuildReportSources(const TraceSession& session, QImage plotCanvas) {
  ReportSources sources;
  const DecodedTexts& texts = session.texts();
  sources.text4_0 = QString::fromStdString(texts.text4_0);
  sources.text4_1 = QString::fromStdString(texts.text4_1);
  sources.text4_3 = QString::fromStdString(texts.text4_3);
  sources.text4_5 = QString::fromStdString(session.scaleText());
  if (const ForeignShown* f = session.foreign()) {
    // Another maker's trace: its own values, its key events in the table, its window
    // drawn at its own spacing and levels, and its file's name.
    if (plotCanvas.isNull())
      plotCanvas = renderTraceCanvas(f->trace, static_cast<std::size_t>(f->view.ViewStart),
                                     static_cast<std::size_t>(f->view.ViewEnd));
    sources.plotCanvas = std::move(plotCanvas);
    sources.decoded = f->decoded;
    sources.eventIl = false;
    if (f->trace.acquisition.wavelengthNm > 0)
      sources.wavelength = QString::number(f->trace.acquisition.wavelengthNm) + "nm";
    sources.traceName = QFileInfo(QString::fromStdString(f->trace.origin.path)).fileName();
    return sources;
  }
  // The session never holds an empty or reversed window, so it is drawn as it stands.
  sources.plotCanvas = plotCanvas.isNull() ? renderPlotCanvas(session.record(), session.header(),
                                                              session.view(), session.decoded().Ior)
                                           : std::move(plotCanvas);
  sources.decoded = session.decoded();
  const TraceSource& source = session.source();
  if (source.kind == TraceSource::Kind::File) {
    const std::u8string name = source.path.filename().u8string();
    sources.traceName = QString::fromUtf8(reinterpret_cast<const char*>(name.data()),
                                          static_cast<qsizetype>(name.size()));
  }
  return sources;
}

}  // namespace tracelink
