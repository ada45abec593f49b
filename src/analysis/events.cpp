#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "analysis/working.h"

namespace tracelink::analysis {

namespace {

// A loss must stand this many of its own standard deviations clear of nothing.
constexpr double kLossSigmas = 5.0;
// Reflections at least this strong (or clipped) can leave the receiver recovering.
constexpr double kShoulderReflectanceDb = -40.0;
// Steps at least this large may leave a tail behind, as a reflection does.
constexpr double kBigStepDb = 1.0;

std::size_t fitWindow(const Scan& scan) {
  return std::max<std::size_t>(256, 64 * scan.pulseSamples());
}

Found fromPeak(const Scan& scan, const Peak& p) {
  Found f;
  f.start = p.start;
  f.peak = p;
  f.deadZoneEnd = std::max(p.deadZoneEnd, std::min(scan.size(), p.start + stepDeadZone(scan)));
  f.tailFrom = p.tailFrom;
  return f;
}

Found fromStep(const Working& w, const Step& s) {
  const Scan& scan = *w.scan;
  Found f;
  f.start = s.start;
  f.middle = s.middle;
  f.roughDb = s.stepDb;
  const std::size_t past = std::min(scan.size(), s.start + stepDeadZone(scan));
  f.deadZoneEnd = std::fabs(s.stepDb) >= kBigStepDb
                      ? settleAfter(scan, past, past, w.slope.at(s.start),
                                    past + longestDeadZone(scan), Settle::Lenient)
                      : past;
  f.tailFrom = past;
  return f;
}

// Peaks first, then the steps in the stretches between them.
std::vector<Found> candidates(const Working& w) {
  const Scan& scan = *w.scan;
  const std::size_t n = std::max(w.floor.visibleEnd, w.launch.peak.deadZoneEnd);
  const std::size_t guard = guardBefore(scan);
  std::vector<Found> found;
  std::size_t free = w.launch.peak.deadZoneEnd;
  const auto stepsUpTo = [&](std::size_t to) {
    if (to <= free) return;
    for (const Step& s : findSteps(scan, w.slope, w.stepNoise, free, to, w.thresholds.spliceDb))
      found.push_back(fromStep(w, s));
  };
  for (const Peak& p : findPeaks(scan, w.heights, w.launch.peak.deadZoneEnd, n)) {
    stepsUpTo(p.start > guard ? p.start - guard : 0);
    found.push_back(fromPeak(scan, p));
    free = std::max(free, found.back().deadZoneEnd);
  }
  stepsUpTo(n);
  std::stable_sort(found.begin(), found.end(),
                   [](const Found& a, const Found& b) { return a.start < b.start; });
  return found;
}

// Two events with no line's room between them are one: the reflection if either is one,
// else the larger step.
std::vector<Found> uncrowded(const Scan& scan, std::vector<Found> found) {
  const std::size_t guard = guardBefore(scan);
  std::vector<Found> kept;
  for (Found& f : found) {
    if (!kept.empty() && f.start < kept.back().deadZoneEnd + guard + kMinSideSamples) {
      Found& last = kept.back();
      // A peak inside a large drop's dead zone is the drop's tail; otherwise the peak
      // tells more than a step at its edge.
      const bool dropFirst = !last.peak && std::fabs(last.roughDb) >= kBigStepDb;
      const bool takeNew =
          (f.peak && !last.peak && !dropFirst) ||
          (!f.peak && !last.peak && std::fabs(f.roughDb) > std::fabs(last.roughDb));
      if (takeNew) {
        const std::size_t start = last.start;
        last = std::move(f);
        if (!last.peak) last.start = start;  // the drop began where the first one saw it
      }
      continue;
    }
    kept.push_back(std::move(f));
  }
  return kept;
}

void measureLines(const Working& w, const Found* prev, Found& f, const Found* next) {
  const Scan& scan = *w.scan;
  const std::size_t n = scan.size();
  const std::size_t guard = guardBefore(scan);
  const std::size_t window = fitWindow(scan);
  const std::size_t freeFrom = prev ? prev->deadZoneEnd : w.launch.peak.deadZoneEnd;
  const std::size_t s = f.start;
  const std::size_t beforeTo = s > guard ? s - guard : 0;
  const std::size_t beforeFrom = std::max(freeFrom, beforeTo > window ? beforeTo - window : 0);
  const std::size_t afterFrom = f.deadZoneEnd;
  const std::size_t nextStart = next ? next->start : n;
  const std::size_t afterTo =
      std::min(nextStart > guard ? nextStart - guard : 0, afterFrom + window);
  f.before.reset();
  f.after.reset();
  if (beforeTo >= beforeFrom + kMinSideSamples)
    f.before = fitLevels(w.trace->levels, beforeFrom, beforeTo - beforeFrom);
  if (afterTo >= afterFrom + kMinSideSamples)
    f.after = fitLevels(w.trace->levels, afterFrom, afterTo - afterFrom);
  const double at = static_cast<double>(s);
  if (f.before && f.after) {
    f.lossDb = f.before->at(at) - f.after->at(at);
    // The step statistic's noise over its short windows, scaled to the lines' lengths
    // and doubled for reading each line at its end rather than its middle.
    const double shortest = static_cast<double>(std::min(f.before->count, f.after->count));
    f.lossNoiseDb = 2.0 * w.stepNoise.shortScale().at(s) *
                    std::sqrt(static_cast<double>(w.stepNoise.window) / shortest);
  } else {
    f.lossDb = 0;
    f.lossNoiseDb = std::numeric_limits<double>::infinity();
  }
  f.reflectanceDb.reset();
  if (f.peak) {
    const double base = f.before ? f.before->at(static_cast<double>(f.peak->top))
                                 : scan.y(f.peak->top) - f.peak->heightDb;
    f.peak->heightDb = scan.y(f.peak->top) - base;
    f.reflectanceDb = reflectanceOf(f.peak->heightDb, w.pulseNs, w.backscatterDb);
  }
}

// Where a transition from the line before an event to what follows starts: through the
// points where it has gone 20 % and 80 % of its way in linear power, back to 0 %. A
// rectangular pulse changes the power linearly, so the line through those points meets
// the level before at the event, however smoothed or noisy the edge.
std::optional<double> transitionStart(const Scan& scan, const LevelLine& before,
                                      const auto& targetDb, std::size_t from, std::size_t to,
                                      std::size_t hint) {
  if (to <= from + 1) return std::nullopt;
  const std::size_t m = std::max<std::size_t>(1, scan.pulseSamples() / 4);
  const auto share = [&](std::size_t k) {
    const std::size_t lo = k >= m / 2 ? k - m / 2 : 0;
    const std::size_t hi = std::min(scan.size(), lo + m);
    const double a = std::pow(10.0, before.at(static_cast<double>(k)) / 5.0);
    const double b = std::pow(10.0, targetDb(k) / 5.0);
    const double p = std::pow(10.0, scan.mean(lo, hi) / 5.0);
    return b == a ? 0.0 : (p - a) / (b - a);
  };
  // The crossing of half way nearest to where the detector saw the middle: ripple on
  // the backscatter may cross it too, further off.
  std::size_t half = to;
  double below = share(from);
  for (std::size_t k = from + 1; k < to; ++k) {
    const double now = share(k);
    const bool up = below < 0.5 && now >= 0.5;
    below = now;
    if (!up) continue;
    const auto off = [&](std::size_t x) { return x > hint ? x - hint : hint - x; };
    if (half == to || off(k) < off(half)) half = k;
  }
  if (half == to) return std::nullopt;
  std::size_t k = half;
  while (k > from && share(k - 1) >= 0.2) --k;
  // Between k - 1 (under 20 %) and k (over), where it crosses.
  double x20 = static_cast<double>(k);
  if (k > from) {
    const double s0 = share(k - 1);
    const double s1 = share(k);
    if (s1 > s0) x20 = static_cast<double>(k - 1) + (0.2 - s0) / (s1 - s0);
  }
  std::size_t j = half;
  while (j < to && share(j) < 0.8) ++j;
  double x80 = static_cast<double>(j);
  if (j > half && j < to) {
    const double s0 = share(j - 1);
    const double s1 = share(j);
    if (s1 > s0) x80 = static_cast<double>(j - 1) + (0.8 - s0) / (s1 - s0);
  }
  // An edge within one sample (a reflection seen without smoothing) starts at the first
  // sample it reaches.
  const double start = x80 - x20 < 1.0 ? std::ceil(x20) : x20 - (x80 - x20) / 3.0;
  if (!std::isfinite(start)) return std::nullopt;
  return start;
}

void measureBetween(const Working& w, const Found* prev, Found& f, const Found* next) {
  const Scan& scan = *w.scan;
  measureLines(w, prev, f, next);
  const std::size_t guard = guardBefore(scan);
  const std::size_t freeFrom = prev ? prev->deadZoneEnd : w.launch.peak.deadZoneEnd;
  const std::size_t lowest = freeFrom + guard + kMinSideSamples;
  for (int round = 0; round < 2 && f.before; ++round) {
    const LevelLine& before = *f.before;
    const std::size_t from = before.first + before.count;
    std::optional<double> start;
    if (f.peak) {
      const double top = scan.y(f.peak->top);
      start = transitionStart(
          scan, before, [&](std::size_t) { return top; }, from, f.peak->top + 1, f.peak->top);
    } else if (f.after) {
      const LevelLine& after = *f.after;
      const std::size_t to = std::min(after.first, f.deadZoneEnd + scan.pulseSamples());
      start = transitionStart(
          scan, before, [&](std::size_t k) { return after.at(static_cast<double>(k)); }, from, to,
          f.middle);
    }
    if (!start) break;
    const std::size_t highest = f.peak ? f.peak->top : f.deadZoneEnd;
    const auto moved = static_cast<std::size_t>(
        std::clamp(std::round(*start), static_cast<double>(lowest), static_cast<double>(highest)));
    if (moved == f.start || moved < lowest || moved > highest) break;
    if (!f.peak) f.deadZoneEnd = f.deadZoneEnd + moved - f.start;
    if (f.peak) f.peak->start = moved;
    f.start = moved;
    measureLines(w, prev, f, next);
  }
}

}  // namespace

bool reflective(const Working& w, const Found& f) {
  // A clipped peak reflects more than it shows: it passes whatever its height reads.
  if (!f.reflectanceDb) return false;
  return *f.reflectanceDb >= w.thresholds.reflectanceDb || (f.peak && f.peak->saturated);
}

namespace {

// How far a loss clears what it needs: the splice threshold and its own noise. Below 1
// the event goes, unless it is a reflection over the reflectance threshold.
double clearance(const Working& w, const Found& f) {
  // A drop of decibels is no noise wherever it is measured: it may be the end.
  const double noise = std::fabs(f.lossDb) >= kBigStepDb ? 0.0 : kLossSigmas * f.lossNoiseDb;
  return std::fabs(f.lossDb) / std::max(w.thresholds.spliceDb, noise);
}

}  // namespace

std::size_t guardBefore(const Scan& scan) {
  return std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(0.25 * scan.pulse())));
}

void measureEvent(const Working& work, std::vector<Found>& found, std::size_t k) {
  measureBetween(work, k > 0 ? &found[k - 1] : nullptr, found[k],
                 k + 1 < found.size() ? &found[k + 1] : nullptr);
}

namespace {

// A strong reflection may leave the trace standing high or low for a few pulse lengths
// (a shoulder, the receiver recovering) before it settles: the step after the shoulder is
// the reflection's own loss. Taken into it, its after line starts past the shoulder.
std::vector<Found> withoutShoulders(const Working& w, std::vector<Found> found) {
  const Scan& scan = *w.scan;
  const std::size_t reach = std::max<std::size_t>(8, 10 * scan.pulseSamples());
  std::vector<Found> kept;
  for (std::size_t k = 0; k < found.size(); ++k) {
    Found& f = found[k];
    if (!kept.empty() && !f.peak && kept.back().peak) {
      Found& peak = kept.back();
      const bool strong = peak.peak->saturated ||
                          (peak.reflectanceDb && *peak.reflectanceDb >= kShoulderReflectanceDb);
      if (strong && f.start <= peak.deadZoneEnd + reach) {
        peak.deadZoneEnd = f.deadZoneEnd;
        measureBetween(w, kept.size() > 1 ? &kept[kept.size() - 2] : nullptr, peak,
                       k + 1 < found.size() ? &found[k + 1] : nullptr);
        continue;
      }
    }
    kept.push_back(std::move(f));
  }
  return kept;
}

// Takes out the weakest failing event, measures its neighbours again without it, and so
// on: a false event next to a true one no longer cuts the true one's lines short.
std::vector<Found> winnow(const Working& w, std::vector<Found> found) {
  const std::size_t m = found.size();
  for (std::size_t k = 0; k < m; ++k) measureEvent(w, found, k);
  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  std::vector<std::size_t> prev(m), next(m);
  for (std::size_t k = 0; k < m; ++k) {
    prev[k] = k == 0 ? kNone : k - 1;
    next[k] = k + 1 == m ? kNone : k + 1;
  }
  std::vector<bool> alive(m, true);
  std::set<std::pair<double, std::size_t>> failing;
  std::vector<double> key(m, 0.0);
  const auto review = [&](std::size_t k) {
    failing.erase({key[k], k});
    key[k] = clearance(w, found[k]);
    if (!reflective(w, found[k]) && key[k] < 1.0) failing.insert({key[k], k});
  };
  for (std::size_t k = 0; k < m; ++k) review(k);
  while (!failing.empty()) {
    const std::size_t k = failing.begin()->second;
    failing.erase(failing.begin());
    alive[k] = false;
    const std::size_t p = prev[k];
    const std::size_t q = next[k];
    if (p != kNone) next[p] = q;
    if (q != kNone) prev[q] = p;
    for (const std::size_t j : {p, q}) {
      if (j == kNone) continue;
      measureBetween(w, prev[j] == kNone ? nullptr : &found[prev[j]], found[j],
                     next[j] == kNone ? nullptr : &found[next[j]]);
      review(j);
    }
  }
  std::vector<Found> kept;
  for (std::size_t k = 0; k < m; ++k)
    if (alive[k]) kept.push_back(std::move(found[k]));
  return kept;
}

}  // namespace

std::vector<Found> findEvents(Working& w) {
  std::vector<Found> found = uncrowded(*w.scan, candidates(w));
  for (std::size_t k = 0; k < found.size(); ++k) measureEvent(w, found, k);
  return winnow(w, withoutShoulders(w, std::move(found)));
}

}  // namespace tracelink::analysis
