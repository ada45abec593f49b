#include "cable/verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "analysis/analysis.h"
#include "measure/measure.h"

namespace tracelink::cable {

namespace {

// Events between the fibre's two ends: what lies before the launch is the launch cable or
// the front panel, what lies past the end is noise or a ghost.
bool insideFibre(double x, const compare::FibreEvents& f) {
  return x > f.startM && x < f.endM;
}

Judgement atMost(Item item, double value, double limit) {
  Judgement j;
  j.item = item;
  j.value = value;
  j.limit = limit;
  j.pass = value <= limit;
  return j;
}

Judgement atLeast(Item item, double value, double limit) {
  Judgement j = atMost(item, value, limit);
  j.pass = value >= limit;
  return j;
}

Judgement spliceJudgement(double lossDb, double limit) {
  // A gainer is a splice read from the wrong end: its size is what counts.
  Judgement j = atMost(Item::SpliceLoss, lossDb, limit);
  j.pass = std::abs(lossDb) <= limit;
  return j;
}

void byDistance(std::vector<Judgement>& items) {
  std::stable_sort(items.begin(), items.end(), [](const Judgement& a, const Judgement& b) {
    return a.distanceM.value_or(0) < b.distanceM.value_or(0);
  });
}

}  // namespace

bool Verdict::pass() const {
  return std::all_of(items.begin(), items.end(), [](const Judgement& j) { return j.pass; });
}

const Judgement* Verdict::firstFailure() const {
  const auto it =
      std::find_if(items.begin(), items.end(), [](const Judgement& j) { return !j.pass; });
  return it == items.end() ? nullptr : &*it;
}

std::vector<SectionFit> sectionFits(const Trace& trace, const compare::FibreEvents& events,
                                    const analysis::Analysis* ours) {
  std::vector<SectionFit> fits;
  if (trace.size() < 2 || !(trace.spacingM > 0)) return fits;
  std::vector<double> bounds{events.startM};
  for (const KeyEvent& e : events.events)
    if (insideFibre(e.distanceM, events)) bounds.push_back(e.distanceM);
  bounds.push_back(events.endM);
  std::sort(bounds.begin(), bounds.end());
  // Without a pulse width the trace says nothing of its dead zone; two points keep at least
  // the event's own step out of the fit.
  const double dead = std::max(deadZoneMetres(trace), 2 * trace.spacingM);
  // A strong reflection (above all the front panel's) takes far longer than two pulse
  // lengths to fall back to the backscatter: sample01's launch decays for 90 m, and a fit
  // from 20 m read 19 dB/km on a good fibre. Where our analysis sees the section's starting
  // event (the fibre's start: its launch), the fit starts after that event's dead zone.
  std::optional<analysis::Analysis> made;
  if (!ours) ours = &made.emplace(analysis::analyse(trace));
  const auto recovered = [&](std::size_t bound) {
    double at = bounds[bound] + 2 * dead;
    for (const analysis::Event& e : ours->events) {
      const bool same = bound == 0 ? e.kind == analysis::EventKind::Launch
                                   : std::fabs(e.distanceM - bounds[bound]) <= 2 * dead;
      if (same && e.deadZoneEndM < bounds[bound + 1] - dead) at = std::max(at, e.deadZoneEndM);
    }
    // Past that, the tail may still fall faster than any fibre: step on, window by window,
    // while one window's mean lies more than 0.01 dB + 2 dB/km above the next one's, and
    // at most to the section's middle.
    const auto window = static_cast<std::int64_t>(std::max(5.0, std::ceil(dead / trace.spacingM)));
    const double steepDb = 0.01 + 2.0 * static_cast<double>(window) * trace.spacingM / 1000.0;
    const double middle = (bounds[bound] + bounds[bound + 1]) / 2;
    const auto meanDb = [&](std::int64_t first) {
      double sum = 0;
      for (std::int64_t k = first; k < first + window; ++k) sum += trace.levels[k];
      return sum / static_cast<double>(window) / kMilliDbPerDb;
    };
    while (at < middle) {
      const double i = std::ceil((at - trace.originM) / trace.spacingM);
      if (!(i >= 0 && i + 2.0 * static_cast<double>(window) <= static_cast<double>(trace.size())))
        break;
      const auto first = static_cast<std::int64_t>(i);
      if (!(meanDb(first) - meanDb(first + window) > steepDb)) break;
      at += static_cast<double>(window) * trace.spacingM;
    }
    return at;
  };
  for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
    if (const std::optional<LineFit> fit = fitBetween(trace, recovered(i), bounds[i + 1] - dead))
      fits.push_back(SectionFit{bounds[i], bounds[i + 1], fit->dbPerKm()});
  }
  return fits;
}

Verdict judgeTrace(const Trace& trace, const compare::FibreEvents& events, const Limits& limits,
                   char direction, const analysis::Analysis* ours,
                   const std::vector<SectionFit>* fits) {
  // Made once, and only when a limit needs it.
  std::optional<analysis::Analysis> made;
  const auto analysed = [&]() -> const analysis::Analysis* {
    if (!ours) ours = &made.emplace(analysis::analyse(trace));
    return ours;
  };
  Verdict v;
  const double wavelength = trace.acquisition.wavelengthNm;
  for (std::size_t i = 0; i < events.events.size(); ++i) {
    const KeyEvent& e = events.events[i];
    if (!compare::isInner(e, events)) continue;
    std::vector<Judgement> found;
    if (compare::isSplice(e.type)) {
      if (limits.spliceLossMaxDb)
        found.push_back(spliceJudgement(e.spliceLossDb, *limits.spliceLossMaxDb));
    } else {
      if (limits.connectorLossMaxDb)
        found.push_back(atMost(Item::ConnectorLoss, e.spliceLossDb, *limits.connectorLossMaxDb));
      if (limits.reflectanceMaxDb && e.reflectanceDb)
        found.push_back(atMost(Item::Reflectance, *e.reflectanceDb, *limits.reflectanceMaxDb));
    }
    for (Judgement& j : found) {
      j.eventNo = static_cast<int>(i) + 1;
      j.distanceM = e.distanceM;
      v.items.push_back(j);
    }
  }
  if (const std::optional<double> limit = attenuationLimit(limits, wavelength)) {
    std::vector<SectionFit> fitted;
    if (!fits) fits = &(fitted = sectionFits(trace, events, analysed()));
    for (const SectionFit& s : *fits) {
      Judgement j = atMost(Item::Attenuation, s.dbPerKm, *limit);
      j.distanceM = s.fromM;
      v.items.push_back(j);
    }
  }
  byDistance(v.items);

  if (limits.linkLossMaxDb)
    v.items.push_back(atMost(Item::LinkLoss, events.totalLossDb, *limits.linkLossMaxDb));
  if (limits.orlMinDb) {
    std::optional<double> orl = trace.orlDb;
    if (!orl) orl = analysed()->orlDb;
    Judgement j = atLeast(Item::Orl, orl.value_or(0), *limits.orlMinDb);
    if (!orl) {
      j.measured = false;
      j.pass = false;
    }
    v.items.push_back(j);
  }
  if (limits.lengthMinM)
    v.items.push_back(atLeast(Item::LengthMin, events.lengthM(), *limits.lengthMinM));
  if (limits.lengthMaxM)
    v.items.push_back(atMost(Item::LengthMax, events.lengthM(), *limits.lengthMaxM));
  for (Judgement& j : v.items) {
    j.wavelengthNm = wavelength;
    j.direction = direction;
  }
  return v;
}

Verdict judgeBothEnds(const Trace& a, const Trace& b, const compare::BidirResult& both,
                      const Limits& limits, const analysis::Analysis* oursA,
                      const analysis::Analysis* oursB, const std::vector<SectionFit>* fitsA,
                      const std::vector<SectionFit>* fitsB) {
  Verdict fromA = judgeTrace(a, both.a, limits, 'A', oursA, fitsA);
  Verdict fromB = judgeTrace(b, both.b, limits, 'B', oursB, fitsB);
  const bool average = limits.useBidirectional && limits.spliceLossMaxDb;
  Verdict v;
  for (const Verdict* side : {&fromA, &fromB})
    for (const Judgement& j : side->items)
      if (!average || j.item != Item::SpliceLoss) v.items.push_back(j);
  if (!average) return v;

  // Each splice once, by the average where both ends see it; one seen from one end only
  // keeps that end's reading, for averaging it with a zero would halve a real loss.
  std::vector<Judgement> splices;
  for (const compare::BidirEvent& e : both.events) {
    if (!compare::isSplice(e.type)) continue;
    if (!e.lossAB && !e.lossBA) continue;
    Judgement j;
    if (e.lossAB && e.lossBA) {
      j = spliceJudgement(e.averageDb, *limits.spliceLossMaxDb);
      j.direction = '2';
    } else {
      j = spliceJudgement(e.lossAB ? *e.lossAB : *e.lossBA, *limits.spliceLossMaxDb);
      j.direction = e.lossAB ? 'A' : 'B';
    }
    j.eventNo = e.no;
    j.distanceM = e.distanceM;
    j.wavelengthNm = both.wavelengthNm;
    splices.push_back(j);
  }
  byDistance(splices);
  v.items.insert(v.items.end(), splices.begin(), splices.end());
  return v;
}

}  // namespace tracelink::cable
