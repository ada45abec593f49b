#pragma once

#include <QImage>
#include <QWidget>

namespace tracelink {

// A picture box that keeps its drawing: it shows the image it was last given, white where
// the image does not reach.
class PageView : public QWidget {
 public:
  explicit PageView(QWidget* parent = nullptr) : QWidget(parent) {}

  const QImage& image() const { return image_; }
  void setImage(QImage image);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

}  // namespace tracelink
