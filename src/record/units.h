#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tracelink {

// Metres light travels in vacuum in one 10 ns sample period, and the group index every
// distance is computed with (the header's own index word is deliberately ignored).
inline constexpr double kLightSpeed = 2.99792458;
inline constexpr double kIor = 1.4677;

// Nearest integer, halves to the even neighbour (408.5 -> 408, 9.5 -> 10). Every
// float-to-integer conversion of the program goes through here. nullopt when the value
// does not fit in 32 bits or is not a number.
std::optional<std::int32_t> nearestChecked(double v);
// As above, saturating at the 32-bit limits (NaN gives 0); for callers that have already
// bounded their input.
std::int32_t nearest(double v);

// The group index used for distances; a value no distance can be computed with falls
// back to the standard index.
double usableIor(double ior);

// Distance of sample s in whole metres, and the sample of a distance.
std::int32_t SampleToMetres(double s, double ior = kIor);
std::int32_t MetresToSample(double m, double ior = kIor);
// The unrounded distance, for the CSV export.
double SampleToMetresExact(double s, double ior = kIor);

// The record position whose word the crosshair reads at a distance: the nearest sample
// of the distance, counted from StartPoint as stored (1-based, no 0 -> 1 here: before a
// redraw has written that back, the far left reads outside the record). nullopt when the
// position lies outside the record. Measurements pick their sample here, so that a marker
// reads what the crosshair reads at the same distance.
std::optional<std::size_t> CursorPosition(std::int32_t startPoint, double metres, double ior);

// The instrument's nine pulse widths in ns, indexed by the header's pulse index (kReglw).
// Every use of a pulse width reads this one table: the info line's words, the SOR export,
// the dead zone of a measurement and the simulated instrument.
inline constexpr std::array<std::int32_t, 9> kPulseWidthsNs{10,  20,   50,   100, 200,
                                                            500, 1000, 1500, 2500};
// An index the header cannot name (negative, 9 and up) is read as this one, 100 ns, as the
// info line has always shown it.
inline constexpr std::int32_t kFallbackPulseIndex = 3;

constexpr std::int32_t PulseWidthNs(std::int32_t pulseIndex) {
  if (pulseIndex < 0 || pulseIndex >= static_cast<std::int32_t>(kPulseWidthsNs.size()))
    pulseIndex = kFallbackPulseIndex;
  return kPulseWidthsNs[static_cast<std::size_t>(pulseIndex)];
}

// A pulse width as the info line writes it: "10ns" below a microsecond, else "1us",
// "1.5us", "2.5us".
std::string PulseWidthWord(std::int32_t ns);

// dB per level division of a plot: the smallest of 1, 2, 5, 10, 20, 50, ... whose ten
// divisions hold spanDb. Our own traces always fit 1 dB.
double LevelDivisionDb(double spanDb);

// A level in hundredths of a dB as "#0.00": two decimals, at least one integer digit,
// a minus sign when negative; decimalSeparator is the locale's.
std::string FormatLevel(std::int64_t hundredths, const std::string& decimalSeparator = ".");

}  // namespace tracelink
