#include "render/segment_raster.h"

#include <algorithm>

namespace tracelink {

namespace {

// Fixed-point forms the raster engine works in: 26.6 for end points, 16.16 for slopes.
std::int64_t toFixed6(double v) {
  return static_cast<std::int64_t>(static_cast<int>(v * 64.0));
}

std::int64_t fixedDiv16(std::int64_t a, std::int64_t b) {
  if (a >= -0x7fff && a <= 0x7fff && b >= INT32_MIN && b <= INT32_MAX)
    return static_cast<std::int32_t>(a) * 65536 / static_cast<std::int32_t>(b);
  return static_cast<int>(a * 65536 / b);
}

// Qt's comparison of two coordinates (relative, 1e-12).
bool fuzzyEqual(double a, double b) {
  if (a == 0 || b == 0) return std::fabs(a - b) <= 0.000000000001;
  return std::fabs(a - b) * 1000000000000.0 <= std::min(std::fabs(a), std::fabs(b));
}

}  // namespace

SegmentRaster::SegmentRaster(std::uint32_t* bits, std::ptrdiff_t pixelsPerLine, int width,
                             int height, std::uint32_t colour)
    : bits_(bits),
      pixelsPerLine_(pixelsPerLine),
      width_(width),
      height_(height),
      colour_(colour),
      pending_(static_cast<std::size_t>(std::max(width, 0))) {}

SegmentRaster::~SegmentRaster() {
  finish();
}

void SegmentRaster::moveTo(double x, double y) {
  flushColumnRun();
  lastX_ = x;
  lastY_ = y;
  startColumnRun();
}

void SegmentRaster::startColumnRun() {
  columnRun_ = inside(lastX_, lastY_);
  runDrawn_ = false;
  if (!columnRun_) return;
  runFx_ = static_cast<int>(lastX_ * 64.0);
  lastFy_ = static_cast<int>(lastY_ * 64.0);
  runTop_ = lastFy_;
  runBottom_ = lastFy_;
}

void SegmentRaster::flushColumnRun() {
  if (runDrawn_) addRun(runFx_ >> 6, runTop_ >> 6, runBottom_ >> 6);
  runDrawn_ = false;
  columnRun_ = false;
}

void SegmentRaster::finish() {
  flushColumnRun();
  for (int c = 0; c < width_; ++c) {
    Run& run = pending_[static_cast<std::size_t>(c)];
    writeRun(c, run);
    run = Run{};
  }
}

void SegmentRaster::writeRun(int column, const Run& run) {
  std::uint32_t* p = bits_ + run.top * pixelsPerLine_ + column;
  for (int r = run.top; r <= run.bottom; ++r, p += pixelsPerLine_) *p = colour_;
}

void SegmentRaster::addAnySegment(double x1, double y1, double x2, double y2) {
  // Ends that coincide make a single pixel at the rounded point (halves away from zero).
  if (fuzzyEqual(x1, x2) && fuzzyEqual(y1, y2)) {
    const double px = std::round(x1);
    const double py = std::round(y1);
    if (px >= 0 && px < width_ && py >= 0 && py < height_) {
      const int row = static_cast<int>(py);
      addRun(static_cast<int>(px), row, row);
    }
    return;
  }

  // Rough clipping in floating point to a frame one pixel outside the buffer on the
  // top-left and two on the bottom-right, in the engine's order (x first, then y).
  const double xmin = -1;
  const double xmax = width_ + 1;
  const double ymin = -1;
  const double ymax = height_ + 1;
  if (x1 < xmin) {
    if (x2 <= xmin) return;
    y1 += (y2 - y1) / (x2 - x1) * (xmin - x1);
    x1 = xmin;
  } else if (x1 > xmax) {
    if (x2 >= xmax) return;
    y1 += (y2 - y1) / (x2 - x1) * (xmax - x1);
    x1 = xmax;
  }
  if (x2 < xmin) {
    y2 += (y2 - y1) / (x2 - x1) * (xmin - x2);
    x2 = xmin;
  } else if (x2 > xmax) {
    y2 += (y2 - y1) / (x2 - x1) * (xmax - x2);
    x2 = xmax;
  }
  if (y1 < ymin) {
    if (y2 <= ymin) return;
    x1 += (x2 - x1) / (y2 - y1) * (ymin - y1);
    y1 = ymin;
  } else if (y1 > ymax) {
    if (y2 >= ymax) return;
    x1 += (x2 - x1) / (y2 - y1) * (ymax - y1);
    y1 = ymax;
  }
  if (y2 < ymin) {
    x2 += (x2 - x1) / (y2 - y1) * (ymin - y2);
    y2 = ymin;
  } else if (y2 > ymax) {
    x2 += (x2 - x1) / (y2 - y1) * (ymax - y2);
    y2 = ymax;
  }

  const std::int64_t fx1 = toFixed6(x1);
  const std::int64_t fy1 = toFixed6(y1);
  const std::int64_t fx2 = toFixed6(x2);
  const std::int64_t fy2 = toFixed6(y2);
  if (std::llabs(fx2 - fx1) < std::llabs(fy2 - fy1)) {
    steepSegment(fx1, fy1, fx2, fy2);
  } else {
    flatSegment(fx1, fy1, fx2, fy2);
  }
}

// One pixel per row; the column follows the 16.16 x of each row.
void SegmentRaster::steepSegment(std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                 std::int64_t y2) {
  if (y1 > y2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const std::int64_t xinc = fixedDiv16(x2 - x1, y2 - y1);
  std::int64_t x = x1 * 1024;
  // Square caps: both ends reach half a pixel further.
  y1 -= 32;
  x -= xinc >> 1;
  y2 += 32;
  const std::int64_t y = (y1 + 32) >> 6;
  const std::int64_t ys = (y2 + 32) >> 6;
  if (y == ys) return;
  const std::int64_t round = xinc > 0 ? 32 : 0;
  x += ((y * 64 + round - y1) * xinc) >> 6;

  // Rows y .. ys-1 are row y + k; keep the ones inside the buffer.
  std::int64_t k = std::max<std::int64_t>(0, -y);
  const std::int64_t kLast = std::min<std::int64_t>(ys - 1 - y, height_ - 1 - y);
  std::int64_t xk = x + k * xinc;
  while (k <= kLast) {
    // The rows of this column end where x crosses into the next one.
    const std::int64_t c = xk >> 16;
    std::int64_t kEnd = kLast;
    if (xinc > 0) {
      const std::int64_t d = (c + 1) * 65536 - xk;  // 1 .. 65536
      kEnd = std::min(kLast, k + (d + xinc - 1) / xinc - 1);
    } else if (xinc < 0) {
      const std::int64_t d = xk - c * 65536;  // 0 .. 65535
      kEnd = std::min(kLast, k + d / -xinc);
    }
    if (c >= 0 && c < width_)
      addRun(static_cast<int>(c), static_cast<int>(y + k), static_cast<int>(y + kEnd));
    xk += (kEnd - k + 1) * xinc;
    k = kEnd + 1;
  }
}

// One pixel per column; the row follows the 16.16 y of each column.
void SegmentRaster::flatSegment(std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                std::int64_t y2) {
  if (x1 == x2) return;
  if (x1 > x2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const std::int64_t yinc = fixedDiv16(y2 - y1, x2 - x1);
  std::int64_t y = y1 * 1024;
  x1 -= 32;
  y -= yinc >> 1;
  x2 += 32;
  const std::int64_t x = (x1 + 32) >> 6;
  const std::int64_t xs = (x2 + 32) >> 6;
  if (x == xs) return;
  const std::int64_t round = yinc > 0 ? 32 : 0;
  y += ((x * 64 + round - x1) * yinc) >> 6;
  const std::int64_t first = std::max<std::int64_t>(x, 0);
  const std::int64_t last = std::min<std::int64_t>(xs - 1, width_ - 1);
  std::int64_t yk = y + (first - x) * yinc;
  for (std::int64_t c = first; c <= last; ++c, yk += yinc) {
    const std::int64_t r = yk >> 16;
    if (r >= 0 && r < height_)
      addRun(static_cast<int>(c), static_cast<int>(r), static_cast<int>(r));
  }
}

}  // namespace tracelink
