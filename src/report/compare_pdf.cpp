#include "report/compare_pdf.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTimeZone>
#include <algorithm>
#include <array>
#include <functional>
#include <string>

#include "compare/compare_strings.h"
#include "measure/measure.h"
#include "measure/measure_text.h"
#include "record/fill_in.h"
#include "render/marker_overlay.h"
#include "report/bidir_table.h"
#include "report/compare_report_strings.h"
#include "report/page_geometry.h"
#include "report/report_page.h"
#include "report/report_pdf.h"
#include "report/report_text.h"

namespace tracelink {

namespace {

// The page is laid out in the report page's canvas pixels (96 dpi) and scaled onto A4.
constexpr double kLeft = 15;
constexpr double kWidth = kPagePixelWidth - 2 * kLeft;
constexpr double kBottom = kPagePixelHeight - 30;
constexpr int kTitlePixels = 21;
constexpr int kTextPixels = 12;
constexpr int kSmallPixels = 11;
constexpr double kSwatch = 26;  // the colour's stroke before a trace's row
const QString kNone = QStringLiteral("\u2014");

using report_text::figure;
using report_text::utf8;

// Writing on the page: texts hang from their top-left corner, as on the report page.
class Page {
 public:
  Page(QPainter& painter, Language language)
      : painter_(painter), family_(reportFontFamily(language)) {}

  // Draws the text and returns the height of its line.
  double text(double x, double y, const QString& s, int pixels = kTextPixels, bool bold = false,
              double width = 0) {
    const QFont f = font(pixels, bold);
    painter_.setFont(f);
    painter_.setPen(Qt::black);
    const QFontMetricsF metrics(f);
    const QString shown = width > 0 ? metrics.elidedText(s, Qt::ElideMiddle, width) : s;
    painter_.drawText(QPointF(x, y + metrics.ascent()), shown);
    return std::ceil(metrics.height() * 1.25);
  }
  // A paragraph wrapped to the width; returns its height.
  double paragraph(double x, double y, double width, const QString& s, int pixels) {
    const QFont f = font(pixels, false);
    painter_.setFont(f);
    painter_.setPen(Qt::black);
    QRectF used;
    painter_.drawText(QRectF(x, y, width, kPagePixelHeight), Qt::TextWordWrap, s, &used);
    return std::ceil(used.height() + 2);
  }
  void swatch(double x, double y, QRgb colour) {
    painter_.save();
    painter_.setPen(QPen(QColor::fromRgb(colour), 3, Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(QPointF(x, y + 7), QPointF(x + kSwatch - 6, y + 7));
    painter_.restore();
  }
  void rule(double y) {
    painter_.setPen(QPen(Qt::black, 1));
    painter_.drawLine(QPointF(kLeft, y), QPointF(kLeft + kWidth, y));
  }
  QPainter& painter() { return painter_; }

 private:
  QFont font(int pixels, bool bold) const {
    QFont f(family_);
    f.setPixelSize(pixels);
    f.setBold(bold);
    // Outlines in a file are scaled by the viewer; hinting them here is wasted work.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
  }
  QPainter& painter_;
  QString family_;
};

// One A4 page drawn by `draw` in canvas pixels, as a document in memory.
Result<QByteArray> onePage(const QString& title, Language language,
                           const std::function<void(Page&)>& draw) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    setUpA4Document(writer, title);
    QPainter painter;
    if (!painter.begin(&writer)) return Error::of(ErrorCode::PdfCannotDraw);
    // Coloured curves one pixel wide would smear in a JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    mapCanvasOntoPage(painter, writer);
    Page page(painter, language);
    draw(page);
    if (!painter.end()) return Error::of(ErrorCode::PdfCannotEnd);
  }
  buffer.close();
  if (bytes.isEmpty()) return Error::of(ErrorCode::PdfCannotEnd);
  return bytes;
}

QString fileNameOf(const Trace& trace, const std::vector<QString>& names, std::size_t k) {
  if (k < names.size() && !names[k].isEmpty()) return names[k];
  const QString name = QFileInfo(utf8(trace.origin.path)).fileName();
  return name.isEmpty() ? kNone : name;
}

QString dateOf(const Trace& trace) {
  const std::optional<std::int64_t> when = trace.identity.dateTime;
  if (!when) return kNone;
  return QDateTime::fromSecsSinceEpoch(*when, QTimeZone::utc())
             .toString(QStringLiteral("yyyy-MM-dd HH:mm")) +
         QStringLiteral(" UTC");
}

QString pulseOf(const Trace& trace, const QString& sep) {
  if (trace.acquisition.pulseWidthsNs.empty()) return kNone;
  return utf8(compare::compactNumber(trace.acquisition.pulseWidthsNs.front(), 1))
      .replace(QChar('.'), sep);
}

QString wavelengthOf(const Trace& trace, const QString& sep) {
  if (!(trace.acquisition.wavelengthNm > 0)) return kNone;
  return utf8(compare::compactNumber(trace.acquisition.wavelengthNm, 1)).replace(QChar('.'), sep);
}

// The overlay's canvas in the light colours, with the marker lines where it has them, and
// the scale it was drawn at.
QImage overlayPicture(const std::vector<compare::OverlayTrace>& traces, const OverlayView& view,
                      std::optional<double> markerA, std::optional<double> markerB,
                      OverlayScale& scale) {
  QImage canvas = renderOverlay(traces, view, &scale);
  if (markerA || markerB) {
    MarkerOverlay markers;
    // The frame counts its metres from the axis origin.
    if (markerA) markers.markerA = *markerA - scale.axisOriginM;
    if (markerB) markers.markerB = *markerB - scale.axisOriginM;
    QPainter painter(&canvas);
    paintMarkerOverlay(painter, scale.frame, 0, markers);
  }
  return canvas;
}

// Columns of a table: left edges across the page.
template <std::size_t N>
std::array<double, N> columns(const std::array<double, N>& widths) {
  std::array<double, N> at{};
  double x = kLeft;
  for (std::size_t c = 0; c < N; ++c) {
    at[c] = x;
    x += widths[c];
  }
  return at;
}

// A table's column heads (the swatch column has none) over a rule; returns where the rows
// start.
template <std::size_t N>
double headRow(Page& page, double y, const std::array<double, N>& at,
               const std::array<double, N>& widths, const QStringList& head) {
  double row = 0;
  for (std::size_t c = 1; c < N && c < static_cast<std::size_t>(head.size()); ++c)
    row = page.text(at[c], y, head[static_cast<qsizetype>(c)], kSmallPixels, true, widths[c] - 6);
  y += row;
  page.rule(y - 3);
  return y;
}

// A row for each shown trace, in the overlay's order: its colour, its file and what
// cells(trace, y) draws from the third column on, which returns the row's height. Returns
// where the rows end.
template <std::size_t N, typename Cells>
double traceRows(Page& page, double y, const OverlayPdfInput& input,
                 const std::array<double, N>& at, const std::array<double, N>& widths,
                 const Cells& cells) {
  for (std::size_t k = 0; k < input.traces.size() && k < compare::kMaxOverlay; ++k) {
    const compare::OverlayTrace& t = input.traces[k];
    if (!t.shown || t.trace == nullptr) continue;
    page.swatch(at[0], y, overlayColour(k));
    page.text(at[1], y, fileNameOf(*t.trace, input.names, k), kSmallPixels, false, widths[1] - 6);
    y += cells(t, y);
  }
  return y;
}

double drawLegend(Page& page, double y, const OverlayPdfInput& input, Language language,
                  const QString& sep) {
  const CompareReportStrings& s = compareReportStrings(language);
  constexpr std::array<double, 6> widths = {kSwatch, 270, 120, 80, 150, 80};
  const auto at = columns(widths);
  const QStringList head = {QString(), s.file, s.wavelength, s.pulse, s.date, s.offset};
  y = headRow(page, y, at, widths, head);
  return traceRows(page, y, input, at, widths, [&](const compare::OverlayTrace& t, double row) {
    page.text(at[2], row, wavelengthOf(*t.trace, sep), kSmallPixels);
    page.text(at[3], row, pulseOf(*t.trace, sep), kSmallPixels);
    page.text(at[4], row, dateOf(*t.trace), kSmallPixels);
    return page.text(at[5], row, figure(t.offsetDb, 2, sep), kSmallPixels);
  });
}

double drawMarkerTable(Page& page, double y, const OverlayPdfInput& input, Language language,
                       const QString& sep) {
  const CompareReportStrings& s = compareReportStrings(language);
  const double aM = *input.markerA;
  const double bM = *input.markerB;
  y += page.text(kLeft, y, fillIn(s.markers, {figure(aM, 1, sep), figure(bM, 1, sep)}), kTextPixels,
                 true);
  constexpr std::array<double, 6> widths = {kSwatch, 290, 90, 90, 110, 110};
  const auto at = columns(widths);
  const QStringList head = {QString(), s.file, s.levelA, s.levelB, s.loss, s.lsa};
  y = headRow(page, y, at, widths, head);
  return traceRows(page, y, input, at, widths, [&](const compare::OverlayTrace& t, double row) {
    // The levels as the plot shows them, offset included; an offset moves both markers'
    // levels alike and leaves the losses as measured.
    const Measured<MarkerLevel> a = levelAt(*t.trace, aM, 'A');
    const Measured<MarkerLevel> b = levelAt(*t.trace, bM, 'B');
    const Measured<SpanMeasure> span = measureSpan(*t.trace, aM, bM);
    if (!a || !b || !span) {
      const MeasureProblem& why = !a ? a.problem() : !b ? b.problem() : span.problem();
      return page.text(at[2], row, fillIn(s.noMeasure, {utf8(describe(why, language))}),
                       kSmallPixels, false, kWidth - (at[2] - kLeft));
    }
    page.text(at[2], row, figure(a->levelDb() + t.offsetDb, 2, sep), kSmallPixels);
    page.text(at[3], row, figure(b->levelDb() + t.offsetDb, 2, sep), kSmallPixels);
    page.text(at[4], row, figure(span->deltaDb(), 3, sep), kSmallPixels);
    return page.text(at[5], row, figure(span->lsa.dbPerKm(), 3, sep), kSmallPixels);
  });
}

}  // namespace

Result<QByteArray> overlayPdf(const OverlayPdfInput& input, Language language,
                              const QString& decimalSeparator) {
  const CompareReportStrings& s = compareReportStrings(language);
  const QString& sep = decimalSeparator;
  return onePage(s.overlayTitle, language, [&](Page& page) {
    double y = 30;
    y += page.text(kLeft, y, s.overlayTitle, kTitlePixels, true);
    // The picture first: the view's line names the distances it was drawn at.
    OverlayScale scale;
    const QImage canvas =
        overlayPicture(input.traces, input.view, input.markerA, input.markerB, scale);
    const double from = scale.frame.viewStartM + scale.axisOriginM;
    const double to = scale.frame.viewEndM + scale.axisOriginM;
    y += page.text(kLeft, y, fillIn(s.view, {figure(from, 1, sep), figure(to, 1, sep)}));
    y += 6;
    page.painter().drawImage(QPointF(kLeft, y), canvas);
    y += canvas.height() + 16;
    y = drawLegend(page, y, input, language, sep);
    if (input.markerA && input.markerB) drawMarkerTable(page, y + 16, input, language, sep);
  });
}

Trace mirroredTrace(const Trace& b, const compare::BidirResult& both) {
  Trace m = b;
  std::reverse(m.levels.begin(), m.levels.end());
  const double last = b.empty() ? 0.0 : static_cast<double>(b.size() - 1) * b.spacingM;
  const double far = both.a.startM + both.lengthM + both.b.startM;
  m.originM = far - b.originM - last;
  for (KeyEvent& e : m.events) e.distanceM = far - e.distanceM;
  std::reverse(m.events.begin(), m.events.end());
  return m;
}

Result<QByteArray> bidirPdf(const Trace& a, const Trace& b, const compare::BidirResult& both,
                            const QString& fileA, const QString& fileB, Language language,
                            const QString& decimalSeparator) {
  const CompareReportStrings& s = compareReportStrings(language);
  const compare::CompareStrings& c = compare::compareStrings(language);
  const QString& sep = decimalSeparator;
  const Trace mirrored = mirroredTrace(b, both);
  const std::vector<compare::OverlayTrace> traces = {{&a}, {&mirrored}};
  return onePage(s.bidirTitle, language, [&](Page& page) {
    double y = 30;
    y += page.text(kLeft, y, s.bidirTitle, kTitlePixels, true);
    page.swatch(kLeft, y, overlayColour(0));
    y += page.text(kLeft + kSwatch, y, fillIn(s.fromA, {fileA}), kTextPixels, false,
                   kWidth - kSwatch);
    page.swatch(kLeft, y, overlayColour(1));
    y += page.text(kLeft + kSwatch, y, fillIn(s.fromB, {fileB}), kTextPixels, false,
                   kWidth - kSwatch);
    const QString wavelength =
        utf8(compare::compactNumber(both.wavelengthNm, 1)).replace(QChar('.'), sep);
    y += page.text(kLeft, y,
                   fillIn(utf8(c.bidirHead), {wavelength, figure(both.lengthM, 1, sep),
                                              figure(both.toleranceM, 1, sep)}));
    y += 6;
    const QImage canvas = renderOverlay(traces, fullOverlayView(traces));
    page.painter().drawImage(QPointF(kLeft, y), canvas);
    y += canvas.height() + 12;
    if (!both.warnings.empty()) {
      const std::string nameA = fileA.toStdString();
      const std::string nameB = fileB.toStdString();
      QString lines = s.warnings;
      for (const compare::BidirNote& note : both.warnings)
        lines += QChar('\n') + utf8(compare::warningText(note, nameA, nameB, language));
      y += page.paragraph(kLeft, y, kWidth, lines, kSmallPixels) + 8;
    }
    drawBidirTable(page.painter(), QRectF(kLeft, y, kWidth, kBottom - y), both, language, sep);
  });
}

}  // namespace tracelink
