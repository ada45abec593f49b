#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "trace/trace.h"

namespace tracelink::test {

// Traces with known events, built the way an OTDR sees a fibre: backscatter and
// reflections in linear power, seen through a rectangular pulse, with noise added in
// linear power (so that it grows toward the end as on a real trace) and levels in 5 log10
// (one-way dB).

struct SyntheticEvent {
  double positionM = 0;
  double lossDb = 0;                    // negative for a gainer
  std::optional<double> reflectanceDb;  // none for a splice or bend
};

struct SyntheticFibre {
  double spacingM = 1.0;
  double pulseNs = 100;
  double groupIndex = 1.4677;
  double wavelengthNm = 1310;
  double backscatterDb = -79.0;  // per 1 ns
  double attenuationDbPerKm = 0.35;
  double launchDb = -20.0;  // backscatter level just after the front panel
  double launchReflectanceDb = -45.0;
  double leadM = 0;        // fibre before the front panel's reflection... none: 0
  double lengthM = 10000;  // where the fibre ends
  std::optional<double> endReflectanceDb = -14.0;  // none for a non-reflective end
  double traceM = 15000;                           // how far the trace runs
  double noiseFloorDb = -50.0;                     // level of the noise's standard deviation
  double smoothingM = 0;                           // receiver smoothing (box), 0 for none
  double scaleLimitDb = 0;                         // levels above are clipped (saturation)
  double scaleBottomDb = -65.535;                  // levels below are clipped
  std::uint64_t seed = 1;
  std::vector<SyntheticEvent> events;
};

// A small, portable generator: the same seed gives the same trace on every platform.
class SplitMix {
 public:
  explicit SplitMix(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double uniform() { return (static_cast<double>(next() >> 11) + 0.5) / 9007199254740992.0; }
  double normal() {
    const double u = uniform();
    const double v = uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }

 private:
  std::uint64_t state_;
};

inline double pulseLengthM(const SyntheticFibre& f) {
  return f.pulseNs * 1e-9 * 299'792'458.0 / (2.0 * f.groupIndex);
}

inline Trace makeTrace(const SyntheticFibre& f) {
  const std::size_t n = static_cast<std::size_t>(f.traceM / f.spacingM) + 1;
  const double h = f.spacingM;
  // Backscatter power per sample (linear, 1 at the launch level), and reflected power
  // arriving with the pulse's leading edge.
  std::vector<double> scatter(n, 0.0);
  std::vector<double> reflected(n, 0.0);
  const double perPulse = std::pow(10.0, f.backscatterDb / 10.0) * f.pulseNs;
  const auto reflectionRatio = [&](double r) { return std::pow(10.0, r / 10.0) / perPulse; };
  for (std::size_t i = 0; i < n; ++i) {
    const double x = static_cast<double>(i) * h;
    if (x >= f.lengthM) break;
    double level = -f.attenuationDbPerKm * x / 1000.0;
    for (const SyntheticEvent& e : f.events)
      if (x >= e.positionM) level -= e.lossDb;
    scatter[i] = std::pow(10.0, level / 5.0);
  }
  const auto levelAt = [&](double x) {
    const std::size_t i = std::min(n - 1, static_cast<std::size_t>(std::max(0.0, x / h)));
    double s = scatter[i];
    if (s == 0 && i > 0) s = scatter[i - 1];  // at the end: the backscatter just before
    return s;
  };
  // A reflection arrives with the first sample at or past its place, as the loss does.
  const auto addReflection = [&](double x, double r) {
    const std::size_t i = static_cast<std::size_t>(std::ceil(x / h - 1e-9));
    if (i < n) reflected[i] += levelAt(x - h) * reflectionRatio(r);
  };
  addReflection(0, f.launchReflectanceDb);
  for (const SyntheticEvent& e : f.events)
    if (e.reflectanceDb) addReflection(e.positionM, *e.reflectanceDb);
  if (f.endReflectanceDb) addReflection(f.lengthM, *f.endReflectanceDb);

  // The pulse: each sample sees the backscatter of the pulse length behind it (its mean),
  // and a reflection for as long as the pulse lasts after it.
  const std::size_t pulse =
      std::max<std::size_t>(1, static_cast<std::size_t>(std::llround(pulseLengthM(f) / h)));
  std::vector<double> power(n, 0.0);
  double sum = 0;
  double refl = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += scatter[i];
    refl += reflected[i];
    if (i >= pulse) {
      sum -= scatter[i - pulse];
      refl -= reflected[i - pulse];
    }
    power[i] = sum / static_cast<double>(pulse) + refl;
  }
  if (f.smoothingM > 0) {
    // Smoothing as trace software does it: a centred moving average, which moves nothing.
    const std::size_t half = static_cast<std::size_t>(std::llround(f.smoothingM / h / 2.0));
    std::vector<double> prefix(n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + power[i];
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t a = i >= half ? i - half : 0;
      const std::size_t b = std::min(n, i + half + 1);
      power[i] = (prefix[b] - prefix[a]) / static_cast<double>(b - a);
    }
  }
  SplitMix random(f.seed);
  const double noise = std::pow(10.0, (f.noiseFloorDb - f.launchDb) / 5.0);
  Trace t;
  t.spacingM = h;
  t.acquisition.wavelengthNm = f.wavelengthNm;
  t.acquisition.pulseWidthsNs = {f.pulseNs};
  t.acquisition.groupIndex = f.groupIndex;
  t.levels.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double p = power[i] + noise * random.normal();
    const double floor = std::pow(10.0, (f.scaleBottomDb - f.launchDb) / 5.0);
    double db = f.launchDb + 5.0 * std::log10(std::max(p, floor));
    db = std::clamp(db, f.scaleBottomDb, f.scaleLimitDb);
    t.levels[i] = static_cast<std::int32_t>(std::llround(db * 1000.0));
  }
  return t;
}

}  // namespace tracelink::test
