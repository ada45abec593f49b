#include <algorithm>
#include <cctype>

#include "cable/limits.h"

namespace tracelink::cable {

namespace {

// Each preset is the acceptance figures as the public summaries of a standard give
// them; the README names the summary behind every number. The names are single words so
// that the command line takes them as they are (--limits TIA-568-SM-OSP).
std::vector<Limits> makePresets() {
  std::vector<Limits> all;
  const auto add = [&](std::string name, double splice, double connector, double reflectance,
                       std::map<int, double> attenuation) {
    Limits l;
    l.name = std::move(name);
    l.spliceLossMaxDb = splice;
    l.connectorLossMaxDb = connector;
    l.reflectanceMaxDb = reflectance;
    l.attenuationMaxDbPerKm = std::move(attenuation);
    // Splices read differently from the two ends; where both were measured, their
    // average is the loss the standards mean.
    l.useBidirectional = true;
    all.push_back(std::move(l));
  };
  add("TIA-568-SM-OSP", 0.3, 0.75, -35, {{1310, 0.5}, {1550, 0.5}});
  add("TIA-568-SM-ISP", 0.3, 0.75, -35, {{1310, 1.0}, {1550, 1.0}});
  add("TIA-568-MM", 0.3, 0.75, -20, {{850, 3.5}, {1300, 1.5}});
  add("ISO-11801-OS2", 0.3, 0.75, -35, {{1310, 0.4}, {1383, 0.4}, {1550, 0.4}});
  add("ISO-11801-OS1A", 0.3, 0.75, -35, {{1310, 1.0}, {1383, 1.0}, {1550, 1.0}});
  // The fibre's cabled attenuation only: the recommendation sets no splice or connector
  // figure, and a limit left out is not judged.
  Limits g652;
  g652.name = "G.652.D";
  g652.attenuationMaxDbPerKm = {{1310, 0.4}, {1383, 0.4}, {1550, 0.3}, {1625, 0.4}};
  g652.useBidirectional = true;
  all.push_back(std::move(g652));
  return all;
}

bool sameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

const std::vector<Limits>& presets() {
  static const std::vector<Limits> all = makePresets();
  return all;
}

const Limits* findPreset(std::string_view name) {
  for (const Limits& l : presets())
    if (sameName(l.name, name)) return &l;
  return nullptr;
}

}  // namespace tracelink::cable
