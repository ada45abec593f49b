#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "measure/measure.h"
#include "record/trace_record.h"
#include "record/units.h"
#include "trace/trace_from_record.h"

namespace tracelink::test {

// A 48000-sample trace whose level (dB) at each sample's distance comes from a function,
// stored in hundredths as the instrument stores it, behind a header whose StartPoint is
// `startPoint`, and the Trace it gives.
struct SyntheticTrace {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow view;
  DecodedValues decoded;
  Trace trace;

  SyntheticTrace(const std::function<double(double metres)>& levelDb, std::int32_t startPoint = 1,
                 std::int32_t pulseIndex = 6, std::int32_t samples = 48000) {
    const std::int32_t first = startPoint == 0 ? 1 : startPoint;
    for (std::int64_t s = 0; s <= samples && first - 1 + s < kRecordWords; ++s)
      (*record)[static_cast<std::size_t>(first - 1 + s)] =
          nearest(levelDb(SampleToMetresExact(static_cast<double>(s))) * 100.0);
    header.StartPoint = startPoint;
    header.RangeLine = 50000;
    view.FullRangeStart = 0;
    view.FullRangeEnd = samples;
    decoded.PulseIndex = pulseIndex;
    rebuild();
  }

  // After a change to the record, header or decoded values.
  void rebuild() { trace = TraceFromRecord(*record, header, view, decoded); }

  // The instrument's events at these distances.
  void events(std::initializer_list<double> distancesM) {
    trace.events.clear();
    for (const double m : distancesM) {
      KeyEvent e;
      e.distanceM = m;
      trace.events.push_back(e);
    }
  }
};

inline double metresPerSample() {
  return kLightSpeed / 2.0 / kIor;
}

}  // namespace tracelink::test
