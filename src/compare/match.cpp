#include "compare/match.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "compare/bidir.h"
#include "measure/measure.h"

namespace tracelink::compare {

std::vector<std::optional<std::size_t>> matchNearest(const std::vector<double>& first,
                                                     const std::vector<double>& second,
                                                     double toleranceM) {
  // Taking the nearest pairs first keeps two close events from each stealing the other's
  // partner. Only the few nearest candidates of each are weighed, so that a damaged table of
  // thousands of events within a wide tolerance stays quick.
  constexpr std::size_t kCandidates = 4;
  std::vector<std::size_t> order;
  for (std::size_t j = 0; j < second.size(); ++j)
    if (std::isfinite(second[j])) order.push_back(j);
  std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    return second[x] < second[y] || (second[x] == second[y] && x < y);
  });
  std::vector<std::tuple<double, std::size_t, std::size_t>> pairs;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (!std::isfinite(first[i])) continue;
    const auto at = std::lower_bound(order.begin(), order.end(), first[i],
                                     [&](std::size_t j, double x) { return second[j] < x; });
    const auto consider = [&](std::size_t j) {
      const double gap = std::fabs(first[i] - second[j]);
      if (gap <= toleranceM) pairs.emplace_back(gap, i, j);
    };
    for (auto k = at; k != order.end() && k - at < static_cast<std::ptrdiff_t>(kCandidates); ++k)
      consider(*k);
    for (auto k = at; k != order.begin() && at - k < static_cast<std::ptrdiff_t>(kCandidates);)
      consider(*--k);
  }
  std::sort(pairs.begin(), pairs.end());
  std::vector<std::optional<std::size_t>> matched(first.size());
  std::vector<bool> taken(second.size(), false);
  for (const auto& [gap, i, j] : pairs) {
    if (matched[i] || taken[j]) continue;
    matched[i] = j;
    taken[j] = true;
  }
  return matched;
}

double matchToleranceM(const std::optional<double>& asked, const Trace& a, const Trace& b) {
  if (asked && std::isfinite(*asked) && *asked >= 0) return *asked;
  double tolerance = kMinBidirToleranceM;
  for (const Trace* t : {&a, &b}) {
    const double deadZone = deadZoneMetres(*t);
    if (std::isfinite(deadZone)) tolerance = std::max(tolerance, deadZone);
  }
  return tolerance;
}

FibreParts partsOf(const FibreEvents& fibre) {
  FibreParts parts;
  for (const KeyEvent& e : fibre.events) {
    if (e.type == EventType::Launch && !parts.launch && e.distanceM == fibre.startM) {
      parts.launch = &e;
    } else if (e.type == EventType::End && !parts.end && e.distanceM == fibre.endM) {
      parts.end = &e;
    }
  }
  // A table with no end event ends at its last event, which is then the fibre's end.
  if (!parts.end && !fibre.events.empty() && fibre.events.back().distanceM == fibre.endM &&
      fibre.endM > fibre.startM && &fibre.events.back() != parts.launch)
    parts.end = &fibre.events.back();
  for (const KeyEvent& e : fibre.events) {
    // The launch and the end found above are Launch and End events, or lie at endM.
    if (!isInner(e, fibre)) continue;
    parts.inner.push_back(&e);
    parts.innerM.push_back(e.distanceM - fibre.startM);
  }
  return parts;
}

}  // namespace tracelink::compare
