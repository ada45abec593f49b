#include "trace/trace_to_sor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "record/units.h"
#include "record/version.h"
#include "sor/sor_io.h"
#include "sor/sor_values.h"

namespace tracelink {

namespace {

template <typename T>
T clamped(double v) {
  if (!std::isfinite(v)) return T{};
  const double lo = static_cast<double>(std::numeric_limits<T>::min());
  const double hi = static_cast<double>(std::numeric_limits<T>::max());
  return static_cast<T>(std::llround(std::clamp(v, lo, hi)));
}

// The code an event is written with: its own where it is one (six characters and a
// two-letter technique), else one made from its type.
void codeOf(const KeyEvent& e, sor::KeyEvent& out) {
  if (e.code.size() == 8) {
    out.code = e.code.substr(0, 6);
    out.technique = e.code.substr(6);
    return;
  }
  const bool reflects =
      e.type == EventType::Reflective ||
      ((e.type == EventType::Launch || e.type == EventType::End) && e.reflectanceDb.has_value());
  const char what = e.type == EventType::End ? 'E' : 'F';
  out.code = std::string(1, reflects ? '1' : '0') + what + "9999";
  out.technique = "LS";
}

sor::Block known(const char* name, sor::BlockKind kind) {
  sor::Block b;
  b.ref = sor::BlockRef{name, 200, 0};
  b.kind = kind;
  return b;
}

}  // namespace

std::vector<std::uint8_t> WriteTraceSor(const Trace& trace) {
  const double groupIndex = trace.acquisition.groupIndex > 0 ? trace.acquisition.groupIndex : kIor;
  sor::SorFile file;
  file.version = 2;
  file.mapVersion = 200;

  sor::GenParams g;
  g.cableId = sor::SorString(trace.identity.cable);
  g.fiberId = sor::SorString(trace.identity.fiber);
  g.wavelengthNm = clamped<std::uint16_t>(trace.acquisition.wavelengthNm);
  g.locationA = sor::SorString(trace.identity.locationA);
  g.locationB = sor::SorString(trace.identity.locationB);
  g.operatorName = sor::SorString(trace.identity.operatorName);
  g.comment = sor::SorString(trace.identity.comment);
  file.genParams = g;

  sor::SupParams s;
  s.supplier = sor::SorString(trace.identity.supplier);
  s.otdr = sor::SorString(trace.identity.instrument);
  s.otdrSerial = sor::SorString(trace.identity.instrumentSerial);
  s.module = sor::SorString(trace.identity.module);
  s.moduleSerial = sor::SorString(trace.identity.moduleSerial);
  s.software = sor::SorString(trace.identity.software.empty() ? std::string(kProgramAndVersion)
                                                              : trace.identity.software);
  file.supParams = s;

  sor::FxdParams f;
  f.dateTime = clamped<std::uint32_t>(static_cast<double>(trace.identity.dateTime.value_or(0)));
  f.units = "mt";
  f.wavelength = clamped<std::uint16_t>(trace.acquisition.wavelengthNm * 10);
  for (const double ns : trace.acquisition.pulseWidthsNs)
    f.pulseWidths.push_back(clamped<std::uint16_t>(ns));
  if (f.pulseWidths.empty()) f.pulseWidths.push_back(0);
  f.dataSpacing = {clamped<std::uint32_t>(sor::MetresToTime(trace.spacingM, groupIndex) * 1e4)};
  f.pointCounts = {static_cast<std::uint32_t>(trace.size())};
  f.groupIndex = clamped<std::uint32_t>(groupIndex * 100000);
  if (trace.acquisition.backscatterDb)
    f.backscatter = clamped<std::uint16_t>(-*trace.acquisition.backscatterDb * 10);
  f.averages = trace.acquisition.averages;
  f.averagingTime = clamped<std::uint16_t>(trace.acquisition.averagingTimeS);
  f.acquisitionRange =
      clamped<std::uint32_t>(sor::MetresToTime(trace.acquisition.rangeM, groupIndex));
  // Point 0 lies at originM: before the events' zero as a front-panel offset, after it as
  // an acquisition offset.
  if (trace.originM < 0)
    f.frontPanelOffset = clamped<std::int32_t>(sor::MetresToTime(-trace.originM, groupIndex));
  else
    f.acquisitionOffset = clamped<std::int32_t>(sor::MetresToTime(trace.originM, groupIndex));
  f.noiseFloorScale = 1000;
  if (trace.acquisition.lossThresholdDb)
    f.lossThreshold = clamped<std::uint16_t>(*trace.acquisition.lossThresholdDb * 1000);
  if (trace.acquisition.reflectanceThresholdDb)
    f.reflectanceThreshold =
        clamped<std::uint16_t>(-*trace.acquisition.reflectanceThresholdDb * 1000);
  if (trace.acquisition.endThresholdDb)
    f.endOfFiberThreshold = clamped<std::uint16_t>(*trace.acquisition.endThresholdDb * 1000);
  file.fxdParams = f;

  sor::KeyEvents k;
  std::uint16_t number = 0;
  for (const KeyEvent& e : trace.events) {
    sor::KeyEvent out;
    out.number = ++number;
    out.time = clamped<std::uint32_t>(sor::MetresToTime(e.distanceM, groupIndex));
    out.spliceLoss = clamped<std::int16_t>(e.spliceLossDb * 1000);
    out.reflectance = e.reflectanceDb ? clamped<std::int32_t>(*e.reflectanceDb * 1000) : 0;
    codeOf(e, out);
    out.comment = sor::SorString(e.comment);
    k.events.push_back(std::move(out));
  }
  k.totalLoss = clamped<std::int32_t>(trace.totalLossDb.value_or(0) * 1000);
  k.orl = clamped<std::uint16_t>(trace.orlDb.value_or(0) * 1000);
  file.keyEvents = std::move(k);

  sor::DataTrace d;
  d.scaleFactor = 1000;
  const std::int32_t top =
      trace.empty() ? 0 : std::max(0, *std::max_element(trace.levels.begin(), trace.levels.end()));
  d.values.reserve(trace.size());
  for (const std::int32_t level : trace.levels)
    d.values.push_back(static_cast<std::uint16_t>(
        std::clamp<std::int64_t>(static_cast<std::int64_t>(top) - level, 0, 65535)));
  sor::DataPts p;
  p.pointCount = static_cast<std::uint32_t>(trace.size());
  p.traces.push_back(std::move(d));
  file.dataPts = std::move(p);

  file.blocks = {
      known("GenParams", sor::BlockKind::GenParams), known("SupParams", sor::BlockKind::SupParams),
      known("FxdParams", sor::BlockKind::FxdParams), known("KeyEvents", sor::BlockKind::KeyEvents),
      known("DataPts", sor::BlockKind::DataPts),     known("Cksum", sor::BlockKind::Cksum)};
  return sor::WriteSor(file);
}

}  // namespace tracelink
