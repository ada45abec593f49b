#include "analysis/detect.h"

#include <algorithm>
#include <cmath>

namespace tracelink::analysis {

namespace {

// A peak or a step must stand this many times its statistic's noise above nothing.
constexpr double kPeakSigmas = 5.0;
// The smallest peak worth a look, whatever the noise: below the quantisation of most files.
constexpr double kMinPeakDb = 0.02;
// The baseline of a sample's height ends this many samples before it, so that the foot
// of a rising edge does not lift its own baseline.
constexpr std::size_t kBaselineGap = 2;
// Single-mode fibre loses far less than this; a steeper fall after a peak is still the
// peak's decay or the receiver recovering. (Lossier fibre is allowed three times the
// slope the backscatter had before the peak.)
constexpr double kSteepestFibreDbPerKm = 1.5;
// After a peak, falling at this share of the peak's own fall counts as settled enough to
// measure a loss past it.
constexpr double kRecoveredShare = 0.05;
// Level resolution of the files: the smallest noise any statistic is credited with.
constexpr double kResolutionDb = 0.001;

std::size_t blockFor(std::size_t window) {
  return std::max<std::size_t>(128, 4 * window);
}

}  // namespace

double NoiseProfile::at(std::size_t i) const {
  if (spread.empty()) return kResolutionDb;
  // The quieter of this block and the one before: where the trace turns into noise (an
  // end), the event that does it still stands out against the backscatter before it.
  // The first block holds the launch: it takes the second's when that is quieter.
  const std::size_t b = std::min(i / block, spread.size() - 1);
  if (b == 0) return spread.size() > 1 ? std::min(spread[0], spread[1]) : spread[0];
  return std::min(spread[b], spread[b - 1]);
}

std::size_t shortWindow(const Scan& scan) {
  return std::max<std::size_t>(8, 2 * scan.pulseSamples());
}

std::size_t longestDeadZone(const Scan& scan) {
  return 10 * scan.pulseSamples();
}

std::size_t stepDeadZone(const Scan& scan) {
  return static_cast<std::size_t>(std::ceil(1.2 * scan.pulse())) + 2;
}

Heights heightsAboveLine(const Scan& scan) {
  const std::size_t n = scan.size();
  const std::size_t w = shortWindow(scan);
  Heights h;
  h.height.assign(n, 0.0f);
  // The baseline changes slowly: one line serves the next few samples, read a little
  // further along it.
  const std::size_t reuse = std::max<std::size_t>(1, scan.pulseSamples() / 4);
  QuickLine line;
  for (std::size_t i = w + kBaselineGap; i < n; ++i) {
    if ((i - w - kBaselineGap) % reuse == 0)
      line = scan.line(i - kBaselineGap - w, i - kBaselineGap);
    h.height[i] = static_cast<float>(scan.y(i) - line.at(static_cast<double>(i)));
  }
  // Blocks long enough to sample sparsely: a sample's noise needs no more than a few
  // dozen of its neighbours.
  h.noise.block = std::max<std::size_t>(512, blockFor(w));
  h.noise.spread = blockSpreads(h.height, h.noise.block, kResolutionDb);
  return h;
}

std::size_t settleAfter(const Scan& scan, std::size_t top, std::size_t earliest, double slopeBefore,
                        std::size_t latest, Settle settle) {
  const std::size_t n = std::min(scan.size(), std::max(latest, earliest));
  double fibre =
      std::max(3.0 * std::fabs(slopeBefore), kSteepestFibreDbPerKm * scan.spacingM() / 1000.0);
  if (settle == Settle::Lenient && earliest > top && earliest < scan.size()) {
    // A receiver recovers slowly at the last: a small share of the fall from the top is
    // as good as flat for the lines of the losses.
    const double fall = (scan.y(top) - scan.y(earliest)) / static_cast<double>(earliest - top);
    fibre = std::max(fibre, kRecoveredShare * fall);
  }
  // Short enough to see a decay end, long enough to mean something; it grows as needed.
  const std::size_t shortest = std::max<std::size_t>(8, scan.pulseSamples() / 2);
  const std::size_t longest = std::max<std::size_t>(16 * shortest, 64 * scan.pulseSamples());
  const std::size_t step = std::max<std::size_t>(1, scan.pulseSamples() / 4);
  std::size_t j = std::max(top + 1, earliest);
  while (j + shortest <= scan.size() && j < n) {
    // The window grows until its slope is known to within what fibre loses (3 sigma of
    // its own residuals), so that a noisy tail cannot pass for backscatter by chance.
    for (std::size_t w = shortest;; w = std::min(2 * w, longest)) {
      w = std::min(w, scan.size() - j);
      const QuickLine line = scan.line(j, j + w);
      const double noise = 3.0 * scan.residual(j, j + w, line) *
                           std::sqrt(12.0 / std::pow(static_cast<double>(w), 3));
      // Still falling, or climbing back out of an undershoot: not yet.
      if (std::fabs(line.slope) > fibre + noise) break;
      if (noise <= fibre || w == longest || j + w == scan.size()) return j;
    }
    j += step;
  }
  return std::min(std::max(j, earliest), n);
}

namespace {

// Past the top while the trace is still up on the peak: a clipped top is flat, which the
// slope test alone would take for backscatter.
std::size_t belowHalf(const Scan& scan, std::size_t top, double heightDb) {
  const std::size_t limit =
      std::min(scan.size(), top + std::max<std::size_t>(16, 6 * scan.pulseSamples()));
  const double half = scan.y(top) - 0.5 * heightDb;
  std::size_t j = top + 1;
  while (j < limit && scan.y(j) > half) ++j;
  return j;
}

// Clipped: the top stands at the highest level of the whole trace (the receiver's limit)
// and repeats there.
bool flatTop(const Scan& scan, std::size_t from, std::size_t to, std::size_t top) {
  const std::int32_t level = scan.milliDb()[top];
  if (level < scan.highestMilliDb() - 1) return false;
  std::size_t same = 0;
  for (std::size_t i = from; i < to; ++i)
    if (scan.milliDb()[i] >= level - 1) ++same;
  return same >= 2;
}

}  // namespace

Launch findLaunch(const Scan& scan, const Heights& heights) {
  const std::size_t n = scan.size();
  Launch launch;
  if (n == 0) return launch;
  // Some instruments fill the samples before the front panel with one level, below the
  // trace that follows; a run of one level above it is the front reflection, clipped.
  std::size_t first = 0;
  while (first + 1 < n && scan.milliDb()[first + 1] == scan.milliDb()[0]) ++first;
  const bool fill = first > 0 && first + 1 < n && scan.y(first + 1) > scan.y(first);
  launch.start = fill ? first : 0;
  const std::size_t p = scan.pulseSamples();
  const std::size_t look = std::min(n, launch.start + 4 * p + 16);
  std::size_t top = launch.start;
  for (std::size_t i = launch.start; i < look; ++i)
    if (scan.y(i) > scan.y(top)) top = i;
  const std::size_t after = std::min(n, top + 6 * p + 32);
  double low = scan.y(top);
  for (std::size_t i = top; i < after; ++i) low = std::min(low, scan.y(i));
  Peak& peak = launch.peak;
  peak.start = launch.start;
  peak.top = top;
  peak.heightDb = scan.y(top) - low;
  launch.reflection =
      peak.heightDb > std::max(kPeakSigmas * heights.noise.at(top), 10 * kMinPeakDb);
  peak.saturated = launch.reflection && flatTop(scan, launch.start, after, top);
  const std::size_t earliest = std::max(launch.start + p + 1, belowHalf(scan, top, peak.heightDb));
  peak.deadZoneEnd =
      launch.reflection
          ? settleAfter(scan, top, earliest, 0.0, earliest + longestDeadZone(scan), Settle::Lenient)
          : std::min(n, launch.start + p + 1);
  return launch;
}

std::vector<Peak> findPeaks(const Scan& scan, const Heights& heights, std::size_t from,
                            std::size_t to) {
  const std::size_t n = scan.size();
  const std::size_t w = shortWindow(scan);
  const std::size_t p = scan.pulseSamples();
  const auto& h = heights.height;
  const auto threshold = [&](std::size_t i) {
    return std::max(kPeakSigmas * heights.noise.at(i), kMinPeakDb);
  };
  std::vector<Peak> peaks;
  std::size_t free = from;  // where the backscatter before the next peak starts
  std::size_t i = std::max(from, w + 2 * kBaselineGap);
  to = std::min(to, n);
  while (i < to) {
    if (h[i] < threshold(i)) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < n && h[end] >= threshold(end)) ++end;
    std::size_t top = i;
    for (std::size_t k = i; k < end; ++k)
      if (scan.y(k) > scan.y(top)) top = k;
    // The foot: back down the rising edge to where the height is lost in the noise.
    const double foot = std::max(2.0 * heights.noise.at(i), 0.05 * h[top]);
    std::size_t start = i;
    while (start > from && start > w + kBaselineGap && h[start - 1] > foot) --start;
    const QuickLine before = scan.line(start - kBaselineGap - w, start - kBaselineGap);
    const double height = scan.y(top) - before.at(static_cast<double>(top));
    // Against a line that is itself a fall (an end dropping into the noise), a noise
    // spike stands high: a peak must stand clear of the scatter of the backscatter before
    // it, since the last peak's dead zone.
    const std::size_t calmFrom = std::max(free, start - kBaselineGap - w);
    double scatter = 0;
    if (start >= calmFrom + kBaselineGap + 4) {
      const QuickLine calm = scan.line(calmFrom, start - kBaselineGap);
      scatter = scan.residual(calmFrom, start - kBaselineGap, calm);
    }
    // A gainer lifts the trace for good; a reflection comes back down, once its top
    // (clipped and long, perhaps) is over.
    const std::size_t down = belowHalf(scan, top, height);
    const std::size_t a = std::min(n, std::max(start + 2 * p + 2, down + p));
    const std::size_t b = std::min(n, a + p + 1);
    const double lift = b > a ? scan.mean(a, b) - before.at((a + b - 1) / 2.0) : 0.0;
    const double prominence = height - std::max(lift, 0.0);
    if (prominence < threshold(top) || prominence < 0.3 * height ||
        prominence < kPeakSigmas * scatter) {
      i = end;
      continue;
    }
    Peak peak;
    peak.start = start;
    peak.top = top;
    peak.heightDb = height;
    peak.saturated = flatTop(scan, start, end, top);
    const std::size_t earliest = std::max(start + p + 1, belowHalf(scan, top, height));
    peak.deadZoneEnd = settleAfter(scan, top, earliest, before.slope,
                                   earliest + longestDeadZone(scan), Settle::Lenient);
    peak.tailFrom = earliest;
    peaks.push_back(peak);
    i = std::max(end, peak.deadZoneEnd);
    free = peak.deadZoneEnd;
  }
  return peaks;
}

}  // namespace tracelink::analysis
