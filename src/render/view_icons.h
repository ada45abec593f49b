#pragma once

#include <QImage>

#include "render/layout.h"

namespace tracelink {

// The view buttons are 345 x 405 twips: 23 x 27 pixels.
inline constexpr int kIconWidth = twipsToPixels(345);
inline constexpr int kIconHeight = twipsToPixels(405);

enum class ViewIcon {
  PanTowardStart,  // a triangle pointing left
  PanTowardEnd,    // a triangle pointing right
  FullView,        // two triangles, pointing up and down
};

// The button's picture, drawn here rather than shipped as a file.
QImage viewIconImage(ViewIcon icon);

}  // namespace tracelink
