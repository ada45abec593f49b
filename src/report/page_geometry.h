#pragma once

#include <QPoint>
#include <QRect>

#include "render/layout.h"

namespace tracelink {

// The page canvas: its size in twips, the user units texts and rules are placed in, and
// its bitmap at kTwipsPerPixel (18612 / 15 = 1240.8 rows, rounded up as a window would).
inline constexpr int kPageWidthTwips = 11295;
inline constexpr int kPageHeightTwips = 18612;
inline constexpr int kPageUnitsX = 195;
inline constexpr int kPageUnitsY = 297;
inline constexpr int kPagePixelWidth = 753;
inline constexpr int kPagePixelHeight = 1241;

// The preview's page view onto the canvas, and its scrolling: one position is 20 rows.
inline constexpr int kViewPixelWidth = 753;
inline constexpr int kViewPixelHeight = 553;
inline constexpr int kScrollMaximum = 25;
inline constexpr int kRowsPerScrollStep = 20;

// Where the plot canvas is copied onto the page, in canvas pixels.
inline constexpr QPoint kPlotOrigin{5, 200};

// A canvas point in page units as a canvas pixel.
QPoint pageUnitToPixel(double x, double y);

// First canvas row the page view shows at a scroll position.
int firstViewRow(int scrollValue);

}  // namespace tracelink
