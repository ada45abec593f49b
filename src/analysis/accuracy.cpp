#include "analysis/accuracy.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>

namespace tracelink::analysis {

namespace {

constexpr double kLightSpeed = 299'792'458.0;
constexpr double kLongestUnrecordedM = 2000.0;

// The second letter of a SOR event code ("1F9999LS"): F found by the instrument, E end,
// A added or M moved by hand, O out of range. Other sources' codes have none.
char codeLetter(const KeyEvent& e) {
  if (e.code.size() < 6 || !std::isdigit(static_cast<unsigned char>(e.code[0]))) return 0;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(e.code[1])));
}

struct Pair {
  double gap = 0;
  std::size_t their = 0;
  std::size_t our = 0;
};

// One to one, closest pairs first: every event matches at most one of the other side.
std::vector<Pair> matchPairs(const std::vector<double>& theirs, const std::vector<double>& ours,
                             double window) {
  std::vector<Pair> pairs;
  for (std::size_t t = 0; t < theirs.size(); ++t)
    for (std::size_t o = 0; o < ours.size(); ++o)
      if (const double g = std::fabs(theirs[t] - ours[o]); g <= window) pairs.push_back({g, t, o});
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const Pair& a, const Pair& b) { return a.gap < b.gap; });
  std::vector<bool> theirUsed(theirs.size()), ourUsed(ours.size());
  std::vector<Pair> kept;
  for (const Pair& p : pairs) {
    if (theirUsed[p.their] || ourUsed[p.our]) continue;
    theirUsed[p.their] = ourUsed[p.our] = true;
    kept.push_back(p);
  }
  return kept;
}

std::vector<double> shifted(const std::vector<double>& v, double by) {
  std::vector<double> out(v);
  for (double& x : out) x += by;
  return out;
}

// The offset that matches the most events, the closest-matching of those, the smallest
// of those; 0 unless it matches more than no offset does.
double bestOffset(const std::vector<double>& theirs, const std::vector<double>& ours, double window,
                  double largest, bool& fitted) {
  const auto score = [&](double offset, std::size_t& count, double& gaps) {
    const std::vector<Pair> m = matchPairs(theirs, shifted(ours, offset), window);
    count = m.size();
    gaps = 0;
    for (const Pair& p : m) gaps += p.gap;
  };
  std::size_t atZero = 0;
  double zeroGaps = 0;
  score(0.0, atZero, zeroGaps);
  double best = 0;
  std::size_t bestCount = atZero;
  double bestGaps = zeroGaps;
  for (const double t : theirs)
    for (const double o : ours) {
      const double offset = t - o;
      if (std::fabs(offset) > largest) continue;
      std::size_t count = 0;
      double gaps = 0;
      score(offset, count, gaps);
      if (count > bestCount ||
          (count == bestCount && count > atZero &&
           (gaps < bestGaps || (gaps == bestGaps && std::fabs(offset) < std::fabs(best))))) {
        best = offset;
        bestCount = count;
        bestGaps = gaps;
      }
    }
  fitted = bestCount > atZero;
  if (!fitted) return 0.0;
  // Centre it on the matched pairs, so that no one pair sets it.
  std::vector<double> gaps;
  const std::vector<double> moved = shifted(ours, best);
  for (const Pair& p : matchPairs(theirs, moved, window))
    gaps.push_back(theirs[p.their] - moved[p.our]);
  return best + quantile(gaps, 0.5);
}

bool nonReflective(const KeyEvent& e) {
  return e.type == EventType::NonReflective || e.type == EventType::Gainer;
}

}  // namespace

double pulseLengthM(const Trace& trace) {
  const auto& widths = trace.acquisition.pulseWidthsNs;
  const double gi = trace.acquisition.groupIndex;
  if (widths.empty() || !(widths.front() > 0) || !(gi > 0)) return 0;
  return widths.front() * 1e-9 * kLightSpeed / (2.0 * gi);
}

double matchWindowM(const Trace& trace) {
  return std::max({5.0, 2.0 * trace.spacingM, 1.5 * pulseLengthM(trace)});
}

FileScore scoreAgainstInstrument(const Trace& trace, const Analysis& ours) {
  FileScore f;
  f.windowM = matchWindowM(trace);
  bool pastEnd = false;
  for (const KeyEvent& e : trace.events) {
    TheirLine line;
    line.event = e;
    const char letter = codeLetter(e);
    if (pastEnd) {
      line.uncounted = Uncounted::PastEnd;
    } else if (e.type == EventType::Launch) {
      line.uncounted = Uncounted::Launch;
    } else if (letter == 'A' || letter == 'M') {
      line.uncounted = Uncounted::ByHand;
    } else if (letter == 'O') {
      line.uncounted = Uncounted::OutOfRange;
    }
    if (e.type == EventType::End && line.uncounted == Uncounted::No) pastEnd = true;
    f.theirs.push_back(line);
  }

  std::vector<double> theirAt;
  for (const TheirLine& t : f.theirs) theirAt.push_back(t.event.distanceM);
  std::vector<double> ourAt;
  for (const Event& e : ours.events) ourAt.push_back(e.distanceM);
  // A launch cable no field records is at most a few kilometres, and never most of the
  // trace.
  const double largest =
      std::min(kLongestUnrecordedM, 0.25 * (trace.lastDistanceM() - trace.distanceOf(0)));
  f.offsetM = bestOffset(theirAt, ourAt, f.windowM, largest, f.offsetFitted);
  const std::vector<double> aligned = shifted(ourAt, f.offsetM);
  for (std::size_t o = 0; o < ours.events.size(); ++o) {
    OurLine line;
    line.event = ours.events[o];
    line.alignedM = aligned[o];
    f.ours.push_back(line);
  }
  for (const Pair& p : matchPairs(theirAt, aligned, f.windowM)) {
    f.theirs[p.their].matched = p.our;
    f.ours[p.our].matched = p.their;
  }

  // The instrument's span: from its launch marker (else the trace's start) to its end
  // (else the trace's last sample).
  f.spanFromM = trace.distanceOf(0) + f.offsetM;
  f.spanToM = trace.lastDistanceM() + f.offsetM;
  for (const TheirLine& t : f.theirs) {
    if (t.uncounted == Uncounted::Launch) f.spanFromM = std::max(f.spanFromM, t.event.distanceM);
    if (t.event.type == EventType::End && t.uncounted == Uncounted::No) {
      f.spanToM = t.event.distanceM;
      break;
    }
  }
  if (trace.events.empty()) f.spanToM = f.spanFromM;  // nothing to score against

  for (TheirLine& t : f.theirs) {
    if (t.uncounted != Uncounted::No) continue;
    ++f.theirCounted;
    if (!t.matched) continue;
    ++f.theirFound;
    const OurLine& o = f.ours[*t.matched];
    f.startDiffsM.push_back(o.alignedM - t.event.distanceM);
    if (nonReflective(t.event))
      f.lossDiffsDb.push_back(std::fabs(o.event.lossDb - t.event.spliceLossDb));
  }
  for (OurLine& o : f.ours) {
    if (o.event.kind == EventKind::Launch) continue;
    const bool inSpan =
        o.alignedM >= f.spanFromM - f.windowM && o.alignedM <= f.spanToM + f.windowM;
    const bool onUncounted = o.matched && f.theirs[*o.matched].uncounted != Uncounted::No;
    o.counted = inSpan && !onUncounted && !trace.events.empty();
    if (!o.counted) continue;
    ++f.ourCounted;
    if (o.matched) ++f.ourListed;
  }
  return f;
}

double quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double pos = std::clamp(q, 0.0, 1.0) * static_cast<double>(values.size() - 1);
  const auto lo = static_cast<std::size_t>(std::floor(pos));
  const std::size_t hi = std::min(lo + 1, values.size() - 1);
  return values[lo] + (values[hi] - values[lo]) * (pos - static_cast<double>(lo));
}

Figures totalFigures(const std::vector<FileScore>& files) {
  Figures fig;
  std::vector<double> losses;
  std::vector<double> starts;
  for (const FileScore& f : files) {
    fig.theirCounted += f.theirCounted;
    fig.theirFound += f.theirFound;
    fig.ourCounted += f.ourCounted;
    fig.ourListed += f.ourListed;
    losses.insert(losses.end(), f.lossDiffsDb.begin(), f.lossDiffsDb.end());
    if (!f.offsetFitted) starts.insert(starts.end(), f.startDiffsM.begin(), f.startDiffsM.end());
  }
  fig.recall = fig.theirCounted ? double(fig.theirFound) / double(fig.theirCounted) : 0.0;
  fig.precision = fig.ourCounted ? double(fig.ourListed) / double(fig.ourCounted) : 0.0;
  fig.losses = losses.size();
  fig.lossMedianDb = quantile(losses, 0.5);
  fig.lossP90Db = quantile(losses, 0.9);
  fig.starts = starts.size();
  if (!starts.empty()) {
    fig.startBiasM = std::accumulate(starts.begin(), starts.end(), 0.0) / double(starts.size());
    double ss = 0;
    for (const double s : starts) ss += (s - fig.startBiasM) * (s - fig.startBiasM);
    fig.startSpreadM = std::sqrt(ss / double(starts.size()));
  }
  return fig;
}

const char* uncountedName(Uncounted u) {
  switch (u) {
    case Uncounted::No:
      return "counted";
    case Uncounted::Launch:
      return "launch marker";
    case Uncounted::ByHand:
      return "set by hand";
    case Uncounted::OutOfRange:
      return "out of range";
    case Uncounted::PastEnd:
      break;
  }
  return "past the end";
}

}  // namespace tracelink::analysis
