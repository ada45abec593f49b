#include "report/page_view.h"

#include <QPainter>

namespace tracelink {

void PageView::setImage(QImage image) {
  image_ = std::move(image);
  update();
}

void PageView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.drawImage(QPoint(0, 0), image_);
}

}  // namespace tracelink
