#include "compare/overlay.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tracelink::compare {

namespace {

bool drawable(const Trace* t) {
  return t != nullptr && !t->empty() && std::isfinite(t->originM) && std::isfinite(t->spacingM) &&
         t->spacingM >= 0;
}

// The point of the trace nearest a distance within its points, whether shown or not.
std::optional<std::size_t> nearestIndex(const Trace& t, double distanceM) {
  if (!std::isfinite(distanceM) || distanceM < t.originM || distanceM > t.lastDistanceM())
    return std::nullopt;
  if (!(t.spacingM > 0)) return 0;
  const double at = std::round((distanceM - t.originM) / t.spacingM);
  return std::min(static_cast<std::size_t>(std::max(at, 0.0)), t.size() - 1);
}

std::int64_t milliDb(double db) {
  return std::isfinite(db) ? std::llround(db * kMilliDbPerDb) : 0;
}

}  // namespace

std::vector<std::optional<OverlayReading>> readingsAt(const std::vector<OverlayTrace>& traces,
                                                      double distanceM) {
  std::vector<std::optional<OverlayReading>> out(traces.size());
  for (std::size_t k = 0; k < traces.size(); ++k) {
    const OverlayTrace& o = traces[k];
    if (!o.shown || !drawable(o.trace)) continue;
    const std::optional<std::size_t> i = nearestIndex(*o.trace, distanceM);
    if (!i) continue;
    out[k] = OverlayReading{*i, o.trace->distanceOf(*i), o.trace->levelDb(*i) + o.offsetDb};
  }
  return out;
}

DistanceSpan overlaySpan(const std::vector<OverlayTrace>& traces) {
  double from = std::numeric_limits<double>::infinity();
  double to = -std::numeric_limits<double>::infinity();
  for (const OverlayTrace& o : traces) {
    if (!o.shown || !drawable(o.trace)) continue;
    from = std::min(from, o.trace->originM);
    to = std::max(to, o.trace->lastDistanceM());
  }
  if (from > to) return {};
  return {from, to};
}

std::optional<LevelSpan> overlayLevels(const std::vector<OverlayTrace>& traces, double fromM,
                                       double toM) {
  if (!std::isfinite(fromM) || !std::isfinite(toM)) return std::nullopt;
  if (fromM > toM) std::swap(fromM, toM);
  std::optional<LevelSpan> span;
  for (const OverlayTrace& o : traces) {
    if (!o.shown || !drawable(o.trace)) continue;
    const Trace& t = *o.trace;
    std::size_t first = 0;
    std::size_t last = t.size() - 1;
    if (t.spacingM > 0) {
      const double a = std::ceil((fromM - t.originM) / t.spacingM - 1e-9);
      const double b = std::floor((toM - t.originM) / t.spacingM + 1e-9);
      if (b < 0 || a > static_cast<double>(last) || a > b) continue;
      first = static_cast<std::size_t>(std::max(a, 0.0));
      last = static_cast<std::size_t>(std::min(b, static_cast<double>(last)));
    } else if (t.originM < fromM || t.originM > toM) {
      continue;
    }
    const auto [low, high] =
        std::minmax_element(t.levels.begin() + static_cast<std::ptrdiff_t>(first),
                            t.levels.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    const std::int64_t offset = milliDb(o.offsetDb);
    const std::int64_t lo = *low + offset;
    const std::int64_t hi = *high + offset;
    if (!span) {
      span = LevelSpan{lo, hi};
    } else {
      span->lowMilliDb = std::min(span->lowMilliDb, lo);
      span->highMilliDb = std::max(span->highMilliDb, hi);
    }
  }
  return span;
}

std::vector<double> alignedOffsets(const std::vector<OverlayTrace>& traces, double distanceM,
                                   std::size_t reference) {
  std::vector<double> offsets(traces.size());
  for (std::size_t k = 0; k < traces.size(); ++k) offsets[k] = traces[k].offsetDb;
  if (reference >= traces.size() || !drawable(traces[reference].trace)) return offsets;
  const Trace& ref = *traces[reference].trace;
  const std::optional<std::size_t> r = nearestIndex(ref, distanceM);
  if (!r) return offsets;
  const double target = ref.levelDb(*r) + traces[reference].offsetDb;
  // Hidden traces are aligned too, so that showing one again shows it in line.
  for (std::size_t k = 0; k < traces.size(); ++k) {
    if (k == reference || !drawable(traces[k].trace)) continue;
    const std::optional<std::size_t> i = nearestIndex(*traces[k].trace, distanceM);
    if (i) offsets[k] = target - traces[k].trace->levelDb(*i);
  }
  return offsets;
}

}  // namespace tracelink::compare
