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

// Pulse widths in ns, indexed by PulseIndex, as the pulse-width words name them.
constexpr std::array<std::int32_t, 9> kPulseNs{10, 20, 50, 100, 200, 500, 1000, 1500, 2500};

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

bool hasTrace(const MeasureTrace& trace) {
  return trace.record != nullptr && trace.startPoint < trace.rangeLine &&
         trace.fullRangeEnd > trace.fullRangeStart;
}

double metresPerSample(const MeasureTrace& trace) {
  return kLightSpeed / 2.0 / usableIor(trace.ior);
}

// Both markers read, and apart; nearer first.
struct Span {
  MarkerLevel a;
  MarkerLevel b;
  const MarkerLevel* nearer = nullptr;
  const MarkerLevel* farther = nullptr;
};

Measured<Span> readSpan(const MeasureTrace& trace, double aM, double bM) {
  const Measured<MarkerLevel> a = levelAt(trace, aM, 'A');
  if (!a) return a.problem();
  const Measured<MarkerLevel> b = levelAt(trace, bM, 'B');
  if (!b) return b.problem();
  if (aM == bM) return refuseAt(MeasureRefusal::MarkersEqual, 'B', bM);
  // Markers a metre apart can share a sample (1.02 m each): no line, no slope.
  if (a->sample == b->sample) return refuseAt(MeasureRefusal::SameSample, 'B', bM);
  Span span{*a, *b};
  return span;
}

void orderSpan(Span& span) {
  const bool aFirst = span.a.distanceM < span.b.distanceM;
  span.nearer = aFirst ? &span.a : &span.b;
  span.farther = aFirst ? &span.b : &span.a;
}

}  // namespace

MeasureTrace measureTrace(const TraceRecord& record, const HeaderState& header,
                          const ViewWindow& view, const DecodedValues& decoded) {
  MeasureTrace trace;
  trace.record = &record;
  trace.startPoint = header.StartPoint;
  trace.rangeLine = header.RangeLine;
  trace.fullRangeStart = view.FullRangeStart;
  trace.fullRangeEnd = view.FullRangeEnd;
  trace.ior = decoded.Ior;
  trace.pulseIndex = decoded.PulseIndex;
  const std::int32_t shown = shownEventCount(decoded);
  for (std::int32_t i = 1; i <= shown; ++i)
    trace.eventDistancesM.push_back(decoded.EventDistance[static_cast<std::size_t>(i)]);
  return trace;
}

double deadZoneMetres(std::int32_t pulseIndex, double ior) {
  // An index the header cannot name is read as 100 ns, as the info line reads it.
  const std::size_t i =
      pulseIndex >= 0 && pulseIndex <= 8 ? static_cast<std::size_t>(pulseIndex) : 3;
  return kPulseNs[i] * kLightSpeed / 2.0 / usableIor(ior) / 10.0;
}

Measured<MarkerLevel> levelAt(const MeasureTrace& trace, double distanceM, char marker) {
  if (!hasTrace(trace)) return refuse(MeasureRefusal::NoTrace);
  if (!std::isfinite(distanceM)) return refuseAt(MeasureRefusal::NotADistance, marker, 0);
  const double ior = usableIor(trace.ior);
  const std::int32_t fromM = SampleToMetres(trace.fullRangeStart, ior);
  const std::int32_t toM = SampleToMetres(trace.fullRangeEnd, ior);
  if (distanceM < fromM || distanceM > toM)
    return refuseAt(MeasureRefusal::MarkerOutsideRange, marker, distanceM, fromM, toM);
  // The redraw writes a StartPoint of 0 back as 1 before the crosshair can read.
  const std::int32_t start = trace.startPoint == 0 ? 1 : trace.startPoint;
  const std::optional<std::size_t> position = CursorPosition(start, distanceM, ior);
  if (!position)
    return refuseAt(MeasureRefusal::MarkerOutsideRecord, marker, distanceM, fromM, toM);
  MarkerLevel level;
  level.distanceM = distanceM;
  level.sample = MetresToSample(distanceM, ior);
  level.position = *position;
  level.hundredths = (*trace.record)[*position];
  return level;
}

namespace {

// Words within this bound keep every sum below exact in doubles (2^53): |i * y| < 2^16 *
// 2^17 and y^2 <= 2^34 over at most 2^16 terms. The instrument's words are 16-bit.
constexpr std::int32_t kExactWordBound = 1 << 17;
constexpr std::size_t kLanes = 4;

struct YSums {
  std::int64_t sumY = 0;
  std::int64_t sumIY = 0;
  std::int64_t sumYY = 0;  // only from the fast pass
};

// The sums in doubles, in independent lanes that run side by side; they are integers below
// 2^53, so every addition is exact whatever the order. nullopt when a word lies beyond the
// bound.
std::optional<YSums> exactSumsInDoubles(const std::int32_t* words, std::int64_t count) {
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  for (std::int64_t i = 0; i < count; ++i) {
    lo = std::min(lo, words[i]);
    hi = std::max(hi, words[i]);
  }
  if (lo < -kExactWordBound || hi > kExactWordBound) return std::nullopt;
  std::array<double, kLanes> s0{}, s1{}, s2{};
  std::int64_t i = 0;
#if defined(__SSE2__)
  // Four words a step as two pairs of doubles; the compiler does not find this by itself
  // (it converts the words one by one).
  __m128d y0a = _mm_setzero_pd(), y0b = _mm_setzero_pd();
  __m128d y1a = _mm_setzero_pd(), y1b = _mm_setzero_pd();
  __m128d y2a = _mm_setzero_pd(), y2b = _mm_setzero_pd();
  __m128d xa = _mm_set_pd(1, 0);
  __m128d xb = _mm_set_pd(3, 2);
  const __m128d step = _mm_set1_pd(4);
  for (; i + 4 <= count; i += 4) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + i));
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
      const auto y = static_cast<double>(words[j]);
      s0[k] += y;
      s1[k] += static_cast<double>(j) * y;
      s2[k] += y * y;
    }
  }
#endif
  for (; i < count; ++i) {
    const auto y = static_cast<double>(words[i]);
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

// Any 32-bit words: |i * y| < 2^16 * 2^31 over at most 60100 terms stays inside 64 bits.
YSums exactSumsInIntegers(const std::int32_t* words, std::int64_t count) {
  YSums sums;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t y = words[i];
    sums.sumY += y;
    sums.sumIY += i * y;
  }
  return sums;
}

// Residuals of a fitted line, for words too large for the fast sums; they are small next
// to the words, so plain double sums lose nothing that shows.
double residualSquares(const std::int32_t* words, std::int64_t count, double a, double b) {
  std::array<double, kLanes> acc{};
  std::int64_t i = 0;
  for (; i + static_cast<std::int64_t>(kLanes) <= count; i += kLanes) {
    for (std::size_t k = 0; k < kLanes; ++k) {
      const std::int64_t j = i + static_cast<std::int64_t>(k);
      const double r = words[j] - (a + b * static_cast<double>(j));
      acc[k] += r * r;
    }
  }
  for (; i < count; ++i) {
    const double r = words[i] - (a + b * static_cast<double>(i));
    acc[0] += r * r;
  }
  return acc[0] + acc[1] + acc[2] + acc[3];
}

}  // namespace

LineFit fitSamples(const std::int32_t* words, std::int32_t firstSample, std::int64_t count,
                   double metresPerSample) {
  // The samples are equally spaced, so with x = i (samples from the first) the x sums have
  // closed forms; the y sums are exact integers.
  const std::optional<YSums> fast = exactSumsInDoubles(words, count);
  const YSums sums = fast ? *fast : exactSumsInIntegers(words, count);
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
    const __int128 nSyy = n * sums.sumYY - static_cast<__int128>(sums.sumY) * sums.sumY;
    const long double numL = static_cast<long double>(num);
    const long double nSs =
        static_cast<long double>(nSyy) - numL * numL / static_cast<long double>(den);
    squares = static_cast<double>(std::max(0.0L, nSs / static_cast<long double>(n)));
  } else {
    squares = residualSquares(words, count, a, b);
  }
  LineFit fit;
  fit.samples = count;
  fit.firstSample = firstSample;
  fit.interceptHundredths = a;
  fit.slopeHundredths = b;
  fit.rmsDb = std::sqrt(squares / static_cast<double>(count)) / 100.0;
  fit.metresPerSample = metresPerSample;
  return fit;
}

Measured<SpanMeasure> measureSpan(const MeasureTrace& trace, double aM, double bM) {
  Measured<Span> read = readSpan(trace, aM, bM);
  if (!read) return read.problem();
  Span span = *read;
  orderSpan(span);
  SpanMeasure m;
  m.a = span.a;
  m.b = span.b;
  m.deltaM = span.farther->distanceM - span.nearer->distanceM;
  m.deltaHundredths = static_cast<std::int64_t>(span.nearer->hundredths) - span.farther->hundredths;
  m.twoPointDbPerKm = m.deltaDb() / m.deltaM * 1000.0;
  const std::int64_t count =
      static_cast<std::int64_t>(span.farther->sample) - span.nearer->sample + 1;
  m.lsa = fitSamples(trace.record->words.data() + span.nearer->position, span.nearer->sample, count,
                     metresPerSample(trace));
  m.lsaLossDb = m.lsa.dbPerKm() * m.deltaM / 1000.0;
  return m;
}

Measured<std::int32_t> eventBetween(const MeasureTrace& trace, double aM, double bM) {
  const double lo = std::min(aM, bM);
  const double hi = std::max(aM, bM);
  const double middle = (lo + hi) / 2.0;
  std::optional<std::int32_t> best;
  for (const std::int32_t e : trace.eventDistancesM) {
    if (!(lo < e && e < hi)) continue;
    if (!best || std::fabs(e - middle) < std::fabs(*best - middle)) best = e;
  }
  if (!best) return refuseAt(MeasureRefusal::NoEventBetween, 'E', 0, nearest(lo), nearest(hi));
  return *best;
}

Measured<EventLoss> eventLoss(const MeasureTrace& trace, double aM, double bM, double eventM) {
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

  const double ior = usableIor(trace.ior);
  const double d = deadZoneMetres(trace.pulseIndex, ior);
  const std::int64_t beforeLast = MetresToSample(eventM - d, ior);
  const std::int64_t beforeCount = beforeLast - nearer.sample + 1;
  if (beforeCount < kMinSideSamples)
    return refuseSide(EventSide::Before, beforeCount, nearerLetter);
  const std::int64_t afterFirst = MetresToSample(eventM + d, ior);
  const std::int64_t afterCount = static_cast<std::int64_t>(farther.sample) - afterFirst + 1;
  if (afterCount < kMinSideSamples) return refuseSide(EventSide::After, afterCount, fartherLetter);

  // Both sides lie within the markers' samples, whose positions are inside the record.
  const std::int32_t* words = trace.record->words.data();
  const double h = metresPerSample(trace);
  EventLoss loss;
  loss.eventM = eventM;
  loss.deadZoneM = d;
  loss.before = fitSamples(words + nearer.position, nearer.sample, beforeCount, h);
  loss.after = fitSamples(words + nearer.position + (afterFirst - nearer.sample),
                          static_cast<std::int32_t>(afterFirst), afterCount, h);
  loss.lossDb = loss.before.levelDbAt(eventM) - loss.after.levelDbAt(eventM);
  return loss;
}

}  // namespace tracelink
