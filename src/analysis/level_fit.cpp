#include "analysis/level_fit.h"

#include <algorithm>
#include <cassert>

#include "measure/measure.h"

namespace tracelink::analysis {

std::int32_t boundedLevel(std::int32_t milliDb) {
  return std::clamp(milliDb, -kLevelBoundMilliDb, kLevelBoundMilliDb);
}

LevelLine fitLevels(std::span<const std::int32_t> levels, std::size_t first, std::size_t count) {
  assert(count >= 2 && first <= levels.size() && count <= levels.size() - first);
  // Measuring's own fit, the one the markers and event loss use: the same line from the
  // same levels, whichever tool asks.
  const LineFit fit = fitSamples(levels.data() + first, static_cast<std::int64_t>(first),
                                 static_cast<std::int64_t>(count), 1.0);
  LevelLine line;
  line.first = first;
  line.count = count;
  line.interceptDb = fit.intercept / fit.unitsPerDb;
  line.slopeDbPerSample = fit.slope / fit.unitsPerDb;
  line.rmsDb = fit.rmsDb;
  return line;
}

}  // namespace tracelink::analysis
