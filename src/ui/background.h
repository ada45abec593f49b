#pragma once

#include <QWidget>

namespace tracelink {

// The window's background picture: a quiet steel-blue gradient with a faint fibre
// drawn across it, painted rather than shipped so both builds stay one file each.
class BackgroundPicture : public QWidget {
 public:
  explicit BackgroundPicture(QWidget* parent = nullptr) : QWidget(parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tracelink
