#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tracelink::cable {

// A contract's acceptance limits. Every figure is optional: one left out is not judged.
struct Limits {
  std::string name;
  std::optional<double> spliceLossMaxDb;        // non-reflective events; a gainer by |loss|
  std::optional<double> connectorLossMaxDb;     // reflective events
  std::optional<double> reflectanceMaxDb;       // reflective events' reflectance (e.g. -35)
  std::map<int, double> attenuationMaxDbPerKm;  // by wavelength in nm
  std::optional<double> linkLossMaxDb;          // end to end
  std::optional<double> orlMinDb;
  std::optional<double> lengthMinM;
  std::optional<double> lengthMaxM;
  bool useBidirectional = false;  // judge splices by the two-direction average where both exist
  bool operator==(const Limits&) const = default;
};

// The attenuation limit of a wavelength: the listed wavelength nearest it within 20 nm.
inline constexpr double kWavelengthMatchNm = 20.0;
std::optional<double> attenuationLimit(const Limits& limits, double wavelengthNm);

// Why a limits file is refused: the key (empty for the document itself; a wavelength's
// figure as "attenuationMaxDbPerKm.1310", a key that is no wavelength as written), what is
// wrong with it, and the byte offset in the text where it was found. The first fault in
// the order written is the one named.
enum class LimitsFault {
  NotJson,         // the text is not JSON at `offset`
  NotAnObject,     // the document or attenuationMaxDbPerKm is not an object
  MissingName,     // no "name", or an empty one
  NotANumber,      // `key` holds something else than a finite number
  NotABoolean,     // `key` holds something else than true or false
  NotAString,      // `key` holds something else than a string
  NotAWavelength,  // a key of attenuationMaxDbPerKm is not a wavelength in nm (400..2000)
  OutOfRange,      // `key`'s value cannot be a limit (a negative loss, length or ORL)
  UnknownKey,      // `key` is none of ours: a misspelt limit would silently not be judged
  DuplicateKey,    // `key` appears twice
  MinAboveMax,     // lengthMinM above lengthMaxM
};
struct LimitsProblem {
  LimitsFault fault = LimitsFault::NotJson;
  std::string key;
  std::size_t offset = 0;
};

using LimitsOutcome = std::variant<Limits, LimitsProblem>;
LimitsOutcome parseLimits(std::string_view json);
// The text is strict JSON (UTF-8; a byte order mark before it is passed over); "null" is
// no number: a limit not to be judged is left out.
// Writes limits back as a JSON document parseLimits reads to the same value.
std::string limitsJson(const Limits& limits);

// The built-in presets, from public summaries of common acceptance standards.
const std::vector<Limits>& presets();
// The preset of that name in any case ("tia-568-sm-osp"); none when there is no such.
const Limits* findPreset(std::string_view name);

}  // namespace tracelink::cable
