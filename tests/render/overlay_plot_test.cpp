#include "render/overlay_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "files/path_text.h"
#include "render/level_series_plot.h"
#include "render/plot_render.h"
#include "render/render_test_support.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

using compare::OverlayTrace;

// A noisy falling trace with a step, at the given spacing and origin.
Trace fallingTrace(std::uint32_t seed, std::size_t points, double spacingM, double originM,
                   std::int32_t startMilliDb = -3000) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0, 40);
  Trace t;
  t.spacingM = spacingM;
  t.originM = originM;
  for (std::size_t i = 0; i < points; ++i) {
    const double step = i > points / 2 ? 1500 : 0;
    t.levels.push_back(
        static_cast<std::int32_t>(startMilliDb - 0.2 * i * spacingM - step + noise(rng)));
  }
  return t;
}

// A trace at one level: its curve is one row, easy to find.
Trace flatTrace(std::size_t points, double spacingM, double originM, std::int32_t milliDb) {
  Trace t;
  t.spacingM = spacingM;
  t.originM = originM;
  t.levels.assign(points, milliDb);
  return t;
}

int differing(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

int pixelsOf(const QImage& img, QRgb colour) {
  return test::countPixels(img, colour, 0, 0, img.width() - 1, img.height() - 1);
}

// Whether the colour is within a pixel of (x, y).
bool near(const QImage& img, double x, double y, QRgb colour) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int px = static_cast<int>(std::floor(x)) + dx;
      const int py = static_cast<int>(std::floor(y)) + dy;
      if (img.valid(px, py) && img.pixel(px, py) == colour) return true;
    }
  return false;
}

// One trace alone, in full view and without offset, is exactly the single plot: other
// makers' files (origins before their events' 0, spacings of every kind) and traces whose
// last point lies on a half metre, unzoomed and with a level range.
TEST(OverlayPlot, OneTraceAloneIsTheSinglePlot) {
  test::ensureGuiApp();
  std::vector<Trace> traces;
  for (const char* name :
       {"sample01.sor", "sample04.sor", "sample05.sor", "sample11.sor", "sample16.sor"}) {
    Result<Trace> loaded = LoadTrace(pathFromText(std::string(TRACELINK_SOR_SAMPLES) + "/" + name));
    ASSERT_TRUE(loaded.ok()) << name;
    traces.push_back(std::move(*loaded));
  }
  // Last points 3001.5 and 500.5 m from the first, where the distance in the traces' frame
  // less the origin rounds to another metre than the point's own.
  traces.push_back(fallingTrace(1, 2002, 1.5, -1002.3));
  traces.push_back(fallingTrace(8, 1002, 0.5, 12.34));
  traces.push_back(fallingTrace(2, 4001, 0.25, 17.125));
  traces.push_back(fallingTrace(3, 30001, 1.0 / 3, 0));
  for (const Trace& trace : traces) {
    SCOPED_TRACE(trace.origin.path.empty() ? std::to_string(trace.spacingM) : trace.origin.path);
    const std::vector<OverlayTrace> one = {{&trace}};
    const std::size_t last = trace.size() - 1;
    EXPECT_EQ(
        differing(renderOverlay(one, fullOverlayView(one)), renderTraceCanvas(trace, 0, last)), 0);
    double step = 0;
    renderTraceCanvas(trace, 0, last, nullptr, &step);
    const double low = *std::min_element(trace.levels.begin(), trace.levels.end()) / 1000.0;
    const LevelRange range{low + step, low + 4 * step};
    OverlayView zoomed = fullOverlayView(one);
    zoomed.levels = range;
    EXPECT_EQ(differing(renderOverlay(one, zoomed),
                        renderTraceCanvas(trace, 0, last, nullptr, nullptr, &range)),
              0);
  }
}

// Eight traces at their own spacings, origins and levels: each is drawn in its colour
// along its whole span and nowhere before its first point; a hidden one not at all; an
// offset lifts a curve by that many dB. The dark scheme shows the inverse colours.
TEST(OverlayPlot, EachTraceInItsColourWhereItsCurveIs) {
  test::ensureGuiApp();
  std::vector<Trace> traces;
  const double spacings[] = {1.0, 0.5, 2.04, 0.25, 4.0, 1.5, 0.8, 3.0};
  for (std::size_t k = 0; k < 8; ++k)
    traces.push_back(flatTrace(2000 + 300 * k, spacings[k], 200.0 * static_cast<double>(k),
                               -2000 - 4000 * static_cast<std::int32_t>(k)));
  std::vector<OverlayTrace> overlay;
  for (const Trace& t : traces) overlay.push_back({&t});
  overlay[3].shown = false;
  overlay[5].offsetDb = 2.0;  // -22 dB drawn at -20 dB, between traces 4 and 5
  OverlayScale scale;
  const QImage light = renderOverlay(overlay, fullOverlayView(overlay), &scale);
  QImage dark = light;
  presentPlot(light, dark, kInvertedColourMode);
  EXPECT_EQ(scale.axisOriginM, 0);

  for (std::size_t k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    const Trace& t = traces[k];
    const QRgb colour = overlayColour(k);
    if (!overlay[k].shown) {
      EXPECT_EQ(pixelsOf(light, colour), 0);
      continue;
    }
    const double y = scale.yOfLevel(t.levelDb(0) + overlay[k].offsetDb);
    for (const double along : {0.02, 0.3, 0.6, 0.97}) {
      const double x = scale.xOfDistance(t.originM + along * (t.lastDistanceM() - t.originM));
      EXPECT_TRUE(near(light, x, y, colour)) << along;
      EXPECT_TRUE(near(dark, x, y, colour ^ 0x00ffffffu)) << along;
      if (overlay[k].offsetDb != 0) {
        EXPECT_FALSE(near(light, x, scale.yOfLevel(t.levelDb(0)), colour)) << along;
      }
    }
    // Left of its first point (the labels there are black, as trace 0 is).
    const int before = static_cast<int>(scale.xOfDistance(t.originM)) - 2;
    if (k > 0) {
      EXPECT_EQ(test::countPixels(light, colour, 0, 0, before, light.height() - 1), 0);
    }
  }
  EXPECT_EQ(scale.lowDb, traces[7].levelDb(0));
}

// The eight colours are told apart from each other, from the canvas and from its grid, in
// the light scheme and inverted in the dark one (CIE76 distance in L*a*b*).
TEST(OverlayPlot, TheEightColoursAreApartInBothSchemes) {
  const auto lab = [](QRgb c) {
    const auto linear = [](int v) {
      const double u = v / 255.0;
      return u <= 0.04045 ? u / 12.92 : std::pow((u + 0.055) / 1.055, 2.4);
    };
    const double r = linear(qRed(c)), g = linear(qGreen(c)), b = linear(qBlue(c));
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    const double x = f((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047);
    const double y = f(0.2126 * r + 0.7152 * g + 0.0722 * b);
    const double z = f((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883);
    return std::array<double, 3>{116 * y - 16, 500 * (x - y), 200 * (y - z)};
  };
  const auto distance = [&](QRgb a, QRgb b) {
    const auto p = lab(a), q = lab(b);
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
  };
  EXPECT_EQ(overlayColour(0), kCanvasInk);
  for (const QRgb flip : {0x0u, 0x00ffffffu}) {
    for (std::size_t i = 0; i < compare::kMaxOverlay; ++i) {
      const QRgb a = overlayColour(i) ^ flip;
      EXPECT_GE(distance(a, kCanvasBackground ^ flip), 45) << i;
      // The single plot's black ink is as near its grid as it always was.
      if (i > 0) {
        EXPECT_GE(distance(a, kGridColour ^ flip), 45) << i;
      }
      for (std::size_t j = i + 1; j < compare::kMaxOverlay; ++j)
        EXPECT_GE(distance(a, overlayColour(j) ^ flip), 45) << i << " " << j;
    }
  }
}

// A window in metres: its edges on the nearest metre of the axis, the crosshair's mapping
// the inverse of the markers'; a sparse trace with no point inside the window still
// crosses it, and no trace draws into the label strip left of the window.
TEST(OverlayPlot, AWindowInMetres) {
  test::ensureGuiApp();
  const Trace dense = fallingTrace(4, 20000, 0.5, -100);
  const Trace sparse = fallingTrace(5, 100, 100.0, 0, -6000);
  // Trace 0 is hidden: its black would not stand out from the labels.
  const std::vector<OverlayTrace> overlay = {{&dense, 0, false}, {&dense}, {&sparse}};
  OverlayScale scale;
  const QImage canvas = renderOverlay(overlay, {1049.6, 1150.2, std::nullopt}, &scale);
  EXPECT_EQ(scale.axisOriginM, -100);
  EXPECT_EQ(scale.frame.viewStartM, 1150);
  EXPECT_EQ(scale.frame.viewEndM, 1250);
  EXPECT_TRUE(scale.curve);
  for (const double d : {1049.6, 1100.0, 1150.2})
    EXPECT_NEAR(scale.distanceAt(scale.xOfDistance(d)), d, 1e-9);
  EXPECT_NEAR(scale.levelAt(scale.yOfLevel(-4.5)), -4.5, 1e-9);
  const int edge = static_cast<int>(scale.xOfDistance(1050));
  for (const std::size_t k : {1u, 2u}) {
    SCOPED_TRACE(k);
    EXPECT_GT(test::countPixels(canvas, overlayColour(k), edge, 0, canvas.width() - 1,
                                canvas.height() - 1),
              20);
    EXPECT_EQ(test::countPixels(canvas, overlayColour(k), 0, 0, edge - 2, canvas.height() - 1), 0);
  }
  // The sparse trace crosses the window between its points at 1000 and 1100 m and on.
  const double y = scale.yOfLevel((sparse.levels[10] + sparse.levels[11]) / 2000.0);
  EXPECT_TRUE(near(canvas, scale.xOfDistance(1050), y, overlayColour(2)));
}

// Whatever the list holds, the overlay draws what it can: no trace, empty and missing
// traces, a ninth trace, offsets and windows that are not numbers.
TEST(OverlayPlot, BadInputDrawsTheGridAndWhatItCan) {
  test::ensureGuiApp();
  const Trace good = fallingTrace(6, 3000, 1.0, 0);
  const Trace empty;
  Trace noSpacing = fallingTrace(7, 3000, 0, 0);
  noSpacing.spacingM = std::numeric_limits<double>::quiet_NaN();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<OverlayTrace> nine(9, OverlayTrace{&good});
  nine[8].offsetDb = -50;  // would set the bottom of the level axis if it were drawn
  struct Case {
    std::string name;
    std::vector<OverlayTrace> traces;
    OverlayView view;
    bool curve;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, {}, false},
      {"null and empty", {{nullptr}, {&empty}}, {}, false},
      {"no spacing", {{&noSpacing}}, {nan, nan, std::nullopt}, true},
      {"offset not a number", {{&good, nan}, {&empty}}, {0, 1000, std::nullopt}, false},
      {"nine", nine, {0, 2999, std::nullopt}, true},
      {"reversed window", {{&good}}, {2000, 1000, LevelRange{nan, nan}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OverlayScale scale;
    const QImage canvas = renderOverlay(c.traces, c.view, &scale);
    EXPECT_EQ(scale.curve, c.curve);
    EXPECT_GT(pixelsOf(canvas, kCanvasInk) + pixelsOf(canvas, kGridColour), 500);
    EXPECT_TRUE(std::isfinite(scale.lowDb) && std::isfinite(scale.stepDb));
  }
  // The ninth trace is not drawn, so its offset does not move the level axis.
  OverlayScale scale;
  renderOverlay(nine, fullOverlayView(nine), &scale);
  EXPECT_EQ(scale.lowDb, *std::min_element(good.levels.begin(), good.levels.end()) / 1000.0);
}

}  // namespace
}  // namespace tracelink
