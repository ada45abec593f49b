#pragma once

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "analysis/synthetic_trace.h"
#include "cable/limits.h"
#include "cable/verdict.h"
#include "trace/trace.h"
#include "trace/trace_to_sor.h"

namespace tracelink::test {

// A cable of 12 fibres, each measured from both ends, whose verdicts against
// generatedCableLimits() are known:
// - fibre 03: a splice of 0.45 dB (limit 0.30) from both ends;
// - fibre 05: a connector reflecting -35 dB (limit -40);
// - fibre 07: the section from 1500 to 3000 m loses 0.55 dB/km (limit 0.40);
// - fibre 09: a splice between unequal fibres, -0.40 dB from A (a gainer) and 0.60 dB from
//   B: each end alone fails it, their average (0.10 dB) passes, and with useBidirectional
//   the fibre passes;
// - the others pass.
// Every fibre runs 5000 m: launch at 0, a splice at 1500 m, a connector at 3000 m, the end
// at 5000 m, as the traces' key events (so that the verdicts do not hang on our analysis)
// over synthetic backscatter that shows the same events.

inline constexpr int kGeneratedFibres = 12;
inline constexpr double kGeneratedLengthM = 5000;
inline constexpr double kGeneratedSpliceM = 1500;
inline constexpr double kGeneratedConnectorM = 3000;

inline cable::Limits generatedCableLimits() {
  cable::Limits l;
  l.name = "Generated";
  l.spliceLossMaxDb = 0.30;
  l.connectorLossMaxDb = 0.75;
  l.reflectanceMaxDb = -40;
  l.attenuationMaxDbPerKm = {{1310, 0.40}, {1550, 0.30}};
  l.linkLossMaxDb = 6;
  l.lengthMinM = 4900;
  l.lengthMaxM = 5100;
  l.useBidirectional = true;
  return l;
}

struct GeneratedFibre {
  std::string id;                         // "01" .. "12", as our cable upload names fibres
  std::optional<cable::Item> failure;     // the item it fails on; none when it passes
  std::optional<double> failureDistance;  // where along A (m)
  bool passesOnlyByAverage = false;
  std::vector<Trace> fromA;  // one per wavelength
  std::vector<Trace> fromB;
};

struct GeneratedEnd {
  double spliceDb = 0.10;
  double connectorDb = 0.30;
  double connectorReflectanceDb = -50;
};

// One end's trace: events at the given distances along A, seen from end A or end B.
inline Trace generatedTrace(const std::string& id, char end, double wavelengthNm,
                            const GeneratedEnd& e, bool steepSection, std::uint64_t seed,
                            double spacingM = 2) {
  const bool fromB = end == 'B';
  const auto at = [&](double alongA) { return fromB ? kGeneratedLengthM - alongA : alongA; };
  SyntheticFibre f;
  f.spacingM = spacingM;
  f.pulseNs = 100;
  f.wavelengthNm = wavelengthNm;
  f.attenuationDbPerKm = wavelengthNm > 1400 ? 0.20 : 0.33;
  f.lengthM = kGeneratedLengthM;
  f.traceM = 6000;
  f.noiseFloorDb = -55;
  f.seed = seed;
  f.events = {{at(kGeneratedSpliceM), e.spliceDb, std::nullopt},
              {at(kGeneratedConnectorM), e.connectorDb, e.connectorReflectanceDb}};
  std::sort(f.events.begin(), f.events.end(), [](const SyntheticEvent& x, const SyntheticEvent& y) {
    return x.positionM < y.positionM;
  });
  Trace t = makeTrace(f);
  if (steepSection) {
    // 0.22 dB/km more between the splice and the connector: the backscatter falls faster
    // there and stays that much lower beyond.
    const double from = std::min(at(kGeneratedSpliceM), at(kGeneratedConnectorM));
    const double to = std::max(at(kGeneratedSpliceM), at(kGeneratedConnectorM));
    for (std::size_t i = 0; i < t.size(); ++i) {
      const double x = std::clamp(t.distanceOf(i), from, to);
      t.levels[i] -= static_cast<std::int32_t>(std::llround(0.22 * (x - from)));
    }
  }
  const auto event = [](double x, double loss, std::optional<double> r, EventType type,
                        const char* code) {
    KeyEvent k;
    k.distanceM = x;
    k.spliceLossDb = loss;
    k.reflectanceDb = r;
    k.type = type;
    k.code = code;
    return k;
  };
  t.events.push_back(event(0, 0, -45.0, EventType::Launch, "1F9999LS"));
  for (const SyntheticEvent& s : f.events) {
    if (s.reflectanceDb)
      t.events.push_back(
          event(s.positionM, s.lossDb, s.reflectanceDb, EventType::Reflective, "1F9999LS"));
    else
      t.events.push_back(event(s.positionM, s.lossDb, std::nullopt,
                               s.lossDb < 0 ? EventType::Gainer : EventType::NonReflective,
                               "0F9999LS"));
  }
  t.events.push_back(event(kGeneratedLengthM, 0, -14.0, EventType::End, "1E9999LS"));
  t.identity.cable = "CABLE";
  t.identity.fiber = id;
  t.identity.locationA = fromB ? "END B" : "END A";
  t.identity.locationB = fromB ? "END A" : "END B";
  t.identity.dateTime = 1'765'000'000;
  return t;
}

// wavelengths: 1310 alone, or 1310 and 1550 (fibre 07's steep section shows at both).
// More than 12 fibres for a larger cable: those past 12 pass. Points 2 m apart unless
// spacingM says otherwise.
inline std::vector<GeneratedFibre> generatedCable(std::vector<double> wavelengths = {1310},
                                                  int fibres = kGeneratedFibres,
                                                  double spacingM = 2) {
  std::vector<GeneratedFibre> cable;
  for (int n = 1; n <= fibres; ++n) {
    GeneratedFibre fibre;
    char id[16];
    std::snprintf(id, sizeof id, "%02d", n);
    fibre.id = id;
    GeneratedEnd a;
    GeneratedEnd b;
    bool steep = false;
    switch (n) {
      case 3:
        a.spliceDb = b.spliceDb = 0.45;
        fibre.failure = cable::Item::SpliceLoss;
        fibre.failureDistance = kGeneratedSpliceM;
        break;
      case 5:
        a.connectorReflectanceDb = b.connectorReflectanceDb = -35;
        fibre.failure = cable::Item::Reflectance;
        fibre.failureDistance = kGeneratedConnectorM;
        break;
      case 7:
        steep = true;
        fibre.failure = cable::Item::Attenuation;
        fibre.failureDistance = kGeneratedSpliceM;
        break;
      case 9:
        a.spliceDb = -0.40;
        b.spliceDb = 0.60;
        fibre.passesOnlyByAverage = true;
        break;
      default:
        break;
    }
    for (std::size_t w = 0; w < wavelengths.size(); ++w) {
      const std::uint64_t seed = static_cast<std::uint64_t>(n * 10 + static_cast<int>(w));
      fibre.fromA.push_back(
          generatedTrace(fibre.id, 'A', wavelengths[w], a, steep, seed, spacingM));
      fibre.fromB.push_back(
          generatedTrace(fibre.id, 'B', wavelengths[w], b, steep, seed + 5, spacingM));
    }
    cable.push_back(std::move(fibre));
  }
  return cable;
}

// "CABLE_F01_AB.sor": the names our cable upload gives.
inline std::string generatedFileName(const GeneratedFibre& fibre, char end, double wavelengthNm,
                                     bool severalWavelengths) {
  std::string name = "CABLE_F" + fibre.id;
  if (severalWavelengths) name += "_" + std::to_string(static_cast<int>(wavelengthNm));
  return name + (end == 'A' ? "_AB.sor" : "_BA.sor");
}

// Writes the cable as SOR files into folder (which must exist), A and B of each fibre and
// wavelength, named as our cable upload names them; returns the paths in fibre order.
inline std::vector<std::filesystem::path> writeGeneratedCable(
    const std::filesystem::path& folder, const std::vector<GeneratedFibre>& fibres,
    const std::vector<double>& wavelengths = {1310}) {
  std::vector<std::filesystem::path> paths;
  for (const GeneratedFibre& f : fibres) {
    for (std::size_t w = 0; w < wavelengths.size(); ++w) {
      for (const char end : {'A', 'B'}) {
        const std::vector<std::uint8_t> bytes = WriteTraceSor(end == 'A' ? f.fromA[w] : f.fromB[w]);
        paths.push_back(folder / generatedFileName(f, end, wavelengths[w], wavelengths.size() > 1));
        std::ofstream out(paths.back(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
      }
    }
  }
  return paths;
}

}  // namespace tracelink::test
