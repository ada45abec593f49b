#include "analysis/scan.h"

#include <algorithm>
#include <cmath>

#include "analysis/level_fit.h"

namespace tracelink::analysis {

namespace {
constexpr double kLightSpeed = 299'792'458.0;
}  // namespace

Scan::Scan(const Trace& trace, double pulseNs, double groupIndex) : milli_(trace.levels) {
  const std::size_t n = trace.levels.size();
  std::int32_t lo = kLevelBoundMilliDb;
  std::int32_t hi = -kLevelBoundMilliDb;
  for (std::size_t i = 0; i < n; ++i) {
    const std::int32_t v = boundedLevel(trace.levels[i]);
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  highest_ = hi;
  ref_ = n == 0 ? 0.0 : (static_cast<double>(lo) + static_cast<double>(hi)) / 2.0 / kMilliDbPerDb;
  s0_.resize(n + 1);
  s1_.resize(n + 1);
  s2_.resize(n + 1);
  double a = 0;
  double b = 0;
  double c = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double d = y(i) - ref_;
    a += d;
    b += static_cast<double>(i) * d;
    c += d * d;
    s0_[i + 1] = a;
    s1_[i + 1] = b;
    s2_[i + 1] = c;
  }
  spacingM_ = trace.spacingM;
  pulseM_ = pulseNs * 1e-9 * kLightSpeed / (2.0 * groupIndex);
  pulse_ = std::max(1.0, pulseM_ / spacingM_);
  // Pulses beyond a million samples are no acquisition; the bound keeps sizes sane.
  pulse_ = std::min(pulse_, 1e6);
  pulseSamples_ = static_cast<std::size_t>(std::ceil(pulse_));
}

double Scan::mean(std::size_t a, std::size_t b) const {
  return (s0_[b] - s0_[a]) / static_cast<double>(b - a) + ref_;
}

QuickLine Scan::line(std::size_t a, std::size_t b) const {
  const double n = static_cast<double>(b - a);
  const double sy = s0_[b] - s0_[a];
  const double sky = (s1_[b] - s1_[a]) - static_cast<double>(a) * sy;
  const double sk = n * (n - 1) / 2;
  const double skk = (n - 1) * n * (2 * n - 1) / 6;
  const double den = n * skk - sk * sk;
  QuickLine l;
  l.first = a;
  l.slope = den > 0 ? (n * sky - sk * sy) / den : 0.0;
  l.interceptDb = (sy - l.slope * sk) / n + ref_;
  return l;
}

double Scan::residual(std::size_t a, std::size_t b, const QuickLine& line) const {
  // sum (y - l)^2 with l = c + m k (centred levels, k from a): the sums of y, ky and y^2.
  const double n = static_cast<double>(b - a);
  const double sy = s0_[b] - s0_[a];
  const double sky = (s1_[b] - s1_[a]) - static_cast<double>(a) * sy;
  const double syy = s2_[b] - s2_[a];
  const double c = line.interceptDb - ref_;
  const double m = line.slope;
  const double sk = n * (n - 1) / 2;
  const double skk = (n - 1) * n * (2 * n - 1) / 6;
  const double ss = syy - 2 * c * sy - 2 * m * sky + n * c * c + 2 * c * m * sk + m * m * skk;
  return std::sqrt(std::max(0.0, ss / n));
}

double Scan::quantileLevel(std::size_t a, std::size_t b, double q, std::vector<double>& scratch,
                           std::size_t stride) const {
  if (b <= a) return 0;
  stride = std::max<std::size_t>(stride, 1);
  scratch.clear();
  for (std::size_t i = a; i < b; i += stride) scratch.push_back(y(i));
  const auto rank =
      static_cast<std::size_t>(std::clamp(q, 0.0, 1.0) * static_cast<double>(scratch.size() - 1));
  const auto mid = scratch.begin() + static_cast<std::ptrdiff_t>(rank);
  std::nth_element(scratch.begin(), mid, scratch.end());
  return *mid;
}

namespace {

template <typename T>
double medianOfAny(std::span<const T> v, std::size_t a, std::size_t b, std::vector<double>& scratch,
                   std::size_t stride) {
  if (b <= a) return 0;
  stride = std::max<std::size_t>(stride, 1);
  scratch.clear();
  for (std::size_t i = a; i < b; i += stride) scratch.push_back(static_cast<double>(v[i]));
  const auto mid = scratch.begin() + static_cast<std::ptrdiff_t>(scratch.size() / 2);
  std::nth_element(scratch.begin(), mid, scratch.end());
  return *mid;
}

template <typename T>
double robustSpreadOfAny(std::span<const T> v, std::size_t a, std::size_t b,
                         std::vector<double>& scratch, std::size_t stride) {
  if (b < a + 2) return 0;
  const double m = medianOfAny(v, a, b, scratch, stride);
  if (scratch.size() < 2) return 0;
  for (double& x : scratch) x = std::fabs(x - m);
  const auto mid = scratch.begin() + static_cast<std::ptrdiff_t>(scratch.size() / 2);
  std::nth_element(scratch.begin(), mid, scratch.end());
  return 1.4826 * *mid;
}

template <typename T>
std::vector<double> blockSpreadsOfAny(std::span<const T> v, std::size_t block, double floor) {
  constexpr std::size_t kSampled = 48;
  block = std::max<std::size_t>(block, 2);
  const std::size_t stride = std::max<std::size_t>(1, block / kSampled);
  std::vector<double> out;
  std::vector<double> scratch;
  for (std::size_t a = 0; a < v.size(); a += block) {
    const double s = robustSpreadOfAny(v, a, std::min(v.size(), a + block), scratch, stride);
    out.push_back(std::max(s, floor));
  }
  return out;
}

}  // namespace

double medianOf(std::span<const double> v, std::size_t a, std::size_t b,
                std::vector<double>& scratch, std::size_t stride) {
  return medianOfAny(v, a, b, scratch, stride);
}

double robustSpread(std::span<const double> v, std::size_t a, std::size_t b,
                    std::vector<double>& scratch, std::size_t stride) {
  return robustSpreadOfAny(v, a, b, scratch, stride);
}

std::vector<double> blockSpreads(std::span<const double> v, std::size_t block, double floor) {
  return blockSpreadsOfAny(v, block, floor);
}

std::vector<double> blockSpreads(std::span<const float> v, std::size_t block, double floor) {
  return blockSpreadsOfAny(v, block, floor);
}

}  // namespace tracelink::analysis
