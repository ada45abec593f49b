#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tracelink {

// Draws 1-pixel aliased line segments into a 32-bit pixel buffer with exactly the pixels
// Qt's raster engine sets for QPainter::drawLine with a 1 px solid square-cap pen and no
// antialiasing, one segment at a time: the end points go to 26.6 fixed point, the slope
// to 16.16, and the line walks one pixel per row (steep) or per column (flat), each end
// reaching half a pixel further for the caps. Instead of setting every pixel of every
// segment it collects each segment's footprint as vertical runs per column and merges the
// runs of neighbouring segments before writing them, which makes a 48000-segment trace
// several times faster than drawing it through QPainter. A randomised test compares it
// with QPainter::drawLine so that a change in Qt's rasteriser shows up as a failing test.
class SegmentRaster {
 public:
  // bits: first pixel of the buffer; pixelsPerLine: its stride in pixels.
  SegmentRaster(std::uint32_t* bits, std::ptrdiff_t pixelsPerLine, int width, int height,
                std::uint32_t colour);
  SegmentRaster(const SegmentRaster&) = delete;
  SegmentRaster& operator=(const SegmentRaster&) = delete;
  ~SegmentRaster();

  // A segment in pixel coordinates (the top-left corner of the buffer is (0, 0)).
  void addSegment(double x1, double y1, double x2, double y2);
  // Connected segments: moveTo starts a polyline, each lineTo adds the segment from the
  // point before. The pixels are exactly those of addSegment for every segment, but a
  // stretch of segments whose ends share one 26.6 column (the many points of a big trace
  // that fall on one metre, or on one pixel) is collected as a single run: its pixels are
  // the rows from its highest to its lowest end, so each such segment costs a comparison.
  void moveTo(double x, double y);
  void lineTo(double x, double y);

  // Writes the runs still held back; also done by the destructor.
  void finish();

 private:
  struct Run {
    int top = 1;
    int bottom = 0;  // inclusive; top > bottom means no run
  };
  void addRun(int column, int top, int bottom);
  void writeRun(int column, const Run& run);
  void flushColumnRun();
  void startColumnRun();
  void addAnySegment(double x1, double y1, double x2, double y2);
  void steepSegment(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
  void flatSegment(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);

  std::uint32_t* bits_;
  std::ptrdiff_t pixelsPerLine_;
  int width_;
  int height_;
  std::uint32_t colour_;
  std::vector<Run> pending_;

  // The polyline: its last point, and the run of segments that share one 26.6 column.
  bool inside(double x, double y) const {
    return x >= 0 && y >= 0 && x <= width_ - 1 && y <= height_ - 1;
  }
  double lastX_ = 0;
  double lastY_ = 0;
  bool columnRun_ = false;  // the last point is inside and opens or continues a run
  bool runDrawn_ = false;   // at least one of its segments sets pixels
  int runFx_ = 0;           // the run's 26.6 x
  int lastFy_ = 0;          // 26.6 y of the last point
  int runTop_ = 0;          // 26.6 y, smallest and largest of the run's points
  int runBottom_ = 0;
};

// The common case is inline, because a redraw calls it up to 48000 times: a steep segment
// well inside the buffer whose pixels all fall in one column, which is what nearly every
// segment of a long trace is. Everything else takes the general path in the .cpp file.
inline void SegmentRaster::addSegment(double x1, double y1, double x2, double y2) {
  const double right = width_ - 1;
  const double bottom = height_ - 1;
  const bool inside = x1 >= 0 && x2 >= 0 && y1 >= 0 && y2 >= 0 && x1 <= right && x2 <= right &&
                      y1 <= bottom && y2 <= bottom;
  // A segment whose ends (nearly) coincide may be drawn as a single point: general path.
  if (inside && (std::fabs(x1 - x2) >= 1e-6 || std::fabs(y1 - y2) >= 1e-6)) {
    int fx1 = static_cast<int>(x1 * 64.0);
    int fy1 = static_cast<int>(y1 * 64.0);
    int fx2 = static_cast<int>(x2 * 64.0);
    int fy2 = static_cast<int>(y2 * 64.0);
    if (std::abs(fx2 - fx1) < std::abs(fy2 - fy1)) {
      const bool up = fy1 > fy2;
      const int tx = up ? fx2 : fx1;
      const int ty = up ? fy2 : fy1;
      fx2 = up ? fx1 : fx2;
      fy2 = up ? fy1 : fy2;
      fx1 = tx;
      fy1 = ty;
      // Inside the buffer |dx| < |dy| < 2^15, so the 16.16 slope fits 32 bits.
      const int xinc = (fx2 - fx1) * 65536 / (fy2 - fy1);
      const int capTop = fy1 - 32;
      const int row0 = fy1 >> 6;
      const int rowEnd = (fy2 + 64) >> 6;  // one past the last row
      int x = fx1 * 1024 - (xinc >> 1);
      x += ((row0 * 64 + (xinc > 0 ? 32 : 0) - capTop) * xinc) >> 6;
      const int column = x >> 16;
      if (((x + (rowEnd - row0 - 1) * xinc) >> 16) == column && column >= 0 && column < width_) {
        addRun(column, row0, rowEnd - 1);
        return;
      }
    }
  }
  addAnySegment(x1, y1, x2, y2);
}

// A segment inside the buffer whose ends have the same 26.6 x (x1 == x2 after the
// conversion) is steep with a slope of 0 when their 26.6 y differ: its pixels are column
// x >> 6, rows y1 >> 6 to y2 >> 6, caps included. With equal 26.6 y it is flat and sets no
// pixel at all, unless its ends coincide (within 1e-6 in both), which the engine draws as
// a point elsewhere: such a segment ends the run and takes the general path. The rows of
// the run's drawn segments join up end to end, so together they are the rows from the
// run's smallest to its largest y.
inline void SegmentRaster::lineTo(double x, double y) {
  if (columnRun_ && inside(x, y)) {
    const int fx = static_cast<int>(x * 64.0);
    if (fx == runFx_ && (std::fabs(x - lastX_) >= 1e-6 || std::fabs(y - lastY_) >= 1e-6)) {
      const int fy = static_cast<int>(y * 64.0);
      if (fy != lastFy_) {
        runDrawn_ = true;
        runTop_ = fy < runTop_ ? fy : runTop_;
        runBottom_ = fy > runBottom_ ? fy : runBottom_;
      }
      lastX_ = x;
      lastY_ = y;
      lastFy_ = fy;
      return;
    }
  }
  flushColumnRun();
  addSegment(lastX_, lastY_, x, y);
  lastX_ = x;
  lastY_ = y;
  startColumnRun();
}

inline void SegmentRaster::addRun(int column, int top, int bottom) {
  Run& run = pending_[static_cast<std::size_t>(column)];
  if (top <= run.bottom + 1 && bottom + 1 >= run.top && run.top <= run.bottom) {
    run.top = top < run.top ? top : run.top;
    run.bottom = bottom > run.bottom ? bottom : run.bottom;
    return;
  }
  writeRun(column, run);
  run.top = top;
  run.bottom = bottom;
}

}  // namespace tracelink
