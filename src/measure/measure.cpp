#include "measure/measure.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "record/units.h"

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

LineFit fitSamples(const std::int32_t* words, std::int32_t firstSample, std::int64_t count,
                   double metresPerSample) {
  // The samples are equally spaced, so with x = i (samples from the first) the x sums have
  // closed forms and the y sums are exact in 64 bits: |i * y| < 2^16 * 2^31 and at most
  // 60100 terms.
  std::int64_t sumY = 0;
  std::int64_t sumIY = 0;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t y = words[i];
    sumY += y;
    sumIY += i * y;
  }
  const __int128 n = count;
  const __int128 sumI = n * (n - 1) / 2;
  const __int128 sumII = (n - 1) * n * (2 * n - 1) / 6;
  const __int128 den = n * sumII - sumI * sumI;
  const __int128 num = n * sumIY - sumI * sumY;
  const long double slope = static_cast<long double>(num) / static_cast<long double>(den);
  const long double intercept =
      (static_cast<long double>(sumY) - slope * static_cast<long double>(sumI)) /
      static_cast<long double>(n);

  // Residuals are a few hundredths at most, so plain double sums lose nothing that shows;
  // four of them let the loop run in parallel.
  const auto a = static_cast<double>(intercept);
  const auto b = static_cast<double>(slope);
  std::array<double, 4> acc{};
  std::int64_t i = 0;
  for (; i + 4 <= count; i += 4) {
    for (int k = 0; k < 4; ++k) {
      const double r = words[i + k] - (a + b * static_cast<double>(i + k));
      acc[static_cast<std::size_t>(k)] += r * r;
    }
  }
  for (; i < count; ++i) {
    const double r = words[i] - (a + b * static_cast<double>(i));
    acc[0] += r * r;
  }
  LineFit fit;
  fit.samples = count;
  fit.firstSample = firstSample;
  fit.interceptHundredths = a;
  fit.slopeHundredths = b;
  fit.rmsDb = std::sqrt((acc[0] + acc[1] + acc[2] + acc[3]) / static_cast<double>(count)) / 100.0;
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
