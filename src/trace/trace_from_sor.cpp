#include "trace/trace_from_sor.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "sor/sor_values.h"
#include "trace/key_events.h"

namespace tracelink {

namespace {

// Stored thresholds of 0 or 65535 mean none was set.
std::optional<double> threshold(std::uint16_t stored, double dbPerUnit) {
  if (stored == 0 || stored == 0xFFFF) return std::nullopt;
  return stored * dbPerUnit;
}

// Reflectance as stored in 0.001 dB. Files write 0, or a "none" value at the bottom of the
// 32-bit range, where nothing was measured; a few makers store the magnitude positive,
// which a reflectance cannot be.
std::optional<double> reflectance(std::int32_t stored) {
  if (stored == 0 || stored == INT32_MIN || stored == INT32_MIN + 1) return std::nullopt;
  return -std::abs(static_cast<double>(stored)) / kMilliDbPerDb;
}

std::vector<std::int32_t> levelsOf(const sor::DataTrace& trace) {
  std::vector<std::int32_t> levels(trace.values.size());
  const std::uint16_t* v = trace.values.data();
  std::int32_t* out = levels.data();
  if (trace.scaleFactor == 1000) {
    for (std::size_t i = 0; i < levels.size(); ++i) out[i] = -static_cast<std::int32_t>(v[i]);
  } else {
    // value x scale factor / 1000 thousandths, to the nearest, halves to even.
    const std::int64_t scale = trace.scaleFactor;
    for (std::size_t i = 0; i < levels.size(); ++i) {
      const std::int64_t p = v[i] * scale;
      std::int64_t q = p / 1000;
      const std::int64_t r = p % 1000;
      if (r > 500 || (r == 500 && q % 2 != 0)) ++q;
      out[i] = -static_cast<std::int32_t>(q);
    }
  }
  return levels;
}

Identity identityOf(const sor::SorFile& file) {
  Identity id;
  if (file.genParams) {
    const sor::GenParams& g = *file.genParams;
    id.cable = g.cableId.text;
    id.fiber = g.fiberId.text;
    id.locationA = g.locationA.text;
    id.locationB = g.locationB.text;
    id.operatorName = g.operatorName.text;
    id.comment = g.comment.text;
  }
  if (file.supParams) {
    const sor::SupParams& s = *file.supParams;
    id.supplier = s.supplier.text;
    id.instrument = s.otdr.text;
    id.instrumentSerial = s.otdrSerial.text;
    id.module = s.module.text;
    id.moduleSerial = s.moduleSerial.text;
    id.software = s.software.text;
  }
  if (file.fxdParams && file.fxdParams->dateTime != 0) id.dateTime = file.fxdParams->dateTime;
  return id;
}

Acquisition acquisitionOf(const sor::SorFile& file, std::vector<std::string>& notes) {
  Acquisition a;
  const sor::FxdParams f = file.fxdParams.value_or(sor::FxdParams{});
  a.wavelengthNm = f.wavelength / 10.0;
  if (file.genParams && file.genParams->wavelengthNm != 0 &&
      std::fabs(a.wavelengthNm - file.genParams->wavelengthNm) > 50)
    notes.push_back("FxdParams gives the wavelength as " + std::to_string(f.wavelength / 10) + "." +
                    std::to_string(f.wavelength % 10) + " nm, GenParams as " +
                    std::to_string(file.genParams->wavelengthNm) + " nm");
  for (const std::uint16_t ns : f.pulseWidths) a.pulseWidthsNs.push_back(ns);
  a.groupIndex = sor::GroupIndex(f);
  if (f.groupIndex == 0) notes.push_back("FxdParams states no group index; distances use 1.4677");
  if (f.backscatter != 0) a.backscatterDb = -f.backscatter / 10.0;
  a.lossThresholdDb = threshold(f.lossThreshold, 0.001);
  a.reflectanceThresholdDb = threshold(f.reflectanceThreshold, -0.001);
  a.endThresholdDb = threshold(f.endOfFiberThreshold, 0.001);
  a.averages = f.averages;
  a.averagingTimeS = f.averagingTime;
  a.rangeM = sor::TimeToMetres(f.acquisitionRange, f);
  return a;
}

}  // namespace

double sorOriginM(const sor::SorFile& file) {
  const sor::FxdParams f = file.fxdParams.value_or(sor::FxdParams{});
  const std::int64_t frontPanel =
      f.frontPanelOffset > 0 ? f.frontPanelOffset : -static_cast<std::int64_t>(f.acquisitionOffset);
  const std::int64_t user = file.genParams ? file.genParams->userOffset : 0;
  const std::int64_t offset = frontPanel + user;
  return offset == 0 ? 0.0 : -sor::TimeToMetres(static_cast<double>(offset), f);
}

Trace TraceFromSor(const sor::SorFile& file) {
  Trace t;
  t.origin.format = TraceFormat::Sor;
  t.notes = file.notes;
  const sor::FxdParams fxd = file.fxdParams.value_or(sor::FxdParams{});
  if (!file.fxdParams) t.notes.push_back("the file has no FxdParams block");
  if (file.dataPts && !file.dataPts->traces.empty()) {
    t.levels = levelsOf(file.dataPts->traces.front());
  } else {
    t.notes.push_back("the file holds no data points");
  }
  t.spacingM = sor::SampleSpacingM(fxd);
  if (t.spacingM <= 0) t.notes.push_back("FxdParams states no data spacing");
  t.originM = sorOriginM(file);
  t.acquisition = acquisitionOf(file, t.notes);
  t.identity = identityOf(file);
  if (file.keyEvents) {
    t.events.reserve(file.keyEvents->events.size());
    for (const sor::KeyEvent& e : file.keyEvents->events) {
      KeyEvent k;
      k.distanceM = sor::TimeToMetres(e.time, fxd);
      k.spliceLossDb = e.spliceLoss / kMilliDbPerDb;
      k.reflectanceDb = reflectance(e.reflectance);
      k.code = e.code + e.technique;
      k.comment = e.comment.text;
      k.type = EventTypeOfCode(k.code, k.spliceLossDb);
      t.events.push_back(std::move(k));
    }
    MarkLaunch(t);
    // As with the ORL, a stored 0 is a total nobody computed: a fibre with events loses
    // something, and a 0 taken as measured would pass any link-loss limit unseen.
    if (file.keyEvents->totalLoss != 0) t.totalLossDb = file.keyEvents->totalLoss / kMilliDbPerDb;
    if (file.keyEvents->orl != 0) t.orlDb = file.keyEvents->orl / kMilliDbPerDb;
  }
  return t;
}

}  // namespace tracelink
