#include "analysis/level_fit.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace tracelink::analysis {

namespace {

// With |y| <= 2^20 and i < 2^21, sum(i * y) stays below 2^62 and sum(y^2) below 2^61;
// longer spans add in 128 bits.
constexpr std::size_t kShortSpan = std::size_t{1} << 21;

template <typename Int>
struct Sums {
  Int y = 0;
  Int iy = 0;
  Int yy = 0;
};

template <typename Int>
Sums<Int> sumLevels(const std::int32_t* levels, std::size_t count) {
  Sums<Int> s;
  for (std::size_t i = 0; i < count; ++i) {
    const Int y = boundedLevel(levels[i]);
    s.y += y;
    s.iy += static_cast<Int>(i) * y;
    s.yy += y * y;
  }
  return s;
}

template <typename Int>
LevelLine lineFrom(const Sums<Int>& s, std::size_t first, std::size_t count) {
  // x = i has closed-form sums; everything below is exact in 128 bits except the quotients.
  const __int128 n = static_cast<__int128>(count);
  const __int128 sumI = n * (n - 1) / 2;
  const __int128 sumII = (n - 1) * n * (2 * n - 1) / 6;
  const __int128 den = n * sumII - sumI * sumI;
  const __int128 num = n * static_cast<__int128>(s.iy) - sumI * static_cast<__int128>(s.y);
  const long double slope = static_cast<long double>(num) / static_cast<long double>(den);
  const long double intercept =
      (static_cast<long double>(s.y) - slope * static_cast<long double>(sumI)) /
      static_cast<long double>(n);
  const __int128 nSyy =
      n * static_cast<__int128>(s.yy) - static_cast<__int128>(s.y) * static_cast<__int128>(s.y);
  const long double numL = static_cast<long double>(num);
  const long double nSs =
      static_cast<long double>(nSyy) - numL * numL / static_cast<long double>(den);
  const long double squares = std::max(0.0L, nSs / static_cast<long double>(n));

  LevelLine line;
  line.first = first;
  line.count = count;
  line.interceptDb = static_cast<double>(intercept / 1000.0L);
  line.slopeDbPerSample = static_cast<double>(slope / 1000.0L);
  line.rmsDb = std::sqrt(static_cast<double>(squares / static_cast<long double>(n))) / 1000.0;
  return line;
}

}  // namespace

std::int32_t boundedLevel(std::int32_t milliDb) {
  return std::clamp(milliDb, -kLevelBoundMilliDb, kLevelBoundMilliDb);
}

LevelLine fitLevels(std::span<const std::int32_t> levels, std::size_t first, std::size_t count) {
  assert(count >= 2 && first <= levels.size() && count <= levels.size() - first);
  const std::int32_t* p = levels.data() + first;
  if (count < kShortSpan) return lineFrom(sumLevels<std::int64_t>(p, count), first, count);
  return lineFrom(sumLevels<__int128>(p, count), first, count);
}

}  // namespace tracelink::analysis
