#pragma once

#include <optional>

#include "trace/trace.h"

namespace tracelink::analysis {

// Where a threshold came from: the trace's own (SOR FxdParams), ours, or the user's.
enum class ThresholdSource { File, Default, Given };

// Ours, used where the trace stores none: the usual factory settings of field instruments.
inline constexpr double kDefaultSpliceDb = 0.05;
inline constexpr double kDefaultReflectanceDb = -65.0;
inline constexpr double kDefaultEndDb = 3.0;

// The format's "unset" value of a 16-bit threshold in 0.001 dB.
inline constexpr double kUnsetThresholdDb = 65.535;

struct Thresholds {
  double spliceDb = kDefaultSpliceDb;            // smallest |loss| of a non-reflective event
  double reflectanceDb = kDefaultReflectanceDb;  // weakest reflection reported as reflective
  double endDb = kDefaultEndDb;                  // the drop that ends the fibre
  ThresholdSource spliceSource = ThresholdSource::Default;
  ThresholdSource reflectanceSource = ThresholdSource::Default;
  ThresholdSource endSource = ThresholdSource::Default;

  // One word for all three: given when the user gave any, else the file's when it stored
  // any, else the defaults.
  ThresholdSource source() const;
};

// What the user asks for; a value left out falls back to the trace's, then ours.
struct ThresholdRequest {
  std::optional<double> spliceDb;
  std::optional<double> reflectanceDb;
  std::optional<double> endDb;
};

// Whether a value can stand as that threshold: positive and finite losses, a negative
// finite reflectance. The same limits serve the command line's checks.
bool validSpliceDb(double db);
bool validReflectanceDb(double db);
bool validEndDb(double db);

// The given value when valid, else the trace's when stored and neither 0 nor the unset
// value, else the default.
Thresholds resolveThresholds(const Acquisition& acquisition, const ThresholdRequest& request);

// Backscatter coefficient for a 1 ns pulse, in dB: the trace's when it stores a plausible
// one, else the usual value for its wavelength.
struct BackscatterCoefficient {
  double db = -79.0;
  bool fromFile = false;
};
BackscatterCoefficient backscatterFor(const Acquisition& acquisition);

// The usual coefficient of standard single-mode fibre at a wavelength: -79 dB at 1310 nm,
// -81 dB at 1550 nm, -82 dB at 1625 nm, straight lines between, held beyond.
double usualBackscatterDb(double wavelengthNm);

// Reflectance of a peak standing heightDb above the backscatter, for a pulse of pulseNs:
// R = B + 10 log10(pulse) + 10 log10(10^(H/5) - 1). None for a height that is not positive.
std::optional<double> reflectanceOf(double heightDb, double pulseNs, double backscatterDb);
// The height a peak needs to reach reflectanceDb, the inverse of reflectanceOf.
double heightFor(double reflectanceDb, double pulseNs, double backscatterDb);

}  // namespace tracelink::analysis
