#include "render/plot_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "record/units.h"

namespace tracelink {

ViewWindow drawnWindow(ViewWindow view) {
  if (view.ViewEnd > view.ViewStart) return view;
  constexpr std::int32_t width = kDrawnWidthOfEmptyWindow;
  view.ViewEnd = view.ViewStart > INT32_MAX - width ? INT32_MAX : view.ViewStart + width;
  if (view.ViewEnd <= view.ViewStart) view.ViewStart = view.ViewEnd - width;
  return view;
}

PlotFrame computePlotFrame(const ViewWindow& view, double ior) {
  ior = usableIor(ior);
  PlotFrame f;
  f.viewStartM = SampleToMetres(view.ViewStart, ior);
  f.viewEndM = SampleToMetres(view.ViewEnd, ior);
  // A distance is never shorter than a sample (1.02 m at the standard index), but an
  // unusual index could round a narrow window to nothing; keep it a metre wide so the
  // coordinate window stays valid.
  if (f.viewEndM <= f.viewStartM) f.viewEndM = f.viewStartM + 1;
  f.span = f.viewEndM - f.viewStartM;
  f.margin = nearest(f.span / 20.0);
  // Below one metre the grid loop would never advance.
  f.gridStep = std::max<std::int32_t>(1, nearest(f.span / 10.0));
  f.left = static_cast<double>(f.viewStartM) - f.margin;
  f.right = f.viewEndM;
  f.xScale = kPlotWidth / (f.right - f.left);
  return f;
}

std::vector<LevelLine> levelLines(const PlotFrame& frame) {
  std::vector<LevelLine> lines;
  const double labelX = (static_cast<double>(frame.viewStartM) - frame.margin) + frame.margin / 4.0;
  for (std::int32_t y = 0; y <= 1000; y += 100) {
    LevelLine line;
    line.y = y;
    line.levelY = y;
    line.label.x = labelX;
    line.label.y = y + 50;
    line.label.text = y == 900 ? "(dB)" : std::to_string(y / 100);
    lines.push_back(std::move(line));
  }
  return lines;
}

bool applyLevelWindow(PlotFrame& frame, const LevelWindow& window) {
  if (!std::isfinite(window.top) || !std::isfinite(window.bottom) || !(window.top > window.bottom))
    return false;
  frame.levelTop = window.top;
  frame.levelRowScale = PlotFrame::row(0) / (window.top - window.bottom);
  frame.levelZoomed = true;
  return true;
}

namespace {

std::string levelText(double dB, double step) {
  int decimals = 0;
  for (double s = step; decimals < 6 && s < 0.999; s *= 10) ++decimals;
  // -0.00 reads oddly under a line at zero.
  if (std::fabs(dB) < 0.5 * std::pow(10.0, -decimals)) dB = 0;
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, dB);
  return text;
}

}  // namespace

std::vector<LevelLine> zoomedLevelLines(const PlotFrame& frame, const LevelWindow& window,
                                        double offsetDb, double dbPerLevel) {
  std::vector<LevelLine> lines;
  if (!(dbPerLevel > 0) || !std::isfinite(offsetDb) || !(window.top > window.bottom)) return lines;
  const double lowDb = offsetDb + window.bottom * dbPerLevel;
  const double highDb = offsetDb + window.top * dbPerLevel;
  const double span = highDb - lowDb;
  if (!std::isfinite(span) || !(span > 0)) return lines;
  double step = std::pow(10.0, std::floor(std::log10(span / 10.0)));
  for (const double f : {1.0, 2.0, 5.0, 10.0}) {
    if (span / (step * f) <= 10.0) {
      step *= f;
      break;
    }
  }
  const double labelX = (static_cast<double>(frame.viewStartM) - frame.margin) + frame.margin / 4.0;
  const double first = std::ceil(lowDb / step - 1e-9);
  for (int k = 0; k <= 11; ++k) {
    const double dB = (first + k) * step;
    if (dB > highDb + step * 1e-9) break;
    LevelLine line;
    const double y = (dB - offsetDb) / dbPerLevel;
    line.y = static_cast<std::int32_t>(std::lround(y));
    line.levelY = y;
    line.label.x = labelX;
    line.label.y = y + step / dbPerLevel / 2.0;
    line.label.text = levelText(dB, step);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<DistanceLine> distanceLines(const PlotFrame& frame) {
  std::vector<DistanceLine> lines;
  const std::int64_t step = frame.gridStep;
  for (std::int64_t x = frame.viewStartM; x <= frame.viewEndM; x += step) {
    DistanceLine line;
    line.x = static_cast<std::int32_t>(x);
    line.label.y = 0;
    if (x == 10 * step) {
      line.label.text = "(m)";
      line.label.x = static_cast<double>(x) - frame.span / 40.0;
    } else {
      line.label.text = std::to_string(x);
      line.label.x = static_cast<double>(x) - frame.span / 80.0;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace tracelink
