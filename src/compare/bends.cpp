#include "compare/bends.h"

#include <algorithm>
#include <cmath>

#include "compare/match.h"

namespace tracelink::compare {

BendOutcome findBends(const Trace& first, const Trace& second, const BendOptions& options) {
  const double firstNm = first.acquisition.wavelengthNm;
  const double secondNm = second.acquisition.wavelengthNm;
  if (!(std::fabs(firstNm - secondNm) > kSameWavelengthNm))
    return BendProblem{BendRefusal::SameWavelength, firstNm};

  BendResult r;
  r.firstIsShort = firstNm < secondNm;
  const Trace& shorter = r.firstIsShort ? first : second;
  const Trace& longer = r.firstIsShort ? second : first;
  r.shortNm = shorter.acquisition.wavelengthNm;
  r.longNm = longer.acquisition.wavelengthNm;
  r.deltaDb = std::isfinite(options.deltaDb) ? options.deltaDb : kDefaultBendDeltaDb;
  r.toleranceM = matchToleranceM(options.toleranceM, first, second);

  const FibreEvents shortEvents = fibreEvents(shorter, options.events);
  const FibreEvents longEvents = fibreEvents(longer, options.events);
  const FibreParts s = partsOf(shortEvents);
  const FibreParts l = partsOf(longEvents);
  const std::vector<std::optional<std::size_t>> pairs =
      matchNearest(s.innerM, l.innerM, r.toleranceM);
  std::vector<bool> seenLong(l.inner.size(), false);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    BendEvent e;
    e.distanceM = s.innerM[i];
    e.lossShortDb = s.inner[i]->spliceLossDb;
    if (pairs[i]) {
      e.lossLongDb = l.inner[*pairs[i]]->spliceLossDb;
      seenLong[*pairs[i]] = true;
    }
    r.events.push_back(e);
  }
  for (std::size_t j = 0; j < l.inner.size(); ++j) {
    if (seenLong[j]) continue;
    BendEvent e;
    e.distanceM = l.innerM[j];
    e.lossLongDb = l.inner[j]->spliceLossDb;
    r.events.push_back(e);
  }
  std::stable_sort(r.events.begin(), r.events.end(), [](const BendEvent& x, const BendEvent& y) {
    return x.distanceM < y.distanceM;
  });
  for (std::size_t k = 0; k < r.events.size(); ++k) {
    BendEvent& e = r.events[k];
    e.no = static_cast<int>(k + 1);
    // A bend often stays under the splice threshold at the shorter wavelength, so an event
    // seen at the longer one only counts its whole loss against nothing.
    if (e.lossLongDb) e.bend = *e.lossLongDb - e.lossShortDb.value_or(0.0) > r.deltaDb;
  }
  return r;
}

}  // namespace tracelink::compare
