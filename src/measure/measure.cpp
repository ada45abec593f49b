#include "measure/measure.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "record/units.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tracelink {

namespace {

// Every refusal is made here, so the one place that knows their shape stays small.
MeasureProblem refuse(MeasureRefusal code) {
  MeasureProblem p;
  p.code = code;
  return p;
}

MeasureProblem refuseAt(MeasureRefusal code, char marker, double distanceM, std::int32_t fromM = 0,
                        std::int32_t toM = 0) {
  MeasureProblem p = refuse(code);
  p.marker = marker;
  p.distanceM = distanceM;
  p.fromM = fromM;
  p.toM = toM;
  return p;
}

MeasureProblem refuseSide(EventSide side, std::int64_t samples, char marker) {
  MeasureProblem p = refuse(MeasureRefusal::SideTooShort);
  p.marker = marker;
  p.side = side;
  p.samples = std::max<std::int64_t>(samples, 0);
  p.needed = kMinSideSamples;
  return p;
}

bool hasTrace(const Trace& trace) {
  return trace.size() >= 2 && std::isfinite(trace.spacingM) && trace.spacingM > 0 &&
         std::isfinite(trace.originM);
}

// The point nearest a distance, counted from the trace's first one.
std::optional<std::int32_t> indexOf(const Trace& trace, double metres) {
  return nearestChecked((metres - trace.originM) / trace.spacingM);
}

// The range a marker may stand in, in whole metres: from the first point to the end of the
// acquisition range or the last point, whichever lies farther. A record's range is its full
// view, even where the record ends before it.
struct Range {
  std::int32_t fromM = 0;
  std::int32_t toM = 0;
};
Range rangeOf(const Trace& trace) {
  const double span =
      std::max(trace.acquisition.rangeM, static_cast<double>(trace.size() - 1) * trace.spacingM);
  return {nearest(trace.originM), nearest(trace.originM + span)};
}

// Both markers read, and apart; nearer first.
struct Span {
  MarkerLevel a;
  MarkerLevel b;
  const MarkerLevel* nearer = nullptr;
  const MarkerLevel* farther = nullptr;
};

Measured<Span> readSpan(const Trace& trace, double aM, double bM) {
  const Measured<MarkerLevel> a = levelAt(trace, aM, 'A');
  if (!a) return a.problem();
  const Measured<MarkerLevel> b = levelAt(trace, bM, 'B');
  if (!b) return b.problem();
  if (aM == bM) return refuseAt(MeasureRefusal::MarkersEqual, 'B', bM);
  // Markers a metre apart can share a sample (1.02 m each): no line, no slope.
  if (a->index == b->index) return refuseAt(MeasureRefusal::SameSample, 'B', bM);
  Span span{*a, *b};
  return span;
}

void orderSpan(Span& span) {
  const bool aFirst = span.a.distanceM < span.b.distanceM;
  span.nearer = aFirst ? &span.a : &span.b;
  span.farther = aFirst ? &span.b : &span.a;
}

}  // namespace

double deadZoneMetres(double pulseNs, double groupIndex) {
  return pulseNs * kLightSpeed / 2.0 / usableIor(groupIndex) / 10.0;
}

double deadZoneMetres(const Trace& trace) {
  const std::vector<double>& pulses = trace.acquisition.pulseWidthsNs;
  return deadZoneMetres(pulses.empty() ? 0.0 : pulses.front(), trace.acquisition.groupIndex);
}

Measured<MarkerLevel> levelAt(const Trace& trace, double distanceM, char marker) {
  if (!hasTrace(trace)) return refuse(MeasureRefusal::NoTrace);
  if (!std::isfinite(distanceM)) return refuseAt(MeasureRefusal::NotADistance, marker, 0);
  const Range range = rangeOf(trace);
  if (distanceM < range.fromM || distanceM > range.toM)
    return refuseAt(MeasureRefusal::MarkerOutsideRange, marker, distanceM, range.fromM, range.toM);
  const std::optional<std::int32_t> index = indexOf(trace, distanceM);
  if (!index || *index < 0 || static_cast<std::size_t>(*index) >= trace.size())
    return refuseAt(MeasureRefusal::MarkerOutsideRecord, marker, distanceM, range.fromM, range.toM);
  MarkerLevel level;
  level.distanceM = distanceM;
  level.index = *index;
  level.milliDb = trace.levels[static_cast<std::size_t>(*index)];
  return level;
}

namespace {

constexpr std::size_t kLanes = 4;

// Exact integer sums of the levels y_i, i y_i and y_i^2 (i counted from the first point).
struct YSums {
  __int128 sumY = 0;
  __int128 sumIY = 0;
  __int128 sumYY = 0;  // only from the fast pass
};

// Every lane's sums stay integers below 2^53 when count / lanes terms of |i y| and y^2 do:
// then each double addition is exact, whatever the order. Our records' levels (65535 x 10
// at most, 60100 points) are far inside.
bool exactInDoubles(std::int64_t maxAbs, std::int64_t count) {
  const long double terms = static_cast<long double>((count + kLanes - 1) / kLanes);
  const long double limit = 9007199254740992.0L;  // 2^53
  const long double m = static_cast<long double>(maxAbs);
  return terms * m * m < limit && terms * m * static_cast<long double>(count) < limit;
}

// The sums in doubles, in independent lanes that run side by side. nullopt when a level is
// too large for them to stay exact.
std::optional<YSums> exactSumsInDoubles(const std::int32_t* levels, std::int64_t count) {
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  for (std::int64_t i = 0; i < count; ++i) {
    lo = std::min(lo, levels[i]);
    hi = std::max(hi, levels[i]);
  }
  if (!exactInDoubles(std::max(-static_cast<std::int64_t>(lo), static_cast<std::int64_t>(hi)),
                      count))
    return std::nullopt;
  std::array<double, kLanes> s0{}, s1{}, s2{};
  std::int64_t i = 0;
#if defined(__SSE2__)
  // Four levels a step as two pairs of doubles; the compiler does not find this by itself
  // (it converts the levels one by one).
  __m128d y0a = _mm_setzero_pd(), y0b = _mm_setzero_pd();
  __m128d y1a = _mm_setzero_pd(), y1b = _mm_setzero_pd();
  __m128d y2a = _mm_setzero_pd(), y2b = _mm_setzero_pd();
  __m128d xa = _mm_set_pd(1, 0);
  __m128d xb = _mm_set_pd(3, 2);
  const __m128d step = _mm_set1_pd(4);
  for (; i + 4 <= count; i += 4) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + i));
    const __m128d ya = _mm_cvtepi32_pd(w);
    const __m128d yb = _mm_cvtepi32_pd(_mm_shuffle_epi32(w, _MM_SHUFFLE(1, 0, 3, 2)));
    y0a = _mm_add_pd(y0a, ya);
    y0b = _mm_add_pd(y0b, yb);
    y1a = _mm_add_pd(y1a, _mm_mul_pd(xa, ya));
    y1b = _mm_add_pd(y1b, _mm_mul_pd(xb, yb));
    y2a = _mm_add_pd(y2a, _mm_mul_pd(ya, ya));
    y2b = _mm_add_pd(y2b, _mm_mul_pd(yb, yb));
    xa = _mm_add_pd(xa, step);
    xb = _mm_add_pd(xb, step);
  }
  _mm_storeu_pd(&s0[0], y0a);
  _mm_storeu_pd(&s0[2], y0b);
  _mm_storeu_pd(&s1[0], y1a);
  _mm_storeu_pd(&s1[2], y1b);
  _mm_storeu_pd(&s2[0], y2a);
  _mm_storeu_pd(&s2[2], y2b);
#else
  for (; i + static_cast<std::int64_t>(kLanes) <= count; i += kLanes) {
    for (std::size_t k = 0; k < kLanes; ++k) {
      const std::int64_t j = i + static_cast<std::int64_t>(k);
      const auto y = static_cast<double>(levels[j]);
      s0[k] += y;
      s1[k] += static_cast<double>(j) * y;
      s2[k] += y * y;
    }
  }
#endif
  for (; i < count; ++i) {
    const auto y = static_cast<double>(levels[i]);
    s0[0] += y;
    s1[0] += static_cast<double>(i) * y;
    s2[0] += y * y;
  }
  YSums sums;
  for (std::size_t k = 0; k < kLanes; ++k) {
    sums.sumY += static_cast<std::int64_t>(s0[k]);
    sums.sumIY += static_cast<std::int64_t>(s1[k]);
    sums.sumYY += static_cast<std::int64_t>(s2[k]);
  }
  return sums;
}

// Any 32-bit levels over any count: 128-bit sums cannot overflow.
YSums exactSumsInIntegers(const std::int32_t* levels, std::int64_t count) {
  YSums sums;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t y = levels[i];
    sums.sumY += y;
    sums.sumIY += static_cast<__int128>(i) * y;
  }
  return sums;
}

// Residuals of a fitted line (in levels / divisor), for levels too large for the fast sums;
// they are small next to the levels, so plain double sums lose nothing that shows.
double residualSquares(const std::int32_t* levels, std::int64_t count, double a, double b,
                       double divisor) {
  const auto y = [&](std::int64_t j) { return static_cast<double>(levels[j]) / divisor; };
  std::array<double, kLanes> acc{};
  std::int64_t i = 0;
  for (; i + static_cast<std::int64_t>(kLanes) <= count; i += kLanes) {
    for (std::size_t k = 0; k < kLanes; ++k) {
      const std::int64_t j = i + static_cast<std::int64_t>(k);
      const double r = y(j) - (a + b * static_cast<double>(j));
      acc[k] += r * r;
    }
  }
  for (; i < count; ++i) {
    const double r = y(i) - (a + b * static_cast<double>(i));
    acc[0] += r * r;
  }
  return acc[0] + acc[1] + acc[2] + acc[3];
}

}  // namespace

LineFit fitSamples(const std::int32_t* levels, std::int64_t firstIndex, std::int64_t count,
                   double metresPerSample, double originM) {
  // The points are equally spaced, so with x = i (points from the first) the x sums have
  // closed forms; the y sums are exact integers.
  const std::optional<YSums> fast = exactSumsInDoubles(levels, count);
  YSums sums = fast ? *fast : exactSumsInIntegers(levels, count);
  // The line depends on the levels only through their sums: where those are whole
  // hundredths the line is fitted in hundredths, and a record's figures come out of the very
  // arithmetic they always came out of.
  const bool hundredths =
      sums.sumY % 10 == 0 && sums.sumIY % 10 == 0 && (!fast || sums.sumYY % 100 == 0);
  if (hundredths) {
    sums.sumY /= 10;
    sums.sumIY /= 10;
    sums.sumYY /= 100;
  }
  const __int128 n = count;
  const __int128 sumI = n * (n - 1) / 2;
  const __int128 sumII = (n - 1) * n * (2 * n - 1) / 6;
  const __int128 den = n * sumII - sumI * sumI;  // n^2 times the variance of i
  const __int128 num = n * sums.sumIY - sumI * sums.sumY;
  const long double slope = static_cast<long double>(num) / static_cast<long double>(den);
  const long double intercept =
      (static_cast<long double>(sums.sumY) - slope * static_cast<long double>(sumI)) /
      static_cast<long double>(n);
  const auto a = static_cast<double>(intercept);
  const auto b = static_cast<double>(slope);

  double squares = 0;
  if (fast) {
    // n SSres = n Syy - num^2 / den, with n Syy exact; only the quotient is rounded.
    const __int128 nSyy = n * sums.sumYY - sums.sumY * sums.sumY;
    const long double numL = static_cast<long double>(num);
    const long double nSs =
        static_cast<long double>(nSyy) - numL * numL / static_cast<long double>(den);
    squares = static_cast<double>(std::max(0.0L, nSs / static_cast<long double>(n)));
  } else {
    squares = residualSquares(levels, count, a, b, hundredths ? 10.0 : 1.0);
  }
  LineFit fit;
  fit.samples = count;
  fit.firstIndex = firstIndex;
  fit.intercept = a;
  fit.slope = b;
  fit.unitsPerDb = hundredths ? 100.0 : kMilliDbPerDb;
  fit.rmsDb = std::sqrt(squares / static_cast<double>(count)) / fit.unitsPerDb;
  fit.metresPerSample = metresPerSample;
  fit.originM = originM;
  return fit;
}

std::optional<LineFit> fitBetween(const Trace& trace, double fromM, double toM) {
  if (!(trace.spacingM > 0)) return std::nullopt;
  // In doubles until clamped: a damaged file's distances need not fit an integer, and a
  // window that is not a number fails the count below.
  const double first = std::ceil((fromM - trace.originM) / trace.spacingM);
  const double last = std::floor((toM - trace.originM) / trace.spacingM);
  const double lastPoint = static_cast<double>(trace.size()) - 1;
  const double a = std::max(first, 0.0);
  const double b = std::min(last, lastPoint);
  if (!(b - a + 1 >= static_cast<double>(kMinSideSamples))) return std::nullopt;
  const auto from = static_cast<std::int64_t>(a);
  const auto count = static_cast<std::int64_t>(b) - from + 1;
  return fitSamples(trace.levels.data() + from, from, count, trace.spacingM, trace.originM);
}

Measured<SpanMeasure> measureSpan(const Trace& trace, double aM, double bM) {
  Measured<Span> read = readSpan(trace, aM, bM);
  if (!read) return read.problem();
  Span span = *read;
  orderSpan(span);
  SpanMeasure m;
  m.a = span.a;
  m.b = span.b;
  m.deltaM = span.farther->distanceM - span.nearer->distanceM;
  m.deltaMilliDb = static_cast<std::int64_t>(span.nearer->milliDb) - span.farther->milliDb;
  m.twoPointDbPerKm = m.deltaDb() / m.deltaM * 1000.0;
  const std::int64_t count = span.farther->index - span.nearer->index + 1;
  m.lsa = fitSamples(trace.levels.data() + span.nearer->index, span.nearer->index, count,
                     trace.spacingM, trace.originM);
  m.lsaLossDb = m.lsa.dbPerKm() * m.deltaM / 1000.0;
  return m;
}

Measured<std::int32_t> eventBetween(const Trace& trace, double aM, double bM) {
  const double lo = std::min(aM, bM);
  const double hi = std::max(aM, bM);
  const double middle = (lo + hi) / 2.0;
  std::optional<std::int32_t> best;
  for (const KeyEvent& event : trace.events) {
    const std::int32_t e = nearest(event.distanceM);
    if (!(lo < e && e < hi)) continue;
    if (!best || std::fabs(e - middle) < std::fabs(*best - middle)) best = e;
  }
  if (!best) return refuseAt(MeasureRefusal::NoEventBetween, 'E', 0, nearest(lo), nearest(hi));
  return *best;
}

Measured<EventLoss> eventLoss(const Trace& trace, double aM, double bM, double eventM) {
  Measured<Span> read = readSpan(trace, aM, bM);
  if (!read) return read.problem();
  Span span = *read;
  orderSpan(span);
  const MarkerLevel& nearer = *span.nearer;
  const MarkerLevel& farther = *span.farther;
  const char nearerLetter = span.nearer == &span.a ? 'A' : 'B';
  const char fartherLetter = span.nearer == &span.a ? 'B' : 'A';
  if (!std::isfinite(eventM)) return refuseAt(MeasureRefusal::NotADistance, 'E', 0);
  if (!(nearer.distanceM < eventM && eventM < farther.distanceM))
    return refuseAt(MeasureRefusal::EventOutsideSpan, 'E', eventM, nearest(nearer.distanceM),
                    nearest(farther.distanceM));

  const double d = deadZoneMetres(trace);
  const auto pointOf = [&trace](double metres) -> std::int64_t {
    return nearest((metres - trace.originM) / trace.spacingM);
  };
  const std::int64_t beforeLast = pointOf(eventM - d);
  const std::int64_t beforeCount = beforeLast - nearer.index + 1;
  if (beforeCount < kMinSideSamples)
    return refuseSide(EventSide::Before, beforeCount, nearerLetter);
  const std::int64_t afterFirst = pointOf(eventM + d);
  const std::int64_t afterCount = farther.index - afterFirst + 1;
  if (afterCount < kMinSideSamples) return refuseSide(EventSide::After, afterCount, fartherLetter);

  // Both sides lie within the markers' points, which are inside the trace.
  const std::int32_t* levels = trace.levels.data();
  EventLoss loss;
  loss.eventM = eventM;
  loss.deadZoneM = d;
  loss.before =
      fitSamples(levels + nearer.index, nearer.index, beforeCount, trace.spacingM, trace.originM);
  loss.after =
      fitSamples(levels + afterFirst, afterFirst, afterCount, trace.spacingM, trace.originM);
  loss.lossDb = loss.before.levelDbAt(eventM) - loss.after.levelDbAt(eventM);
  return loss;
}

}  // namespace tracelink
