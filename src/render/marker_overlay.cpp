#include "render/marker_overlay.h"

#include <QFont>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include "render/plot_render.h"

namespace tracelink {

namespace {

constexpr int kLetterPixels = 12;    // marker letters
constexpr int kNumberPixels = 10;    // event numbers
constexpr double kLetterGap = 3;     // between a marker line and its letter
constexpr double kTriangleHalf = 3;  // event triangle: half its base, in pixels
constexpr double kTriangleHeight = 6;

// Text without smoothed edges, as the plot's labels: the overlay adds only its own
// colours to the picture.
QFont overlayFont(int pixels, bool bold) {
  QFont font;
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

bool inWindow(const PlotFrame& frame, double m) {
  return frame.viewStartM <= m && m <= frame.viewEndM;
}

void paintMarker(QPainter& p, const PlotFrame& frame, char letter, double m, const QColor& colour) {
  if (!inWindow(frame, m)) return;
  const double x = frame.column(m);
  const double top = PlotFrame::row(kPlotTop);
  p.setPen(QPen(colour, 1, Qt::SolidLine));
  p.drawLine(QLineF(x, top, x, PlotFrame::row(0)));
  // The letter stands right of its line, or left of it where the plot ends.
  const double width = kLetterPixels;
  const bool roomRight = x + kLetterGap + width <= kPlotWidth;
  const QRectF box(roomRight ? x + kLetterGap : x - kLetterGap - width, top + 2, width,
                   kLetterPixels + 4);
  p.setFont(overlayFont(kLetterPixels, true));
  p.drawText(box, (roomRight ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop,
             QString(QChar::fromLatin1(letter)));
}

void paintEventMark(QPainter& p, const PlotFrame& frame, const EventMark& mark) {
  if (!inWindow(frame, mark.distanceM)) return;
  const double x = frame.column(mark.distanceM);
  const double base = PlotFrame::row(0);
  const QPolygonF triangle({QPointF(x - kTriangleHalf, base), QPointF(x + kTriangleHalf, base),
                            QPointF(x, base - kTriangleHeight)});
  p.drawPolygon(triangle);
  const QRectF box(x - 15, base - kTriangleHeight - 2 - kNumberPixels - 2, 30, kNumberPixels + 2);
  QString label = QString::number(mark.number);
  // The tick and cross tell pass from fail where the colours alone would not.
  if (mark.pass) label += *mark.pass ? QChar(0x2713) : QChar(0x2717);
  p.drawText(box, Qt::AlignHCenter | Qt::AlignBottom, label);
}

}  // namespace

std::vector<EventMark> eventMarks(const DecodedValues& decoded) {
  std::vector<EventMark> marks;
  const std::int32_t shown = shownEventCount(decoded);
  for (std::int32_t i = 1; i <= shown; ++i)
    marks.push_back({i, static_cast<double>(decoded.EventDistance[static_cast<std::size_t>(i)])});
  return marks;
}

QColor markerColour(char letter, std::int16_t backColourMode) {
  const bool dark = backColourMode == kInvertedColourMode;
  if (letter == 'A') return dark ? QColor(255, 85, 85) : QColor(255, 0, 0);
  return dark ? QColor(85, 255, 85) : QColor(0, 160, 0);
}

QColor eventMarkColour(std::int16_t backColourMode) {
  return backColourMode == kInvertedColourMode ? QColor(255, 170, 64) : QColor(204, 102, 0);
}

QColor verdictColour(bool pass, std::int16_t backColourMode) {
  const bool dark = backColourMode == kInvertedColourMode;
  if (pass) return dark ? QColor(64, 224, 160) : QColor(0, 128, 96);
  return dark ? QColor(255, 64, 160) : QColor(208, 0, 96);
}

void paintMarkerOverlay(QPainter& painter, const PlotFrame& frame, std::int16_t backColourMode,
                        const MarkerOverlay& overlay) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setClipRect(QRect(0, 0, kPlotWidth, kPlotHeight));
  if (overlay.showEvents) {
    const QColor colour = eventMarkColour(backColourMode);
    painter.setPen(QPen(colour, 1, Qt::SolidLine));
    painter.setBrush(colour);
    painter.setFont(overlayFont(kNumberPixels, false));
    for (const EventMark& mark : overlay.events) {
      if (mark.pass) {
        const QColor judged = verdictColour(*mark.pass, backColourMode);
        painter.setPen(QPen(judged, 1, Qt::SolidLine));
        painter.setBrush(judged);
      }
      paintEventMark(painter, frame, mark);
      if (mark.pass) {
        painter.setPen(QPen(colour, 1, Qt::SolidLine));
        painter.setBrush(colour);
      }
    }
  }
  // Markers last, so a marker on an event stays whole.
  if (overlay.markerA)
    paintMarker(painter, frame, 'A', *overlay.markerA, markerColour('A', backColourMode));
  if (overlay.markerB)
    paintMarker(painter, frame, 'B', *overlay.markerB, markerColour('B', backColourMode));
  painter.restore();
}

void paintMarkerOverlay(QPainter& painter, const ViewWindow& view, double ior,
                        std::int16_t backColourMode, const MarkerOverlay& overlay) {
  paintMarkerOverlay(painter, computePlotFrame(view, ior), backColourMode, overlay);
}

}  // namespace tracelink
