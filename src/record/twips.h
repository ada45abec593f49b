#pragma once

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

}  // namespace tracelink
