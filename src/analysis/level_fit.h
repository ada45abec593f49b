#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tracelink::analysis {

// Levels beyond this many 0.001 dB (1000 dB) are no trace of any instrument; they are held
// at the bound, which keeps every sum below exact in 64 bits.
inline constexpr std::int32_t kLevelBoundMilliDb = 1'000'000;

std::int32_t boundedLevel(std::int32_t milliDb);

// The least-squares line through levels[first, first + count), sample index against level,
// by measuring's fit.
struct LevelLine {
  std::size_t first = 0;
  std::size_t count = 0;
  double interceptDb = 0;       // the line's level at sample `first`
  double slopeDbPerSample = 0;  // negative where the backscatter falls
  double rmsDb = 0;             // root mean square of the residuals

  double at(double index) const {
    return interceptDb + slopeDbPerSample * (index - static_cast<double>(first));
  }
};

// The fit over count >= 2 samples that lie inside levels. Its sums are exact integers, so
// the same levels always give the same line.
LevelLine fitLevels(std::span<const std::int32_t> levels, std::size_t first, std::size_t count);

}  // namespace tracelink::analysis
