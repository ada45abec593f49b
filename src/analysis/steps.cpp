#include <algorithm>
#include <cmath>

#include "analysis/detect.h"

namespace tracelink::analysis {

namespace {

constexpr double kStepSigmas = 5.0;
constexpr double kResolutionDb = 0.001;
// How many short windows either side the local slope is the median of.
constexpr std::size_t kSlopeNeighbours = 4;
constexpr std::size_t kScales = 3;

// The mean before [a, i) against the mean after [i + gap, b), the backscatter's own slope
// between them taken out: about the loss of an event in the gap, else noise.
double stepAt(const Scan& scan, double slope, std::size_t a, std::size_t i, std::size_t gap,
              std::size_t b) {
  const double cB = (static_cast<double>(a) + static_cast<double>(i) - 1) / 2.0;
  const double cA = (static_cast<double>(i + gap) + static_cast<double>(b) - 1) / 2.0;
  return scan.mean(a, i) - scan.mean(i + gap, b) + slope * (cA - cB);
}

}  // namespace

double LocalSlope::at(std::size_t i) const {
  if (slope.empty()) return 0;
  return slope[std::min(i / block, slope.size() - 1)];
}

LocalSlope localSlopes(const Scan& scan) {
  LocalSlope out;
  const std::size_t n = scan.size();
  // Windows long enough that their slopes are steady; the median of nine sets aside the
  // one or two an event falls into.
  out.block = std::max<std::size_t>(128, 4 * shortWindow(scan));
  std::vector<double> raw;
  for (std::size_t a = 0; a + 2 <= n; a += out.block)
    raw.push_back(scan.line(a, std::min(n, a + out.block)).slope);
  std::vector<double> scratch;
  out.slope.resize(raw.size());
  for (std::size_t b = 0; b < raw.size(); ++b) {
    const std::size_t lo = b >= kSlopeNeighbours ? b - kSlopeNeighbours : 0;
    const std::size_t hi = std::min(raw.size(), b + kSlopeNeighbours + 1);
    out.slope[b] = medianOf(raw, lo, hi, scratch);
  }
  return out;
}

std::size_t departure(const Scan& scan, std::size_t from, std::size_t at, double stepDb) {
  const std::size_t p = scan.pulseSamples();
  const std::size_t w = shortWindow(scan);
  const double sign = stepDb >= 0 ? 1.0 : -1.0;
  const std::size_t smooth = std::max<std::size_t>(1, p / 4);
  std::size_t fitEnd = at > p + 1 ? at - p - 1 : 0;
  for (int round = 0; round < 4; ++round) {
    const std::size_t fitFrom = std::max(from, fitEnd > w ? fitEnd - w : 0);
    if (fitEnd < fitFrom + 5) return std::max(from, std::min(at, fitEnd));
    const QuickLine line = scan.line(fitFrom, fitEnd);
    double ss = 0;
    for (std::size_t k = fitFrom; k < fitEnd; ++k) {
      const double r = scan.y(k) - line.at(static_cast<double>(k));
      ss += r * r;
    }
    const double rms = std::sqrt(ss / static_cast<double>(fitEnd - fitFrom));
    const double threshold =
        std::max(2.0 * rms / std::sqrt(static_cast<double>(smooth)), 0.1 * std::fabs(stepDb));
    // Back from `at` while the trace stays off the line by more than the threshold.
    std::size_t k = at;
    while (k > fitFrom) {
      const std::size_t lo = k - 1 >= smooth / 2 ? k - 1 - smooth / 2 : 0;
      const std::size_t hi = std::min(scan.size(), lo + smooth);
      const double dev = sign * (line.at((lo + hi - 1) / 2.0) - scan.mean(lo, hi));
      if (dev <= threshold) break;
      --k;
    }
    if (k >= fitEnd || fitEnd <= from + 5) return k;
    // The trace left the line inside the window: fit further back and look again.
    fitEnd = k > p + 1 ? k - p - 1 : 0;
  }
  return std::max(from, fitEnd);
}

namespace {

// The noise of the difference between the means of two windows of w samples, along the
// trace: the differences of neighbouring windows taken w apart are independent of one
// another, and an event spoils at most two of them, so the spread of a few dozen is
// sound whatever the noise's own grain (smoothed traces are correlated over many
// samples).
NoiseProfile windowNoise(const Scan& scan, const LocalSlope& slope, std::size_t w) {
  constexpr std::size_t kPerBlock = 32;
  NoiseProfile profile;
  profile.block = kPerBlock * w;
  const std::size_t n = scan.size();
  std::vector<double> d;
  for (std::size_t a = 0; a + 2 * w <= n; a += w)
    d.push_back(scan.mean(a, a + w) - scan.mean(a + w, a + 2 * w) +
                slope.at(a + w) * static_cast<double>(w));
  std::vector<double> scratch;
  for (std::size_t b = 0; b < d.size(); b += kPerBlock)
    profile.spread.push_back(
        std::max(robustSpread(d, b, std::min(d.size(), b + kPerBlock), scratch), kResolutionDb));
  return profile;
}

}  // namespace

StepNoise stepNoise(const Scan& scan, const LocalSlope& slope) {
  StepNoise out;
  out.window = shortWindow(scan);
  for (std::size_t k = 0, w = out.window; k < kScales; ++k, w *= kScaleRatio) {
    NoiseProfile p = windowNoise(scan, slope, w);
    if (k > 0) {
      // Long windows hold many events in each block, which lift its spread: never more
      // than the shorter windows' (whose means average fewer samples).
      const NoiseProfile& shorter = out.scales.back();
      for (std::size_t b = 0; b < p.spread.size(); ++b)
        p.spread[b] = std::min(p.spread[b], shorter.at(b * p.block + p.block / 2));
    }
    out.scales.push_back(std::move(p));
  }
  return out;
}

std::vector<Step> findSteps(const Scan& scan, const LocalSlope& slope, const StepNoise& noise,
                            std::size_t from, std::size_t to, double smallestStepDb) {
  std::vector<Step> found;
  const std::size_t gap = stepDeadZone(scan);
  const std::size_t w1 = noise.window;
  std::vector<double> run;
  std::size_t w = w1;
  for (std::size_t k = 0; k < noise.scales.size(); ++k, w *= kScaleRatio) {
    const NoiseProfile& profile = noise.scales[k];
    const std::size_t minW = std::max<std::size_t>(3, w / 4);
    if (to < from + 2 * minW + gap) break;
    // Runs where the statistic stands over its threshold with one sign; each is one
    // event, centred where it stands over half its largest value. Windows cut short by
    // the stretch's ends are noisier, and held to a higher threshold. A step's bump is
    // two windows wide: the statistic is read every quarter of a window.
    const std::size_t stride = std::max<std::size_t>(1, w / 4);
    const std::size_t first = from + minW;
    if (to < first + gap + minW) continue;
    const std::size_t count = (to - gap - minW - first) / stride + 1;
    // One run at a time: its values, and where it started.
    run.clear();
    std::size_t runFirst = 0;
    const auto close = [&] {
      if (run.empty()) return;
      std::size_t top = 0;
      for (std::size_t r = 1; r < run.size(); ++r)
        if (std::fabs(run[r]) > std::fabs(run[top])) top = r;
      std::size_t lo = top;
      std::size_t hi = top;
      const double half = 0.5 * std::fabs(run[top]);
      while (lo > 0 && std::fabs(run[lo - 1]) >= half) --lo;
      while (hi + 1 < run.size() && std::fabs(run[hi + 1]) >= half) ++hi;
      const auto at = [&](std::size_t r) { return first + (runFirst + r) * stride; };
      Step step;
      // The centre of a step's bump lies half the gap less half the pulse after its start.
      const double centre = static_cast<double>(at(lo) + at(hi)) / 2.0;
      const double start = centre + (static_cast<double>(gap) - scan.pulse()) / 2.0;
      step.start = static_cast<std::size_t>(
          std::clamp(start, static_cast<double>(from), static_cast<double>(to - 1)));
      step.middle = std::min(to - 1, step.start + scan.pulseSamples() / 2);
      step.stepDb = run[top];
      const bool near = std::any_of(found.begin(), found.end(), [&](const Step& f) {
        return (f.start > step.start ? f.start - step.start : step.start - f.start) < w1 + gap;
      });
      if (!near) found.push_back(step);
      run.clear();
    };
    for (std::size_t g = 0; g < count; ++g) {
      const std::size_t i = first + g * stride;
      const std::size_t a = i >= from + w ? i - w : from;
      const std::size_t b = std::min(to, i + gap + w);
      const double value = stepAt(scan, slope.at(i), a, i, gap, b);
      const double shortest = static_cast<double>(std::min(i - a, b - i - gap));
      const double sigma = profile.at(i) * std::sqrt(static_cast<double>(w) / shortest);
      const bool over = std::fabs(value) >= std::max(0.5 * smallestStepDb, kStepSigmas * sigma);
      if (!run.empty() && (!over || (value > 0) != (run.front() > 0))) close();
      if (!over) continue;
      if (run.empty()) runFirst = g;
      run.push_back(value);
    }
    close();
  }
  for (Step& step : found) step.start = departure(scan, from, step.start, step.stepDb);
  std::sort(found.begin(), found.end(),
            [](const Step& x, const Step& y) { return x.start < y.start; });
  return found;
}

}  // namespace tracelink::analysis
