#include <algorithm>
#include <cmath>

#include "analysis/working.h"

namespace tracelink::analysis {

namespace {

// The end threshold is never capped below this.
constexpr double kLowestEndDb = 1.0;
// A capped threshold asks for this share of what the trace stands above its noise floor:
// an end drops into the noise, a splice near the far end does not.
constexpr double kEndShare = 0.5;

std::size_t endWindow(const Scan& scan) {
  return std::max<std::size_t>(32, 8 * scan.pulseSamples());
}

// Windows at least this far above the noise floor still show fibre.
constexpr double kVisibleDb = 1.0;
// Levels are read as the top of what a window holds (its 90th percentile), not its
// middle: noise below a trace's zero is clipped to the scale's bottom, so half of it may
// lie there, while its top stays where the noise stands.
constexpr double kNoiseTop = 0.9;

}  // namespace

double FloorAfter::at(std::size_t i) const {
  return lowest.empty() ? 0.0 : lowest[std::min(i / window, lowest.size() - 1)];
}

FloorAfter floorAfter(const Scan& scan) {
  FloorAfter f;
  f.window = endWindow(scan);
  std::vector<double> scratch;
  std::vector<double> medians;
  for (std::size_t a = 0; a < scan.size(); a += f.window)
    medians.push_back(scan.quantileLevel(a, std::min(scan.size(), a + f.window), kNoiseTop, scratch,
                                         std::max<std::size_t>(1, f.window / 16)));
  f.lowest = medians;
  for (std::size_t i = f.lowest.size(); i-- > 1;)
    f.lowest[i - 1] = std::min(f.lowest[i - 1], f.lowest[i]);
  // Past the last window that stands clear of the floor there is only noise: no event
  // is looked for there.
  f.visibleEnd = 0;
  const double floor = f.lowest.empty() ? 0.0 : f.lowest.front();
  for (std::size_t b = medians.size(); b-- > 0;)
    if (medians[b] >= floor + kVisibleDb) {
      f.visibleEnd = std::min(scan.size(), (b + 2) * f.window);
      break;
    }
  return f;
}

EndSearch findEnd(const Working& work) {
  const Scan& scan = *work.scan;
  const std::size_t n = scan.size();
  const FloorAfter& floor = work.floor;
  EndSearch search;
  search.floorDb = floor.lowest.empty() ? 0.0 : floor.lowest.front();
  const std::size_t window = endWindow(scan);
  std::vector<double> scratch;
  for (std::size_t k = 0; k < work.found.size(); ++k) {
    const Found& f = work.found[k];
    if (!f.before || f.deadZoneEnd >= n) continue;
    // From the line before the event to the median after it, past any tail: after a
    // strong reflection the receiver takes a while to recover.
    const double level = f.before->at(static_cast<double>(f.start));
    const double slope = f.before->slopeDbPerSample;
    const std::size_t a = std::max(
        f.deadZoneEnd, settleAfter(scan, f.tailFrom, f.tailFrom, slope, n, Settle::Strict));
    const double after = scan.quantileLevel(a, std::min(n, a + window), kNoiseTop, scratch);
    const double standing = level - floor.at(a);
    const double threshold =
        std::min(work.thresholds.endDb, std::max(kLowestEndDb, kEndShare * standing));
    if (level - after >= threshold) {
      search.end = EndCall{k, level - after, threshold};
      break;
    }
  }
  return search;
}

}  // namespace tracelink::analysis
