#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tracelink {

// The windows, the plot and the page canvas were laid out in screen twips, at 15 twips per
// pixel.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kTwipsPerInch = 1440;

// A length or position in twips as whole pixels: the nearest, as every conversion of the
// program rounds (15 is odd, so no length lies halfway). Most of the layout divides evenly.
constexpr int twipsToPixels(int twips) {
  const int whole = twips / kTwipsPerPixel;
  const int rest = twips % kTwipsPerPixel;
  if (2 * rest > kTwipsPerPixel) return whole + 1;
  if (2 * rest < -kTwipsPerPixel) return whole - 1;
  return whole;
}

// A design rectangle in twips as a widget rectangle in pixels.
inline QRect twipsRect(int left, int top, int width, int height) {
  return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// Where a window of the given outer size stands on a screen area. Each axis is decided on
// its own: centred when the window fits, else at `otherwise` on that axis. All three of
// the program's windows are placed this way when they load.
inline QPoint centredOn(const QRect& area, QSize size, QPoint otherwise) {
  QPoint at = otherwise;
  if (area.width() - size.width() >= 0) at.setX(area.left() + (area.width() - size.width()) / 2);
  if (area.height() - size.height() >= 0) at.setY(area.top() + (area.height() - size.height()) / 2);
  return at;
}

}  // namespace tracelink
