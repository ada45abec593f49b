#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>

#include "measure/measure.h"
#include "record/trace_record.h"
#include "record/units.h"

namespace tracelink::test {

// A 48000-sample trace whose level (dB) at each sample's distance comes from a function,
// stored in hundredths as the instrument stores it, behind a header whose StartPoint is
// `startPoint`.
struct SyntheticTrace {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  MeasureTrace trace;

  SyntheticTrace(const std::function<double(double metres)>& levelDb, std::int32_t startPoint = 1,
                 std::int32_t pulseIndex = 6, std::int32_t samples = 48000) {
    const std::int32_t first = startPoint == 0 ? 1 : startPoint;
    for (std::int64_t s = 0; s <= samples && first - 1 + s < kRecordWords; ++s)
      (*record)[static_cast<std::size_t>(first - 1 + s)] =
          nearest(levelDb(SampleToMetresExact(static_cast<double>(s))) * 100.0);
    trace.record = record.get();
    trace.startPoint = startPoint;
    trace.rangeLine = 50000;
    trace.fullRangeStart = 0;
    trace.fullRangeEnd = samples;
    trace.pulseIndex = pulseIndex;
  }
};

inline double metresPerSample() {
  return kLightSpeed / 2.0 / kIor;
}

}  // namespace tracelink::test
