#include "ui/background.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tracelink {

void BackgroundPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0.0, QColor(58, 82, 110));
  g.setColorAt(0.6, QColor(36, 54, 76));
  g.setColorAt(1.0, QColor(24, 36, 52));
  p.fillRect(rect(), g);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath fibre;
  fibre.moveTo(0, height() * 0.92);
  fibre.cubicTo(width() * 0.3, height() * 0.80, width() * 0.6, height() * 1.0, width(),
                height() * 0.86);
  p.setPen(QPen(QColor(120, 200, 255, 60), 3));
  p.drawPath(fibre);
}

}  // namespace tracelink
