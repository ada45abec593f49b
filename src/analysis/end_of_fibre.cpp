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

// Medians of consecutive windows, and from each the lowest of those at or after it: the
// floor the trace reaches after a place.
struct FloorAfter {
  std::size_t window = 1;
  std::vector<double> lowest;
  double at(std::size_t i) const { return lowest[std::min(i / window, lowest.size() - 1)]; }
};

FloorAfter floorAfter(const Scan& scan) {
  FloorAfter f;
  f.window = endWindow(scan);
  std::vector<double> scratch;
  for (std::size_t a = 0; a < scan.size(); a += f.window)
    f.lowest.push_back(medianOf(scan.levels(), a, std::min(scan.size(), a + f.window), scratch));
  for (std::size_t i = f.lowest.size(); i-- > 1;)
    f.lowest[i - 1] = std::min(f.lowest[i - 1], f.lowest[i]);
  return f;
}

}  // namespace

EndSearch findEnd(const Working& work) {
  const Scan& scan = *work.scan;
  const std::size_t n = scan.size();
  const FloorAfter floor = floorAfter(scan);
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
    const double after = medianOf(scan.levels(), a, std::min(n, a + window), scratch);
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
