#include "report/report_sources.h"

#include "render/plot_geometry.h"
#include "render/plot_render.h"
#include "session/view_window.h"

namespace tracelink {

ReportSources BuildReportSources(const TraceRecord& record, const HeaderState& header,
                                 ViewWindow view, Language language,
                                 const QString& decimalSeparator, const QString& traceName,
                                 DecodedValues decoded) {
  ReportSources sources;
  const DecodedTexts texts =
      DecodeRecord(record, decoded, language, decimalSeparator.toStdString());
  sources.text4_0 = QString::fromStdString(texts.text4_0);
  sources.text4_1 = QString::fromStdString(texts.text4_1);
  sources.text4_3 = QString::fromStdString(texts.text4_3);
  repairWindow(view);
  PlotFrame frame;
  sources.plotCanvas = renderPlotCanvas(record, header, view, decoded.Ior, &frame);
  sources.text4_5 = QString::fromStdString(scaleText(frame.gridStep));
  sources.decoded = std::move(decoded);
  sources.traceName = traceName;
  return sources;
}

}  // namespace tracelink
