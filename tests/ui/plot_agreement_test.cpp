// The session moves the window and names its scale; the plot draws a window. Neither
// includes the other, so the few rules both hold are written twice: these tests hold the
// two copies together.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdint>
#include <random>

#include "record/units.h"
#include "render/plot_geometry.h"
#include "render/plot_render.h"
#include "session/view_window.h"

namespace tracelink {
namespace {

ViewWindow window(std::int32_t start, std::int32_t end) {
  ViewWindow v;
  v.ViewStart = start;
  v.ViewEnd = end;
  v.FullRangeStart = 0;
  v.FullRangeEnd = 48000;
  return v;
}

// The window the user sees after a repair is the window the plot draws, and the scale
// text names the step between the distance lines drawn for it.
void expectSameWindowAndStep(const ViewWindow& view, double ior) {
  ViewWindow repaired = view;
  repairWindow(repaired);
  const ViewWindow drawn = drawnWindow(view);
  EXPECT_EQ(drawn.ViewStart, repaired.ViewStart) << view.ViewStart << ".." << view.ViewEnd;
  EXPECT_EQ(drawn.ViewEnd, repaired.ViewEnd) << view.ViewStart << ".." << view.ViewEnd;
  EXPECT_EQ(computePlotFrame(drawn, ior).gridStep, distanceGridStep(repaired, ior))
      << view.ViewStart << ".." << view.ViewEnd << " ior " << ior;
}

TEST(PlotAgreement, RepairedWindowAndScaleStepAreWhatIsDrawn) {
  // Windows a record can have (its words, a little beyond on either side), and the empty
  // and reversed ones that are repaired.
  const ViewWindow edges[] = {
      window(0, 10000),   window(0, 0),     window(500, 100),     window(5, 6),
      window(1000, 2000), window(-30, -30), window(60100, 60100), window(0, 48000),
  };
  const double iors[] = {kIor, 1.0, 1.5, kLightSpeed, std::nan(""), -2.0, 0.0};
  for (const ViewWindow& v : edges)
    for (const double ior : iors) expectSameWindowAndStep(v, ior);

  std::mt19937 rng(17);
  std::uniform_int_distribution<std::int32_t> sample(-100, 60100);
  std::uniform_real_distribution<double> index(1.3, 1.7);
  for (int i = 0; i < 3000; ++i)
    expectSameWindowAndStep(window(sample(rng), sample(rng)), index(rng));
}

TEST(PlotAgreement, TheDarkSchemeIsPresentedInvertedAndTheLightOneAsDrawn) {
  QImage canvas = makePlotSurface();
  canvas.fill(qRgb(10, 200, 60));
  struct Case {
    std::int16_t scheme;
    QRgb shown;
  };
  const Case cases[] = {{kDarkScheme, qRgb(245, 55, 195)}, {kLightScheme, qRgb(10, 200, 60)}};
  for (const Case& c : cases) {
    QImage visible = makePlotSurface();
    presentPlot(canvas, visible, c.scheme);
    EXPECT_EQ(visible.pixel(0, 0), c.shown) << c.scheme;
    EXPECT_EQ(visible.pixel(kPlotWidth - 1, kPlotHeight - 1), c.shown) << c.scheme;
  }
}

}  // namespace
}  // namespace tracelink
