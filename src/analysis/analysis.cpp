#include "analysis/analysis.h"

#include <algorithm>
#include <cmath>

#include "analysis/working.h"

namespace tracelink::analysis {

namespace {

constexpr double kLightSpeed = 299'792'458.0;
// The group index of standard single-mode fibre, for traces that name none.
constexpr double kUsualGroupIndex = 1.4677;
// Fewer samples than this hold no event worth a line on either side.
constexpr std::size_t kFewestSamples = 16;

// The pulse the trace names, or one two samples long when it names none.
double pulseOf(const Trace& trace, double groupIndex, bool& assumed) {
  const auto& widths = trace.acquisition.pulseWidthsNs;
  assumed = widths.empty() || !(widths.front() > 0) || !std::isfinite(widths.front()) ||
            widths.front() > 1e6;
  if (!assumed) return widths.front();
  return 2.0 * trace.spacingM * 2.0 * groupIndex / kLightSpeed * 1e9;
}

void classify(const Working& w, std::vector<Found>& found) {
  for (std::size_t k = 0; k < found.size(); ++k) {
    Found& f = found[k];
    if (w.endFound && k + 1 == found.size()) {
      f.kind = EventKind::End;
    } else if (reflective(w, f)) {
      f.kind = EventKind::Reflective;
    } else {
      f.kind = f.lossDb < 0 ? EventKind::Gainer : EventKind::NonReflective;
      f.reflectanceDb.reset();
    }
  }
}

}  // namespace

const char* kindName(EventKind kind) {
  switch (kind) {
    case EventKind::Launch:
      return "launch";
    case EventKind::Reflective:
      return "reflective";
    case EventKind::NonReflective:
      return "non-reflective";
    case EventKind::Gainer:
      return "gainer";
    case EventKind::End:
      return "end";
    case EventKind::Ghost:
      break;
  }
  return "ghost";
}

Analysis analyse(const Trace& trace, const ThresholdRequest& request) {
  Analysis out;
  out.thresholds = resolveThresholds(trace.acquisition, request);
  out.endDbApplied = out.thresholds.endDb;
  out.backscatter = backscatterFor(trace.acquisition);
  const double gi = trace.acquisition.groupIndex;
  const double groupIndex = std::isfinite(gi) && gi >= 1.0 && gi <= 2.0 ? gi : kUsualGroupIndex;
  const bool geometry = std::isfinite(trace.spacingM) && trace.spacingM > 1e-6 &&
                        trace.spacingM < 1e6 && std::isfinite(trace.originM) &&
                        std::fabs(trace.originM) < 1e9;
  out.pulseWidthNs = geometry ? pulseOf(trace, groupIndex, out.pulseWidthAssumed) : 0.0;
  if (!geometry || trace.size() < kFewestSamples) return out;

  const Scan scan(trace, out.pulseWidthNs, groupIndex);
  Working work;
  work.trace = &trace;
  work.scan = &scan;
  work.pulseNs = out.pulseWidthNs;
  work.groupIndex = groupIndex;
  work.backscatterDb = out.backscatter.db;
  work.thresholds = out.thresholds;
  work.heights = heightsAboveLine(scan);
  work.slope = localSlopes(scan);
  work.stepNoise = stepNoise(scan, work.slope);
  work.launch = findLaunch(scan, work.heights);
  work.floor = floorAfter(scan);
  work.found = findEvents(work);

  const EndSearch search = findEnd(work);
  out.noiseFloorDb = search.floorDb;
  if (search.end) {
    work.found.resize(search.end->index + 1);
    work.endFound = true;
    out.endDbApplied = search.end->thresholdDb;
    measureEvent(work, work.found, work.found.size() - 1);
    // Past the end there is no backscatter to draw a line through: the end loses what
    // the trace drops to.
    work.found.back().lossDb = search.end->dropDb;
  }
  classify(work, work.found);
  summarise(work, out);
  return out;
}

}  // namespace tracelink::analysis
