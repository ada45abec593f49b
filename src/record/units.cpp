#include "record/units.h"

#include "record/trace_record.h"

#include <cmath>
#include <limits>

namespace tracelink {

std::optional<std::int32_t> nearestChecked(double v) {
  if (std::isnan(v)) return std::nullopt;
  // nearbyint rounds with the current mode, which is round-half-even by default; use
  // an explicit computation so a changed FP environment cannot alter distances.
  const double f = std::floor(v);
  const double diff = v - f;
  double r = f;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0.0)) r = f + 1.0;
  if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::nullopt;
  return static_cast<std::int32_t>(r);
}

std::int32_t nearest(double v) {
  if (auto r = nearestChecked(v)) return *r;
  if (std::isnan(v)) return 0;
  return v < 0 ? std::numeric_limits<std::int32_t>::min()
               : std::numeric_limits<std::int32_t>::max();
}

double usableIor(double ior) {
  return std::isfinite(ior) && ior > 0 ? ior : kIor;
}

double SampleToMetresExact(double s, double ior) {
  return s * kLightSpeed / 2.0 / ior;
}

std::int32_t SampleToMetres(double s, double ior) {
  return nearest(SampleToMetresExact(s, ior));
}

std::int32_t MetresToSample(double m, double ior) {
  return nearest(2.0 * m * ior / kLightSpeed);
}

std::optional<std::size_t> CursorPosition(std::int32_t startPoint, double metres, double ior) {
  const auto k = nearestChecked(2.0 * metres * usableIor(ior) / kLightSpeed);
  if (!k) return std::nullopt;
  const std::int64_t p = static_cast<std::int64_t>(startPoint) - 1 + *k;
  if (p < 0 || p >= kRecordWords) return std::nullopt;
  return static_cast<std::size_t>(p);
}

std::string PulseWidthWord(std::int32_t ns) {
  if (ns < 1000) return std::to_string(ns) + "ns";
  std::string word = std::to_string(ns / 1000);
  if (std::int32_t rest = ns % 1000; rest != 0) {
    word += '.';
    for (std::int32_t digit = 100; rest != 0; digit /= 10) {
      word += static_cast<char>('0' + rest / digit);
      rest %= digit;
    }
  }
  return word + "us";
}

std::string FormatLevel(std::int64_t hundredths, const std::string& decimalSeparator) {
  const bool negative = hundredths < 0;
  // Work on the unsigned magnitude so the most negative value cannot overflow.
  const std::uint64_t mag = negative ? 0 - static_cast<std::uint64_t>(hundredths)
                                     : static_cast<std::uint64_t>(hundredths);
  std::string out = negative ? "-" : "";
  out += std::to_string(mag / 100);
  out += decimalSeparator;
  const unsigned frac = static_cast<unsigned>(mag % 100);
  out += static_cast<char>('0' + frac / 10);
  out += static_cast<char>('0' + frac % 10);
  return out;
}

double LevelDivisionDb(double spanDb) {
  double step = 1;
  for (int k = 0; k < 40 && step * 10 < spanDb; ++k) {
    const int digit =
        static_cast<int>(std::llround(step / std::pow(10.0, std::floor(std::log10(step)))));
    step *= digit == 2 ? 2.5 : 2;
  }
  return step;
}

}  // namespace tracelink
