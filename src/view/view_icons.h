#pragma once

#include <QImage>

namespace tracelink {

// The view buttons are 345 x 405 twips: 23 x 27 pixels.
inline constexpr int kIconWidth = 345 / 15;
inline constexpr int kIconHeight = 405 / 15;

enum class ViewIcon {
  PanTowardStart,  // a triangle pointing left
  PanTowardEnd,    // a triangle pointing right
  FullView,        // two triangles, pointing up and down
};

// The button's picture, drawn here rather than shipped as a file.
QImage viewIconImage(ViewIcon icon);

}  // namespace tracelink
