#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/synthetic_trace.h"

namespace tracelink::test {

// The synthetic families the analysis is held to, shared by the tests and by the accuracy
// program: backscatter at a chosen attenuation, splices of +-0.02 to 1 dB, connectors of
// -30 to -60 dB, a reflective or non-reflective end, noise in linear power, at several
// spacings and pulse widths, with and without smoothing.

inline constexpr double kFamilySpliceDb = 0.05;

struct Family {
  std::string name;
  SyntheticFibre fibre;
};

// One fibre: events a fixed number of pulse lengths apart, the end, and the trace running
// on past it into the noise. `variant` turns the losses, the connectors' reflectances,
// the end's kind, the noise (the far end 22 or 14 dB above it) and the smoothing.
inline Family family(double spacingM, double pulseNs, int variant, bool withEvents = true) {
  Family f;
  SyntheticFibre& s = f.fibre;
  s.spacingM = spacingM;
  s.pulseNs = pulseNs;
  s.seed = 1000 + static_cast<std::uint64_t>(variant) * 7919 +
           static_cast<std::uint64_t>(spacingM * 100) * 31 + static_cast<std::uint64_t>(pulseNs);
  const double lp = pulseLengthM(s);
  const double apart = std::max(40 * lp, 200 * spacingM);
  static constexpr double kLosses[] = {0.1, -0.1, 0.25, 0.5, 1.0, 0.15, -0.2, 0.3, 0.02, -0.02};
  double x = apart;
  double lost = 0;
  if (withEvents) {
    for (int k = 0; k < 10; ++k, x += apart) {
      SyntheticEvent e;
      e.positionM = x + 0.37 * spacingM;  // between samples
      e.lossDb = kLosses[(k + variant) % 10];
      if (k % 3 == 2) {
        e.reflectanceDb = -30.0 - 10.0 * ((k + variant) % 4);
        e.lossDb = std::fabs(e.lossDb);
      }
      lost += e.lossDb;
      s.events.push_back(e);
    }
  } else {
    x = 10 * apart;
  }
  s.lengthM = x;
  s.traceM = x * 1.3;
  if (variant % 2 == 0) s.endReflectanceDb.reset();
  const double farEnd = s.launchDb - s.attenuationDbPerKm * s.lengthM / 1000.0 - lost;
  s.noiseFloorDb = farEnd - (variant < 2 ? 22.0 : 14.0);
  s.smoothingM = variant == 3 ? 0.1 * lp : 0.0;
  f.name = std::string(withEvents ? "" : "clean ") + std::to_string(spacingM) + " m, " +
           std::to_string(static_cast<int>(pulseNs)) + " ns, variant " + std::to_string(variant);
  return f;
}

// Every spacing with every pulse at least a sample long, in every variant.
inline std::vector<Family> allFamilies() {
  std::vector<Family> out;
  for (const double h : {0.25, 0.5, 1.0, 2.0, 4.0})
    for (const double pw : {10.0, 30.0, 100.0, 300.0, 1000.0})
      for (int variant = 0; variant < 4; ++variant) {
        SyntheticFibre probe;
        probe.spacingM = h;
        probe.pulseNs = pw;
        if (pulseLengthM(probe) < 0.99 * h) continue;
        out.push_back(family(h, pw, variant));
      }
  return out;
}

// How one analysis of a family fares against its truth.
struct FamilyScore {
  std::size_t wanted = 0;  // events at least twice the threshold (or reflective, or
                           // the end) standing 10 dB above the noise
  std::size_t wantedFound = 0;
  std::size_t found = 0;         // any true event matched
  std::size_t placed = 0;        // of those, within one sample plus 10 % of the pulse length
  std::size_t measured = 0;      // non-end events matched, standing 20 dB above the noise
  std::size_t measuredWell = 0;  // of those, loss within 0.02 dB
  std::size_t extra = 0;         // events of ours at no true event
  double worstPlacementM = 0;
  double worstLossDb = 0;
};

inline FamilyScore scoreFamily(const SyntheticFibre& f, const analysis::Analysis& a) {
  FamilyScore score;
  const double lp = pulseLengthM(f);
  const double window = std::max({5.0, 2.0 * f.spacingM, 1.5 * lp});
  const double tolerance = f.spacingM + 0.1 * lp;
  std::vector<bool> used(a.events.size(), false);
  double lost = 0;
  const auto check = [&](double position, double lossDb, bool reflective, bool end) {
    const double level = f.launchDb - f.attenuationDbPerKm * position / 1000.0 - lost;
    const double aboveNoise = level - f.noiseFloorDb;
    const bool wanted =
        (end || reflective || std::fabs(lossDb) >= 2 * kFamilySpliceDb) && aboveNoise >= 10.0;
    score.wanted += wanted;
    std::size_t best = a.events.size();
    for (std::size_t i = 1; i < a.events.size(); ++i) {
      if (used[i] || std::fabs(a.events[i].distanceM - position) > window) continue;
      if (best == a.events.size() || std::fabs(a.events[i].distanceM - position) <
                                         std::fabs(a.events[best].distanceM - position))
        best = i;
    }
    if (best == a.events.size()) return;
    used[best] = true;
    ++score.found;
    score.wantedFound += wanted;
    const double off = std::fabs(a.events[best].distanceM - position);
    score.placed += off <= tolerance;
    score.worstPlacementM = std::max(score.worstPlacementM, off);
    if (!end && aboveNoise >= 20.0) {
      ++score.measured;
      const double diff = std::fabs(a.events[best].lossDb - lossDb);
      score.measuredWell += diff <= 0.02;
      score.worstLossDb = std::max(score.worstLossDb, diff);
    }
  };
  for (const SyntheticEvent& e : f.events) {
    check(e.positionM, e.lossDb, e.reflectanceDb.has_value(), false);
    lost += e.lossDb;
  }
  check(f.lengthM, 0, f.endReflectanceDb.has_value(), true);
  for (std::size_t i = 1; i < a.events.size(); ++i) score.extra += !used[i];
  return score;
}

}  // namespace tracelink::test
