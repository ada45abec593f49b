#include "render/view_icons.h"

#include <QPainter>
#include <QPolygonF>

namespace tracelink {

QImage viewIconImage(ViewIcon icon) {
  QImage image(kIconWidth, kIconHeight, QImage::Format_RGB32);
  image.fill(QColor(212, 208, 200));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QColor(128, 128, 128));
  p.drawRect(0, 0, kIconWidth - 1, kIconHeight - 1);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0));
  const double cx = kIconWidth / 2.0;
  const double cy = kIconHeight / 2.0;
  switch (icon) {
    case ViewIcon::PanTowardStart:
      p.drawPolygon(QPolygonF({{cx - 5, cy}, {cx + 4, cy - 7}, {cx + 4, cy + 7}}));
      break;
    case ViewIcon::PanTowardEnd:
      p.drawPolygon(QPolygonF({{cx + 5, cy}, {cx - 4, cy - 7}, {cx - 4, cy + 7}}));
      break;
    case ViewIcon::FullView:
      p.drawPolygon(QPolygonF({{cx, cy - 10}, {cx - 6, cy - 2}, {cx + 6, cy - 2}}));
      p.drawPolygon(QPolygonF({{cx, cy + 10}, {cx - 6, cy + 2}, {cx + 6, cy + 2}}));
      break;
  }
  return image;
}

}  // namespace tracelink
