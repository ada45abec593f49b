#pragma once

#include <cstdint>

#include "record/units.h"
#include "sor/sor_file.h"

namespace tracelink::sor {

inline constexpr double kVacuumLightSpeed = 299792458.0;  // m/s

// The group index a file states; a file that states none (0) is taken at the index
// every distance of this program uses.
inline double GroupIndex(const FxdParams& f) {
  return f.groupIndex > 0 ? f.groupIndex / 100000.0 : kIor;
}

// Metres of a one-way time in 100 ps.
inline double TimeToMetres(double time100ps, const FxdParams& f) {
  return time100ps * 1e-10 * kVacuumLightSpeed / GroupIndex(f);
}

// The other way: the one-way time in 100 ps of a distance at a group index (the exact
// index, for a file being written stores it rounded to 1e-5).
inline double MetresToTime(double metres, double groupIndex) {
  return metres * groupIndex / kVacuumLightSpeed * 1e10;
}

// Metres between data points of the first pulse width (0 when the file states none).
inline double SampleSpacingM(const FxdParams& f) {
  if (f.dataSpacing.empty()) return 0;
  return f.dataSpacing.front() * 1e-14 * kVacuumLightSpeed / GroupIndex(f);
}

// Whether a stored reflectance (0.001 dB) says that none was measured: makers store the
// bottom of the 32-bit range (-2147483.648 or -2147483.647 dB) for an event without one.
inline bool ReflectanceUnset(std::int32_t stored) {
  return stored == INT32_MIN || stored == INT32_MIN + 1;
}

// A data point's level in dB: 0 at the top of the scale, negative below.
inline double LevelDb(std::uint16_t value, std::uint16_t scaleFactor) {
  return -static_cast<double>(value) * scaleFactor / 1e6;
}

}  // namespace tracelink::sor
