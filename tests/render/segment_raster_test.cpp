#include "render/segment_raster.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <random>
#include <vector>

namespace tracelink {
namespace {

constexpr int kW = 61;
constexpr int kH = 37;

QImage blank(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(0xffffffffu);
  return img;
}

// The drawing the raster must reproduce: one QPainter::drawLine per segment.
QImage withPainter(const std::vector<QLineF>& lines, int w, int h) {
  QImage img = blank(w, h);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(QColor(0, 0, 0), 1));
  for (const QLineF& l : lines) p.drawLine(l);
  return img;
}

QImage withRaster(const std::vector<QLineF>& lines, int w, int h) {
  QImage img = blank(w, h);
  {
    SegmentRaster raster(reinterpret_cast<std::uint32_t*>(img.bits()), img.bytesPerLine() / 4, w, h,
                         0xff000000u);
    for (const QLineF& l : lines) raster.addSegment(l.x1(), l.y1(), l.x2(), l.y2());
  }
  return img;
}

int differingPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

// Coordinates that land on pixel edges, pixel centres and 1/64 steps around them, where
// the fixed-point rounding decides which pixel is set.
double pickCoordinate(std::mt19937& rng, double lo, double hi) {
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_real_distribution<double> any(lo, hi);
  std::uniform_int_distribution<int> whole(static_cast<int>(lo), static_cast<int>(hi));
  std::uniform_int_distribution<int> nudge(-2, 2);
  switch (kind(rng)) {
    case 0:
      return whole(rng);
    case 1:
      return whole(rng) + 0.5;
    case 2:
      return whole(rng) + nudge(rng) / 64.0;
    default:
      return any(rng);
  }
}

// Every segment drawn on its own, compared one at a time, so a single wrong pixel names
// the segment that caused it.
TEST(SegmentRaster, EachRandomSegmentMatchesDrawLine) {
  std::mt19937 rng(20261208);
  struct Range {
    double lo, hi;
    const char* what;
  };
  const Range ranges[] = {{2, kW - 3, "inside"},
                          {-20, kW + 20, "crossing the edges (clipped)"},
                          {-3, kW + 3, "near the edges"}};
  for (const Range& r : ranges) {
    for (int i = 0; i < 4000; ++i) {
      const QLineF line(pickCoordinate(rng, r.lo, r.hi), pickCoordinate(rng, r.lo, r.hi),
                        pickCoordinate(rng, r.lo, r.hi), pickCoordinate(rng, r.lo, r.hi));
      const std::vector<QLineF> one{line};
      ASSERT_EQ(differingPixels(withPainter(one, kW, kH), withRaster(one, kW, kH)), 0)
          << r.what << ": " << line.x1() << "," << line.y1() << " -> " << line.x2() << ","
          << line.y2();
    }
  }
}

TEST(SegmentRaster, ShortAxisAlignedAndPointSegmentsMatchDrawLine) {
  std::vector<QLineF> lines;
  for (double x = -1.5; x <= 3.0; x += 0.25)
    for (double d = 0; d <= 1.5; d += 0.125) {
      lines.emplace_back(10 + x, 10, 10 + x + d, 10);              // horizontal, includes points
      lines.emplace_back(20, 10 + x, 20, 10 + x + d);              // vertical
      lines.emplace_back(30 + x, 20 + x, 30 + x + d, 20 + x + d);  // diagonal
      lines.emplace_back(x, 30, x - d, 30 + d);                    // at the left edge
    }
  for (const QLineF& line : lines) {
    const std::vector<QLineF> one{line};
    ASSERT_EQ(differingPixels(withPainter(one, kW, kH), withRaster(one, kW, kH)), 0)
        << line.x1() << "," << line.y1() << " -> " << line.x2() << "," << line.y2();
  }
}

// Many connected segments into one picture: runs of neighbouring segments are merged, and
// the union must still be exactly the painter's.
TEST(SegmentRaster, ConnectedTracesMatchDrawLine) {
  std::mt19937 rng(7);
  const int w = 723;
  const int h = 369;
  for (int trial = 0; trial < 20; ++trial) {
    const int n = 200 + trial * 700;
    std::normal_distribution<double> noise(0, trial % 3 == 0 ? 40.0 : 3.0);
    std::vector<QLineF> lines;
    double prevX = -5;
    double prevY = h / 2.0;
    for (int i = 1; i <= n; ++i) {
      const double x = -5 + (w + 10.0) * i / n;
      const double y = prevY + noise(rng);
      lines.emplace_back(prevX, prevY, x, y);
      prevX = x;
      prevY = y;
    }
    EXPECT_EQ(differingPixels(withPainter(lines, w, h), withRaster(lines, w, h)), 0)
        << "trace of " << n << " segments";
  }
}

QImage withPolyline(const std::vector<QPointF>& points, int w, int h) {
  QImage img = blank(w, h);
  {
    SegmentRaster raster(reinterpret_cast<std::uint32_t*>(img.bits()), img.bytesPerLine() / 4, w, h,
                         0xff000000u);
    raster.moveTo(points.front().x(), points.front().y());
    for (std::size_t i = 1; i < points.size(); ++i) raster.lineTo(points[i].x(), points[i].y());
  }
  return img;
}

// Polylines the way a big trace makes them: several points on one x, rows that move by
// nothing, by less than 1/64 of a pixel, by 1/64 steps or by pixels, now and then a point
// outside. lineTo collects the points that share a 26.6 column; each polyline compared
// with every segment drawn on its own.
TEST(SegmentRaster, PolylinesWithSharedColumnsMatchDrawLine) {
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<int> kind(0, 5);
  std::uniform_int_distribution<int> repeat(1, 6);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int trial = 0; trial < 6000; ++trial) {
    std::vector<QPointF> points;
    double x = pickCoordinate(rng, -2, kW + 1);
    double y = pickCoordinate(rng, -2, kH + 1);
    const int n = 2 + static_cast<int>(rng() % 40);
    while (static_cast<int>(points.size()) < n) {
      for (int k = repeat(rng); k > 0; --k) {
        switch (kind(rng)) {
          case 0:
            break;  // the same point again
          case 1:
            y += (unit(rng) - 0.5) / 80;  // within a 64th
            break;
          case 2:
            y += static_cast<int>(rng() % 5 - 2) / 64.0;
            break;
          case 3:
            y += (unit(rng) - 0.5) * 6;
            break;
          case 4:
            y = pickCoordinate(rng, -3, kH + 2);
            break;
          default:
            y += 1e-7 * (unit(rng) - 0.5);  // all but the same
        }
        points.emplace_back(x, y);
      }
      // The next metre: the same 26.6 column, the next one, or further.
      const int step = static_cast<int>(rng() % 4);
      x += step == 0 ? 0.004 : step == 1 ? 1 / 64.0 : step == 2 ? unit(rng) : unit(rng) * 10 - 5;
    }
    std::vector<QLineF> lines;
    for (std::size_t i = 1; i < points.size(); ++i) lines.emplace_back(points[i - 1], points[i]);
    ASSERT_EQ(differingPixels(withPainter(lines, kW, kH), withPolyline(points, kW, kH)), 0)
        << "polyline " << trial << " of " << points.size() << " points from " << points[0].x()
        << "," << points[0].y();
  }
}

}  // namespace
}  // namespace tracelink
