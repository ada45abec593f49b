#include "compare/bidir.h"

#include <algorithm>
#include <cmath>

#include "analysis/thresholds.h"
#include "compare/match.h"

namespace tracelink::compare {

namespace {

std::optional<double> lossOf(const KeyEvent* e) {
  if (!e) return std::nullopt;
  return e->spliceLossDb;
}

// At the fibre's ends only a launch connector with fibre behind it has a loss to measure:
// our analysis measures none at the launch, and an end that drops by the end threshold or
// more is the fibre's end into the noise, not a connector to another fibre.
std::optional<double> launchLoss(const KeyEvent* e, bool ours) {
  return ours ? std::nullopt : lossOf(e);
}
std::optional<double> endLoss(const KeyEvent* e, const Trace& trace) {
  if (!e) return std::nullopt;
  const double endDb = analysis::resolveThresholds(trace.acquisition, {}).endDb;
  if (e->type == EventType::End && !(e->spliceLossDb < endDb)) return std::nullopt;
  return e->spliceLossDb;
}

std::optional<double> worseReflectance(const KeyEvent* a, const KeyEvent* b) {
  std::optional<double> worst;
  for (const KeyEvent* e : {a, b})
    if (e && e->reflectanceDb && (!worst || *e->reflectanceDb > *worst)) worst = e->reflectanceDb;
  return worst;
}

// One event of the fibre from what each end saw of it (either may be missing).
BidirEvent eventOf(double distanceM, const KeyEvent* fromA, const KeyEvent* fromB,
                   std::optional<double> lossAB, std::optional<double> lossBA) {
  BidirEvent e;
  e.distanceM = distanceM;
  e.lossAB = lossAB;
  e.lossBA = lossBA;
  e.averageDb = (e.lossAB.value_or(0.0) + e.lossBA.value_or(0.0)) / 2.0;
  e.reflectanceDb = worseReflectance(fromA, fromB);
  e.oneDirection = e.lossAB.has_value() != e.lossBA.has_value();
  const auto reflective = [](const KeyEvent* k) { return k && k->type == EventType::Reflective; };
  // A splice that gains one way is a loss on average; only the average says which it is.
  if (reflective(fromA) || reflective(fromB)) {
    e.type = EventType::Reflective;
  } else {
    e.type = e.averageDb < 0 ? EventType::Gainer : EventType::NonReflective;
  }
  return e;
}

double firstPulseNs(const Trace& t) {
  return t.acquisition.pulseWidthsNs.empty() ? 0.0 : t.acquisition.pulseWidthsNs.front();
}

// What refuses a pair before its events are looked at.
std::optional<BidirProblem> refusedAtOnce(const Trace& a, const Trace& b) {
  BidirProblem problem;
  if (a.empty() || b.empty()) {
    problem.code = BidirRefusal::NoFibre;
    problem.side = a.empty() ? 'A' : 'B';
    return problem;
  }
  const double wavelengthA = a.acquisition.wavelengthNm;
  const double wavelengthB = b.acquisition.wavelengthNm;
  if (!(std::fabs(wavelengthA - wavelengthB) <= kSameWavelengthNm)) {
    problem.code = BidirRefusal::WavelengthsDiffer;
    problem.a = wavelengthA;
    problem.b = wavelengthB;
    return problem;
  }
  return std::nullopt;
}

}  // namespace

BidirOutcome bidirectional(const Trace& a, const Trace& b, const BidirOptions& options) {
  if (std::optional<BidirProblem> problem = refusedAtOnce(a, b)) return *problem;
  return bidirectional(a, b, fibreEvents(a, options.events), fibreEvents(b, options.events),
                       options);
}

BidirOutcome bidirectional(const Trace& a, const Trace& b, FibreEvents eventsA, FibreEvents eventsB,
                           const BidirOptions& options) {
  if (std::optional<BidirProblem> problem = refusedAtOnce(a, b)) return *problem;
  BidirProblem problem;
  BidirResult r;
  r.wavelengthNm = a.acquisition.wavelengthNm;
  r.toleranceM = matchToleranceM(options.toleranceM, a, b);
  r.a = std::move(eventsA);
  r.b = std::move(eventsB);
  const double lengthA = r.a.lengthM();
  const double lengthB = r.b.lengthM();
  for (const auto& [length, side] : {std::pair{lengthA, 'A'}, std::pair{lengthB, 'B'}}) {
    if (!(length > 0) || !std::isfinite(length)) {
      problem.code = BidirRefusal::NoFibre;
      problem.side = side;
      return problem;
    }
  }
  if (std::fabs(lengthA - lengthB) > r.toleranceM) {
    problem.code = BidirRefusal::LengthsDiffer;
    problem.a = lengthA;
    problem.b = lengthB;
    problem.toleranceM = r.toleranceM;
    return problem;
  }
  r.lengthM = (lengthA + lengthB) / 2.0;

  const FibreParts partsA = partsOf(r.a);
  const FibreParts partsB = partsOf(r.b);
  // B's events as A sees the fibre: what lies x from end B lies L - x from end A.
  std::vector<double> mirroredB(partsB.innerM.size());
  for (std::size_t j = 0; j < mirroredB.size(); ++j) mirroredB[j] = r.lengthM - partsB.innerM[j];
  const std::vector<std::optional<std::size_t>> pairs =
      matchNearest(partsA.innerM, mirroredB, r.toleranceM);

  std::vector<BidirEvent> inner;
  std::vector<bool> seenB(mirroredB.size(), false);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const KeyEvent* fromB = nullptr;
    if (pairs[i]) {
      fromB = partsB.inner[*pairs[i]];
      seenB[*pairs[i]] = true;
    }
    inner.push_back(
        eventOf(partsA.innerM[i], partsA.inner[i], fromB, lossOf(partsA.inner[i]), lossOf(fromB)));
  }
  for (std::size_t j = 0; j < mirroredB.size(); ++j)
    if (!seenB[j])
      inner.push_back(
          eventOf(mirroredB[j], nullptr, partsB.inner[j], std::nullopt, lossOf(partsB.inner[j])));
  std::stable_sort(inner.begin(), inner.end(), [](const BidirEvent& x, const BidirEvent& y) {
    return x.distanceM < y.distanceM;
  });

  // End A is A's launch and B's end; end B is A's end and B's launch.
  BidirEvent startA = eventOf(0.0, partsA.launch, partsB.end, launchLoss(partsA.launch, r.a.ours),
                              endLoss(partsB.end, b));
  startA.type = EventType::Launch;
  BidirEvent endB = eventOf(lengthA, partsA.end, partsB.launch, endLoss(partsA.end, a),
                            launchLoss(partsB.launch, r.b.ours));
  endB.type = EventType::End;
  r.events.push_back(startA);
  r.events.insert(r.events.end(), inner.begin(), inner.end());
  r.events.push_back(endB);
  for (std::size_t k = 0; k < r.events.size(); ++k) r.events[k].no = static_cast<int>(k + 1);

  r.totalLossAB = r.a.totalLossDb;
  r.totalLossBA = r.b.totalLossDb;
  r.totalLossDb = (r.totalLossAB + r.totalLossBA) / 2.0;
  const double pulseA = firstPulseNs(a);
  const double pulseB = firstPulseNs(b);
  // A trace that names no pulse width is no different one.
  if (pulseA > 0 && pulseB > 0 && std::fabs(pulseA - pulseB) > 0.5)
    r.warnings.push_back({BidirWarning::PulseWidthsDiffer, pulseA, pulseB});
  return r;
}

}  // namespace tracelink::compare
