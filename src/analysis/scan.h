#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/level_fit.h"
#include "trace/trace.h"

namespace tracelink::analysis {

// A straight line over a window of samples, from the prefix sums: quick and close enough
// to find events. The losses reported are fitted again exactly (level_fit.h).
struct QuickLine {
  double interceptDb = 0;  // at the window's first sample
  double slope = 0;        // dB per sample
  std::size_t first = 0;
  double at(double index) const {
    return interceptDb + slope * (index - static_cast<double>(first));
  }
};

// The trace as the detectors read it: levels in dB, the geometry of the pulse in
// samples, and prefix sums for the mean and the line of any window in constant time.
class Scan {
 public:
  Scan(const Trace& trace, double pulseNs, double groupIndex);

  std::size_t size() const { return milli_.size(); }
  double y(std::size_t i) const { return boundedLevel(milli_[i]) / kMilliDbPerDb; }
  std::span<const std::int32_t> milliDb() const { return milli_; }
  // The highest level of the trace: where a receiver clips, its scale's top.
  std::int32_t highestMilliDb() const { return highest_; }
  // The q-quantile (0..1) of the levels of [a, b), from every stride-th sample.
  double quantileLevel(std::size_t a, std::size_t b, double q, std::vector<double>& scratch,
                       std::size_t stride = 1) const;

  double spacingM() const { return spacingM_; }
  double pulseM() const { return pulseM_; }
  // The pulse's length in samples, at least 1.
  double pulse() const { return pulse_; }
  std::size_t pulseSamples() const { return pulseSamples_; }

  // Over [a, b), which must hold at least one sample (two for a line).
  double mean(std::size_t a, std::size_t b) const;
  QuickLine line(std::size_t a, std::size_t b) const;
  // Root mean square of the samples about line(a, b).
  double residual(std::size_t a, std::size_t b, const QuickLine& line) const;

 private:
  std::span<const std::int32_t> milli_;
  // Prefix sums of (y - ref_) and of k (y - ref_): centring keeps their digits.
  std::vector<double> s0_;
  std::vector<double> s1_;
  std::vector<double> s2_;  // of (y - ref_)^2
  double ref_ = 0;
  std::int32_t highest_ = 0;
  double spacingM_ = 1;
  double pulseM_ = 0;
  double pulse_ = 1;
  std::size_t pulseSamples_ = 1;
};

// 1.4826 x the median absolute deviation from the median of v[a, b): the standard
// deviation of Gaussian noise, untouched by a few events among it. 0 for fewer than 2.
// With a stride, of every stride-th value only: enough for a block's noise, and quicker.
double robustSpread(std::span<const double> v, std::size_t a, std::size_t b,
                    std::vector<double>& scratch, std::size_t stride = 1);

// The robust spread of v in blocks of `block` samples, one value per block, from at most
// a few dozen samples of each; blocks where it is 0 (quantised or flat stretches) take
// `floor`.
std::vector<double> blockSpreads(std::span<const double> v, std::size_t block, double floor);
std::vector<double> blockSpreads(std::span<const float> v, std::size_t block, double floor);

double medianOf(std::span<const double> v, std::size_t a, std::size_t b,
                std::vector<double>& scratch, std::size_t stride = 1);

}  // namespace tracelink::analysis
