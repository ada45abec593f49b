#include "session/view_window.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "record/units.h"

namespace tracelink {

bool repairWindow(ViewWindow& view) {
  if (view.ViewEnd > view.ViewStart) return false;
  view.ViewEnd =
      view.ViewStart > INT32_MAX - kStartupViewEnd ? INT32_MAX : view.ViewStart + kStartupViewEnd;
  if (view.ViewEnd <= view.ViewStart) view.ViewStart = view.ViewEnd - kStartupViewEnd;
  return true;
}

std::int32_t distanceGridStep(const ViewWindow& view, double ior) {
  ior = usableIor(ior);
  const std::int64_t startM = SampleToMetres(view.ViewStart, ior);
  const std::int64_t endM = SampleToMetres(view.ViewEnd, ior);
  // As drawn: a window that rounds to nothing is a metre wide.
  const std::int64_t span = std::max<std::int64_t>(1, endM - startM);
  return std::max<std::int32_t>(1, nearest(static_cast<double>(span) / 10.0));
}

std::string scaleText(std::int32_t gridStep) {
  return std::to_string(gridStep) + "m/div" + "     2dB/div";
}

std::string scaleText(std::int32_t gridStep, double dbPerDivision) {
  return std::to_string(gridStep) + "m/div" + "     " +
         std::to_string(static_cast<long long>(std::llround(dbPerDivision))) + "dB/div";
}

double levelDivision(double spanDb) {
  return LevelDivisionDb(spanDb);
}

LevelScale levelScaleOf(const Trace& trace, std::size_t first, std::size_t last) {
  const std::size_t n = trace.size();
  if (n == 0) return {};
  last = std::min(last, n - 1);
  first = std::min(first, last);
  const std::size_t end = std::min(last + 1, n - 1);
  double lo = trace.levelDb(first);
  double hi = lo;
  for (std::size_t i = first + 1; i <= end; ++i) {
    const double v = trace.levelDb(i);
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  return {lo, levelDivision(hi - lo)};
}

double indexForSpacing(double spacingM) {
  return kLightSpeed / 2.0 / spacingM;
}

std::int32_t panStep(const ViewWindow& view) {
  const std::int32_t p = nearest((static_cast<double>(view.ViewEnd) - view.ViewStart) / 10.0);
  return p - p % 10;
}

namespace {
bool hasRecordRange(const ViewWindow& view) {
  return view.FullRangeEnd > view.FullRangeStart;
}
}  // namespace

bool panTowardStart(ViewWindow& view) {
  if (!hasRecordRange(view)) return false;
  const std::int32_t p = panStep(view);
  if (static_cast<std::int64_t>(view.ViewStart) - p < 0) {
    view.ViewStart = 0;
  } else {
    view.ViewStart -= p;
    view.ViewEnd -= p;
  }
  repairWindow(view);
  return true;
}

bool panTowardEnd(ViewWindow& view) {
  if (!hasRecordRange(view)) return false;
  const std::int32_t p = panStep(view);
  if (static_cast<std::int64_t>(view.ViewEnd) + p <= view.FullRangeEnd) {
    view.ViewStart += p;
    view.ViewEnd += p;
  } else {
    view.ViewStart += view.FullRangeEnd - view.ViewEnd;
    view.ViewEnd = view.FullRangeEnd;
  }
  repairWindow(view);
  return true;
}

bool fullView(ViewWindow& view) {
  if (!hasRecordRange(view)) return false;
  view.ViewStart = view.FullRangeStart;
  view.ViewEnd = view.FullRangeEnd;
  return true;
}

std::optional<ViewWindow> zoomAround(const ViewWindow& current, double centre, double factor,
                                     std::int32_t minWidth) {
  if (!hasRecordRange(current) || !(factor > 0) || !std::isfinite(centre)) return std::nullopt;
  const double fullStart = current.FullRangeStart;
  const double fullEnd = current.FullRangeEnd;
  const double start = current.ViewStart;
  const double end = current.ViewEnd;
  centre = std::clamp(centre, start, end);
  const double width =
      std::clamp((end - start) * factor, std::min<double>(minWidth + 1.0, fullEnd - fullStart),
                 fullEnd - fullStart);
  double newStart = centre - (centre - start) / (end - start) * width;
  newStart = std::clamp(newStart, fullStart, fullEnd - width);
  ViewWindow next = current;
  next.ViewStart = static_cast<std::int32_t>(std::llround(newStart));
  next.ViewEnd = static_cast<std::int32_t>(std::llround(newStart + width));
  if (next.ViewEnd <= next.ViewStart) return std::nullopt;
  if (next.ViewStart == current.ViewStart && next.ViewEnd == current.ViewEnd) return std::nullopt;
  return next;
}

LevelZoomFault checkLevelZoom(double bottomDb, double topDb) {
  if (!std::isfinite(bottomDb) || !std::isfinite(topDb)) return LevelZoomFault::NotANumber;
  if (std::fabs(bottomDb) > kMaxLevelDb || std::fabs(topDb) > kMaxLevelDb)
    return LevelZoomFault::OutOfRange;
  if (!(topDb > bottomDb)) return LevelZoomFault::Reversed;
  // A little slack, so that 0.01 dB typed in is not refused for its binary rounding.
  if (topDb - bottomDb < kMinLevelSpanDb * (1 - 1e-9)) return LevelZoomFault::TooNarrow;
  return LevelZoomFault::None;
}

std::optional<LevelZoom> levelZoomBetween(double aDb, double bDb) {
  const LevelZoom zoom{std::min(aDb, bDb), std::max(aDb, bDb)};
  if (checkLevelZoom(zoom.bottomDb, zoom.topDb) != LevelZoomFault::None) return std::nullopt;
  return zoom;
}

std::int32_t holdInside(double x, std::int32_t startM, std::int32_t endM) {
  if (x < startM) return startM;
  if (x > endM) return endM;
  return nearest(x);
}

std::optional<ViewWindow> zoomWindow(const ViewWindow& current, std::int32_t dragStartM,
                                     std::int32_t dragEndM, double ior) {
  ior = usableIor(ior);
  dragStartM = cutToTens(dragStartM);
  dragEndM = cutToTens(dragEndM);
  if (static_cast<std::int64_t>(dragEndM) - dragStartM <= 100) return std::nullopt;
  ViewWindow next = current;
  next.ViewStart = MetresToSample(dragStartM, ior);
  next.ViewEnd = MetresToSample(dragEndM, ior);
  if (next.ViewEnd <= next.ViewStart) return std::nullopt;
  return next;
}

}  // namespace tracelink
