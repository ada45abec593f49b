#include "analysis/thresholds.h"

#include <array>
#include <cmath>
#include <tuple>
#include <utility>

namespace tracelink::analysis {

namespace {

// Anything past these is a typing error or a damaged field rather than a threshold.
constexpr double kMaxLossThresholdDb = 60.0;
constexpr double kMinReflectanceThresholdDb = -100.0;

// Stored thresholds of 0 and the unset value mean "none"; compare as the 0.001 dB steps
// they are stored in.
bool storedIsSet(double db) {
  const double milli = std::round(std::fabs(db) * 1000.0);
  return milli != 0 && milli != std::round(kUnsetThresholdDb * 1000.0);
}

template <typename Valid>
std::pair<double, ThresholdSource> pick(const std::optional<double>& given,
                                        const std::optional<double>& stored, double fallback,
                                        Valid valid) {
  if (given && valid(*given)) return {*given, ThresholdSource::Given};
  if (stored && storedIsSet(*stored) && valid(*stored)) return {*stored, ThresholdSource::File};
  return {fallback, ThresholdSource::Default};
}

}  // namespace

ThresholdSource Thresholds::source() const {
  const std::array<ThresholdSource, 3> all{spliceSource, reflectanceSource, endSource};
  for (const ThresholdSource s : all)
    if (s == ThresholdSource::Given) return s;
  for (const ThresholdSource s : all)
    if (s == ThresholdSource::File) return s;
  return ThresholdSource::Default;
}

bool validSpliceDb(double db) {
  return std::isfinite(db) && db > 0 && db <= kMaxLossThresholdDb;
}
bool validReflectanceDb(double db) {
  return std::isfinite(db) && db < 0 && db >= kMinReflectanceThresholdDb;
}
bool validEndDb(double db) {
  return std::isfinite(db) && db > 0 && db <= kMaxLossThresholdDb;
}

Thresholds resolveThresholds(const Acquisition& acquisition, const ThresholdRequest& request) {
  Thresholds t;
  std::tie(t.spliceDb, t.spliceSource) =
      pick(request.spliceDb, acquisition.lossThresholdDb, kDefaultSpliceDb, validSpliceDb);
  // Some files store the reflectance threshold's magnitude; a reflection is never positive.
  std::optional<double> storedReflectance = acquisition.reflectanceThresholdDb;
  if (storedReflectance && *storedReflectance > 0) storedReflectance = -*storedReflectance;
  std::tie(t.reflectanceDb, t.reflectanceSource) =
      pick(request.reflectanceDb, storedReflectance, kDefaultReflectanceDb, validReflectanceDb);
  std::tie(t.endDb, t.endSource) =
      pick(request.endDb, acquisition.endThresholdDb, kDefaultEndDb, validEndDb);
  return t;
}

double usualBackscatterDb(double wavelengthNm) {
  // Rayleigh scattering falls with the fourth power of the wavelength; over the bands in
  // use straight lines between the usual figures are within a few tenths of a dB.
  constexpr std::array<std::pair<double, double>, 3> kTable{
      {{1310.0, -79.0}, {1550.0, -81.0}, {1625.0, -82.0}}};
  if (!std::isfinite(wavelengthNm) || wavelengthNm <= kTable.front().first)
    return kTable.front().second;
  for (std::size_t i = 1; i < kTable.size(); ++i) {
    const auto [x1, y1] = kTable[i];
    if (wavelengthNm <= x1) {
      const auto [x0, y0] = kTable[i - 1];
      return y0 + (y1 - y0) * (wavelengthNm - x0) / (x1 - x0);
    }
  }
  return kTable.back().second;
}

BackscatterCoefficient backscatterFor(const Acquisition& acquisition) {
  // Stored coefficients of single-mode fibre lie near -80 dB; a value far from it is a
  // field the instrument left unset.
  if (const std::optional<double> stored = acquisition.backscatterDb;
      stored && std::isfinite(*stored) && *stored <= -60.0 && *stored >= -100.0)
    return {*stored, true};
  return {usualBackscatterDb(acquisition.wavelengthNm), false};
}

std::optional<double> reflectanceOf(double heightDb, double pulseNs, double backscatterDb) {
  if (!(heightDb > 0) || !std::isfinite(heightDb) || !(pulseNs > 0) || !std::isfinite(pulseNs))
    return std::nullopt;
  // 10^(H/5) - 1 loses its digits for tiny heights; expm1 keeps them.
  const double excess = std::expm1(heightDb / 5.0 * std::log(10.0));
  if (!(excess > 0) || !std::isfinite(excess)) return std::nullopt;
  return backscatterDb + 10.0 * std::log10(pulseNs) + 10.0 * std::log10(excess);
}

double heightFor(double reflectanceDb, double pulseNs, double backscatterDb) {
  const double pulse = pulseNs > 0 && std::isfinite(pulseNs) ? pulseNs : 1.0;
  const double excess =
      std::pow(10.0, (reflectanceDb - backscatterDb - 10.0 * std::log10(pulse)) / 10.0);
  return 5.0 * std::log10(1.0 + excess);
}

}  // namespace tracelink::analysis
