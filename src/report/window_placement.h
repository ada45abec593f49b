#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tracelink {

// Where a window of the given outer size stands on a screen area. Each axis is decided on
// its own: centred when the window fits, else at `otherwise` on that axis. All three of
// the program's windows are placed this way when they load.
inline QPoint centredOn(const QRect& area, QSize size, QPoint otherwise) {
  QPoint at = otherwise;
  if (area.width() - size.width() >= 0) at.setX(area.left() + (area.width() - size.width()) / 2);
  if (area.height() - size.height() >= 0)
    at.setY(area.top() + (area.height() - size.height()) / 2);
  return at;
}

}  // namespace tracelink
