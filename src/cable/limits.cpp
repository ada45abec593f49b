#include "cable/limits.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "cable/json_reader.h"

namespace tracelink::cable {

namespace {

constexpr int kMinWavelengthNm = 400;
constexpr int kMaxWavelengthNm = 2000;

// The figures of a limits file that hold one number, and what may stand there.
enum class Sign { NotNegative, NotPositive };
struct NumberKey {
  std::string_view key;
  std::optional<double> Limits::*field;
  Sign sign;
};
constexpr std::array kNumberKeys{
    NumberKey{"spliceLossMaxDb", &Limits::spliceLossMaxDb, Sign::NotNegative},
    NumberKey{"connectorLossMaxDb", &Limits::connectorLossMaxDb, Sign::NotNegative},
    // A reflectance is a ratio below 1: 0 dB or less.
    NumberKey{"reflectanceMaxDb", &Limits::reflectanceMaxDb, Sign::NotPositive},
    NumberKey{"linkLossMaxDb", &Limits::linkLossMaxDb, Sign::NotNegative},
    NumberKey{"orlMinDb", &Limits::orlMinDb, Sign::NotNegative},
    NumberKey{"lengthMinM", &Limits::lengthMinM, Sign::NotNegative},
    NumberKey{"lengthMaxM", &Limits::lengthMaxM, Sign::NotNegative},
};
constexpr std::string_view kAttenuationKey = "attenuationMaxDbPerKm";

LimitsProblem problem(LimitsFault fault, std::string key, std::size_t offset) {
  return LimitsProblem{fault, std::move(key), offset};
}

// A wavelength key: plain decimal digits, no sign, no leading zero, in range.
std::optional<int> wavelengthKey(std::string_view key) {
  if (key.empty() || key.size() > 4 || key[0] == '0') return std::nullopt;
  int nm = 0;
  const auto r = std::from_chars(key.data(), key.data() + key.size(), nm);
  if (r.ec != std::errc() || r.ptr != key.data() + key.size()) return std::nullopt;
  if (nm < kMinWavelengthNm || nm > kMaxWavelengthNm) return std::nullopt;
  return nm;
}

// The number a value holds, or why it is none.
std::optional<LimitsProblem> numberOf(const json::Value& v, const std::string& key, double& out) {
  const json::Number* n = std::get_if<json::Number>(&v.data);
  if (!n || !n->finite) return problem(LimitsFault::NotANumber, key, v.offset);
  out = n->value;
  return std::nullopt;
}

std::optional<LimitsProblem> readAttenuation(const json::Value& v, Limits& limits) {
  const json::Object* o = std::get_if<json::Object>(&v.data);
  if (!o) return problem(LimitsFault::NotAnObject, std::string(kAttenuationKey), v.offset);
  for (std::size_t i = 0; i < o->members.size(); ++i) {
    const auto& [key, value] = o->members[i];
    const std::optional<int> nm = wavelengthKey(key);
    if (!nm) return problem(LimitsFault::NotAWavelength, key, o->keyOffsets[i]);
    const std::string path = std::string(kAttenuationKey) + "." + key;
    // A wavelength has one spelling only (no sign, no leading zero), so the reader's
    // refusal of a repeated key catches a wavelength listed twice.
    double x = 0;
    if (std::optional<LimitsProblem> p = numberOf(*value, path, x)) return p;
    if (x < 0) return problem(LimitsFault::OutOfRange, path, value->offset);
    limits.attenuationMaxDbPerKm[*nm] = x;
  }
  return std::nullopt;
}

void appendNumber(std::string& out, double v) {
  // The shortest text that reads back to the same double, whatever the locale.
  std::array<char, 32> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
  out.append(buf.data(), r.ptr);
}

}  // namespace

std::optional<double> attenuationLimit(const Limits& limits, double wavelengthNm) {
  std::optional<double> best;
  double bestGap = kWavelengthMatchNm;
  // In order of wavelength and only a strictly nearer one replaces: of two listed equally
  // near, the shorter wavelength's limit holds.
  for (const auto& [nm, limit] : limits.attenuationMaxDbPerKm) {
    const double gap = std::abs(static_cast<double>(nm) - wavelengthNm);
    if (gap < bestGap || (!best && gap <= bestGap)) {
      best = limit;
      bestGap = gap;
    }
  }
  return best;
}

LimitsOutcome parseLimits(std::string_view text) {
  json::ParseOutcome parsed = json::parse(text);
  if (const json::ParseFault* f = std::get_if<json::ParseFault>(&parsed)) {
    if (f->kind == json::ParseFault::Kind::DuplicateKey)
      return problem(LimitsFault::DuplicateKey, f->key, f->offset);
    return problem(LimitsFault::NotJson, {}, f->offset);
  }
  const json::Value& root = std::get<json::Value>(parsed);
  const json::Object* o = std::get_if<json::Object>(&root.data);
  if (!o) return problem(LimitsFault::NotAnObject, {}, root.offset);

  Limits limits;
  bool named = false;
  std::size_t lengthMinAt = 0;
  for (std::size_t i = 0; i < o->members.size(); ++i) {
    // Named apart rather than bound: a lambda below refers to the key.
    const std::string& key = o->members[i].first;
    const json::Value& v = *o->members[i].second;
    if (key == "name") {
      const std::string* s = std::get_if<std::string>(&v.data);
      if (!s) return problem(LimitsFault::NotAString, key, v.offset);
      if (s->empty()) return problem(LimitsFault::MissingName, key, v.offset);
      limits.name = *s;
      named = true;
    } else if (key == "useBidirectional") {
      const bool* b = std::get_if<bool>(&v.data);
      if (!b) return problem(LimitsFault::NotABoolean, key, v.offset);
      limits.useBidirectional = *b;
    } else if (key == kAttenuationKey) {
      if (std::optional<LimitsProblem> p = readAttenuation(v, limits)) return *p;
    } else {
      const auto* k = std::find_if(kNumberKeys.begin(), kNumberKeys.end(),
                                   [&](const NumberKey& n) { return n.key == key; });
      if (k == kNumberKeys.end()) return problem(LimitsFault::UnknownKey, key, o->keyOffsets[i]);
      double x = 0;
      if (std::optional<LimitsProblem> p = numberOf(v, key, x)) return *p;
      if ((k->sign == Sign::NotNegative && x < 0) || (k->sign == Sign::NotPositive && x > 0))
        return problem(LimitsFault::OutOfRange, key, v.offset);
      limits.*(k->field) = x;
      if (key == "lengthMinM") lengthMinAt = v.offset;
    }
  }
  if (!named) return problem(LimitsFault::MissingName, "name", text.size());
  if (limits.lengthMinM && limits.lengthMaxM && *limits.lengthMinM > *limits.lengthMaxM)
    return problem(LimitsFault::MinAboveMax, "lengthMinM", lengthMinAt);
  return limits;
}

std::string limitsJson(const Limits& limits) {
  std::string out = "{\n  \"name\": " + json::quoted(limits.name);
  for (const NumberKey& k : kNumberKeys) {
    if (!(limits.*(k.field))) continue;
    out += ",\n  \"";
    out += k.key;
    out += "\": ";
    appendNumber(out, *(limits.*(k.field)));
  }
  if (!limits.attenuationMaxDbPerKm.empty()) {
    out += ",\n  \"";
    out += kAttenuationKey;
    out += "\": {";
    bool first = true;
    for (const auto& [nm, limit] : limits.attenuationMaxDbPerKm) {
      out += first ? "\"" : ", \"";
      out += std::to_string(nm);
      out += "\": ";
      appendNumber(out, limit);
      first = false;
    }
    out += "}";
  }
  out += ",\n  \"useBidirectional\": ";
  out += limits.useBidirectional ? "true" : "false";
  out += "\n}\n";
  return out;
}

}  // namespace tracelink::cable
