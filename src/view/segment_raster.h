#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tracelink {

// Draws 1-pixel aliased line segments into a 32-bit pixel buffer with exactly the pixels
// Qt's raster engine sets for QPainter::drawLine with a 1 px solid square-cap pen and no
// antialiasing, one segment at a time. Instead of setting every pixel of every segment it
// collects each segment's footprint as vertical runs per column and merges the runs of
// neighbouring segments before writing them, which makes a 48000-segment trace several
// times faster than drawing it through QPainter. A randomised test compares it with
// QPainter::drawLine so that a change in Qt's rasteriser shows up as a failing test.
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
  // Writes the runs still held back; also done by the destructor.
  void finish();

 private:
  struct Run {
    int top = 1;
    int bottom = 0;  // inclusive; top > bottom means no run
  };
  void addRun(int column, int top, int bottom);
  void writeRun(int column, const Run& run);
  void steepSegment(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
  void flatSegment(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);

  std::uint32_t* bits_;
  std::ptrdiff_t pixelsPerLine_;
  int width_;
  int height_;
  std::uint32_t colour_;
  std::vector<Run> pending_;
};

}  // namespace tracelink
