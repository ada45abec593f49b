#include <algorithm>
#include <cmath>

#include "analysis/working.h"

namespace tracelink::analysis {

namespace {

constexpr double kLightSpeed = 299'792'458.0;
// Reflections at least this strong (or clipped) can send a ghost down the fibre.
constexpr double kStrongReflectanceDb = -40.0;

double finiteOr(double v, double fallback) {
  return std::isfinite(v) ? v : fallback;
}

// The LSA line of the fibre between two events, outside the first one's dead zone.
std::optional<LevelLine> sectionLine(const Working& w, std::size_t from, std::size_t to) {
  const std::size_t guard = guardBefore(*w.scan);
  to = to > guard ? to - guard : 0;
  if (to < from + 2) return std::nullopt;
  return fitLevels(w.trace->levels, from, to - from);
}

Event eventOf(const Working& w, const Found& f) {
  Event e;
  e.kind = f.kind;
  e.index = f.start;
  e.distanceM = w.trace->distanceOf(f.start);
  e.lossDb = finiteOr(f.lossDb, 0.0);
  if (f.reflectanceDb && std::isfinite(*f.reflectanceDb)) e.reflectanceDb = f.reflectanceDb;
  e.saturated = f.peak && f.peak->saturated && e.reflectanceDb;
  e.deadZoneEndM = w.trace->distanceOf(std::min(f.deadZoneEnd, w.scan->size() - 1));
  return e;
}

// A reflection at twice or three times a strong one's distance from the launch, with no
// loss of its own, is the strong one seen again after a second round trip.
void flagGhosts(const Working& w, Analysis& out) {
  const double pulseM = w.scan->pulseM();
  const double window = std::max({5.0, 2.0 * w.trace->spacingM, 1.5 * pulseM});
  const double origin = out.events.front().distanceM;
  for (std::size_t r = 1; r < out.events.size(); ++r) {
    Event& e = out.events[r];
    if (e.kind != EventKind::Reflective || std::fabs(e.lossDb) >= out.thresholds.spliceDb) continue;
    for (std::size_t s = 1; s < r; ++s) {
      const Event& strong = out.events[s];
      const bool isStrong = strong.reflectanceDb &&
                            (*strong.reflectanceDb >= kStrongReflectanceDb || strong.saturated);
      if (!isStrong || strong.kind == EventKind::Ghost) continue;
      const double d = strong.distanceM - origin;
      const double at = e.distanceM - origin;
      if (std::fabs(at - 2 * d) <= window || std::fabs(at - 3 * d) <= window) {
        e.kind = EventKind::Ghost;
        e.ghostOf = s;
        break;
      }
    }
  }
}

// Backscatter and reflections from the launch to the end, each sample's power relative
// to the backscatter at the launch, scaled by the coefficient per metre of fibre.
std::optional<double> returnLoss(const Working& w, double launchLevel, std::size_t to,
                                 double backscatterDb) {
  const Scan& scan = *w.scan;
  const std::size_t from = w.launch.peak.deadZoneEnd;
  if (to <= from) return std::nullopt;
  // Inside the launch's dead zone the backscatter is hidden under the front reflection:
  // taken at the launch level, with no loss yet.
  double sum = static_cast<double>(from - std::min(from, w.launch.start));
  // 10^(x / 5) as an exponential, which is quicker than pow for a million samples.
  const double perDb = std::log(10.0) / 5.0;
  for (std::size_t i = from; i < to; ++i) sum += std::exp((scan.y(i) - launchLevel) * perDb);
  const double metresPerNs = kLightSpeed * 1e-9 / (2.0 * w.groupIndex);
  const double power = sum * scan.spacingM() * std::pow(10.0, backscatterDb / 10.0) / metresPerNs;
  if (!(power > 0) || !std::isfinite(power)) return std::nullopt;
  return -10.0 * std::log10(power);
}

}  // namespace

void summarise(const Working& w, Analysis& out) {
  const Scan& scan = *w.scan;
  const Trace& trace = *w.trace;
  const std::size_t n = scan.size();
  out.events.clear();
  out.sections.clear();

  Event launch;
  launch.kind = EventKind::Launch;
  launch.index = w.launch.start;
  launch.distanceM = trace.distanceOf(w.launch.start);
  launch.deadZoneEndM = trace.distanceOf(std::min(w.launch.peak.deadZoneEnd, n - 1));
  out.events.push_back(launch);
  for (const Found& f : w.found) out.events.push_back(eventOf(w, f));

  // Sections, and the attenuation before each event.
  std::optional<LevelLine> first;
  double sum = 0;
  for (std::size_t k = 1; k < out.events.size(); ++k) {
    const std::size_t from = k == 1 ? w.launch.peak.deadZoneEnd : w.found[k - 2].deadZoneEnd;
    const std::optional<LevelLine> line = sectionLine(w, from, out.events[k].index);
    if (k == 1) first = line;
    Section s;
    s.fromM = out.events[k - 1].distanceM;
    s.toM = out.events[k].distanceM;
    s.dbPerKm = line ? finiteOr(-line->slopeDbPerSample / scan.spacingM() * 1000.0, 0.0) : 0.0;
    s.lossDb = finiteOr(s.dbPerKm * (s.toM - s.fromM) / 1000.0, 0.0);
    out.events[k].sectionDbPerKm = s.dbPerKm;
    out.sections.push_back(s);
    sum += s.lossDb;
    if (out.events[k].kind != EventKind::End) sum += out.events[k].lossDb;
  }
  out.totalLossDb = finiteOr(sum, 0.0);
  const double last = w.endFound ? out.events.back().distanceM : trace.lastDistanceM();
  out.lengthM = finiteOr(last - launch.distanceM, 0.0);

  // The launch's own reflection, against the backscatter the first section shows there.
  if (first && w.launch.reflection) {
    const std::size_t top = w.launch.peak.top;
    out.events.front().reflectanceDb = reflectanceOf(
        scan.y(top) - first->at(static_cast<double>(top)), w.pulseNs, w.backscatterDb);
    out.events.front().saturated =
        w.launch.peak.saturated && out.events.front().reflectanceDb.has_value();
  }
  if (first) {
    // The end's reflection counts; the receiver's recovery after it does not.
    std::size_t to = n;
    if (w.endFound) {
      const Found& end = w.found.back();
      to = std::min(n, end.start + 3 * scan.pulseSamples() + 2);
    }
    out.orlDb =
        returnLoss(w, first->at(static_cast<double>(w.launch.start)), to, out.backscatter.db);
  }
  flagGhosts(w, out);
}

}  // namespace tracelink::analysis
