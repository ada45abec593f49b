#include "ui/compare_report.h"

#include <QLocale>

#include "report/compare_pdf.h"
#include "ui/compare_window.h"
#include "ui/qt_text.h"

namespace tracelink {

Result<QByteArray> overlayPdfBytes(const std::vector<ComparedTrace>& traces,
                                   const std::vector<compare::OverlayTrace>& overlay,
                                   const OverlayView& view, std::optional<double> markerA,
                                   std::optional<double> markerB, Language language) {
  OverlayPdfInput input;
  input.traces = overlay;
  for (const ComparedTrace& t : traces) input.names.push_back(t.name);
  input.view = view;
  input.markerA = markerA;
  input.markerB = markerB;
  return overlayPdf(input, language, QLocale().decimalPoint());
}

Result<QByteArray> bidirPdfBytes(const compare::BidirResult& result, const ComparedTrace& a,
                                 const ComparedTrace& b, Language language) {
  return bidirPdf(a.trace, b.trace, result, a.name, b.name, language, QLocale().decimalPoint());
}

}  // namespace tracelink
