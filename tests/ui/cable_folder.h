#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cable/generated_cable.h"
#include "sor/sor_file.h"
#include "sor/sor_io.h"
#include "sor/sor_values.h"
#include "trace/trace.h"

namespace tracelink::test {

// A trace as the SOR file an instrument would write of it: the identity, wavelength, pulse,
// spacing, key events and levels that reading it back gives.
inline std::vector<std::uint8_t> sorBytesOf(const Trace& t) {
  const double index = t.acquisition.groupIndex > 0 ? t.acquisition.groupIndex : 1.4677;
  const auto time100ps = [index](double m) {
    return std::llround(m * index / sor::kVacuumLightSpeed / 1e-10);
  };
  sor::SorFile f;
  sor::GenParams g;
  g.cableId = t.identity.cable;
  g.fiberId = t.identity.fiber;
  g.locationA = t.identity.locationA;
  g.locationB = t.identity.locationB;
  g.wavelengthNm = static_cast<std::uint16_t>(std::lround(t.acquisition.wavelengthNm));
  f.genParams = g;
  sor::FxdParams x;
  x.dateTime = static_cast<std::uint32_t>(t.identity.dateTime.value_or(0));
  x.wavelength = static_cast<std::uint16_t>(std::lround(t.acquisition.wavelengthNm * 10));
  for (const double ns : t.acquisition.pulseWidthsNs)
    x.pulseWidths.push_back(static_cast<std::uint16_t>(std::lround(ns)));
  x.dataSpacing = {static_cast<std::uint32_t>(
      std::llround(t.spacingM * index / sor::kVacuumLightSpeed / 1e-14))};
  x.pointCounts = {static_cast<std::uint32_t>(t.size())};
  x.groupIndex = static_cast<std::uint32_t>(std::lround(index * 100000));
  x.acquisitionRange = static_cast<std::uint32_t>(time100ps(t.lastDistanceM()));
  f.fxdParams = x;
  sor::KeyEvents k;
  for (std::size_t i = 0; i < t.events.size(); ++i) {
    const KeyEvent& e = t.events[i];
    sor::KeyEvent s;
    s.number = static_cast<std::uint16_t>(i + 1);
    s.time = static_cast<std::uint32_t>(time100ps(e.distanceM));
    s.spliceLoss = static_cast<std::int16_t>(std::lround(e.spliceLossDb * 1000));
    s.reflectance =
        e.reflectanceDb ? static_cast<std::int32_t>(std::lround(*e.reflectanceDb * 1000)) : 0;
    s.code = e.code.size() >= 6 ? e.code.substr(0, 6) : "0F9999";
    k.events.push_back(s);
  }
  f.keyEvents = k;
  sor::DataPts d;
  sor::DataTrace values;
  for (const std::int32_t level : t.levels)
    values.values.push_back(static_cast<std::uint16_t>(std::clamp(-level, 0, 65535)));
  d.pointCount = static_cast<std::uint32_t>(t.size());
  d.traces = {values};
  f.dataPts = d;
  const auto block = [](const char* name, sor::BlockKind kind) {
    sor::Block b;
    b.ref.name = name;
    b.ref.version = 200;
    b.kind = kind;
    return b;
  };
  f.blocks = {block("GenParams", sor::BlockKind::GenParams),
              block("FxdParams", sor::BlockKind::FxdParams),
              block("KeyEvents", sor::BlockKind::KeyEvents),
              block("DataPts", sor::BlockKind::DataPts), block("Cksum", sor::BlockKind::Cksum)};
  return sor::WriteSor(f);
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// The generated cable as a folder of SOR files named as our cable upload names them; the
// paths written, in the cable's order.
inline std::vector<std::filesystem::path> writeGeneratedCable(
    const std::filesystem::path& folder, const std::vector<GeneratedFibre>& cable,
    const std::vector<double>& wavelengths) {
  std::filesystem::create_directories(folder);
  std::vector<std::filesystem::path> paths;
  for (const GeneratedFibre& fibre : cable) {
    for (std::size_t w = 0; w < wavelengths.size(); ++w) {
      for (const char end : {'A', 'B'}) {
        const Trace& t = end == 'A' ? fibre.fromA[w] : fibre.fromB[w];
        paths.push_back(folder /
                        generatedFileName(fibre, end, wavelengths[w], wavelengths.size() > 1));
        writeBytes(paths.back(), sorBytesOf(t));
      }
    }
  }
  return paths;
}

}  // namespace tracelink::test
