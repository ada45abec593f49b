// TraceFromSor on the shared samples (against what three independent readers agree on) and
// on files made for one rule at a time.
#include "trace/trace_from_sor.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "sor/expected_samples.h"
#include "sor/sor_io.h"
#include "sor/sor_test_support.h"
#include "sor/sor_values.h"
#include "trace/key_events.h"

namespace tracelink {
namespace {

using sor::testing::expectedSamples;
using sor::testing::readBytes;
using sor::testing::samplePath;

sor::SorFile readSample(const std::string& name) {
  const std::vector<std::uint8_t> bytes = readBytes(samplePath(name));
  Result<sor::SorFile> file = sor::ReadSor(bytes);
  EXPECT_TRUE(file.ok()) << name;
  return file.ok() ? std::move(*file) : sor::SorFile{};
}

char letter(EventType t) {
  switch (t) {
    case EventType::Launch:
      return 'L';
    case EventType::Reflective:
      return 'R';
    case EventType::NonReflective:
      return 'N';
    case EventType::Gainer:
      return 'G';
    case EventType::End:
      return 'E';
  }
  return '?';
}

TEST(TraceFromSor, AgreesWithTheIndependentReadersOnEverySample) {
  for (const auto& x : expectedSamples()) {
    SCOPED_TRACE(x.file);
    const Trace t = TraceFromSor(readSample(x.file));
    ASSERT_EQ(t.size(), static_cast<std::size_t>(x.points));
    EXPECT_NEAR(t.spacingM, x.sampleSpacingM, 5e-7);
    EXPECT_DOUBLE_EQ(t.acquisition.groupIndex, x.ior);
    EXPECT_DOUBLE_EQ(t.acquisition.wavelengthNm, x.wavelengthNm);
    ASSERT_FALSE(t.acquisition.pulseWidthsNs.empty());
    EXPECT_EQ(t.acquisition.pulseWidthsNs.front(), x.pulseWidthNs);
    EXPECT_DOUBLE_EQ(t.levelDb(0), x.firstLevelDb);
    EXPECT_DOUBLE_EQ(t.levelDb(t.size() - 1), x.lastLevelDb);
    const auto [lo, hi] = std::minmax_element(t.levels.begin(), t.levels.end());
    EXPECT_DOUBLE_EQ(*lo / kMilliDbPerDb, x.minLevelDb);
    EXPECT_DOUBLE_EQ(*hi / kMilliDbPerDb, x.maxLevelDb);
    // A stored total of 0 is one the instrument did not compute: the trace states none.
    EXPECT_EQ(t.totalLossDb.has_value(), x.hasKeyEvents && x.totalLossDb != 0);
    if (t.totalLossDb) {
      EXPECT_DOUBLE_EQ(*t.totalLossDb, x.totalLossDb);
    }
    ASSERT_EQ(t.events.size(), x.events.size());
    for (std::size_t i = 0; i < t.events.size(); ++i) {
      const KeyEvent& e = t.events[i];
      const auto& want = x.events[i];
      // The readers agree to 0.5 m (one of them gives version 1 distances in whole metres).
      EXPECT_NEAR(e.distanceM, want.distanceM, 0.5) << i;
      EXPECT_DOUBLE_EQ(e.spliceLossDb, want.spliceLossDb) << i;
      EXPECT_EQ(e.code, want.code) << i;
      // 0 and the bottom of the 32-bit range mean none; a positive magnitude is a loss.
      if (want.reflectanceDb == 0 || want.reflectanceDb < -2000000) {
        EXPECT_EQ(e.reflectanceDb, std::nullopt) << i;
      } else {
        ASSERT_TRUE(e.reflectanceDb) << i;
        EXPECT_DOUBLE_EQ(*e.reflectanceDb, -std::fabs(want.reflectanceDb)) << i;
      }
    }
  }
}

TEST(TraceFromSor, EventTypesFollowTheCodesAndTheLaunch) {
  // L launch, R reflective, N non-reflective, G gainer, E end.
  const std::pair<const char*, const char*> cases[] = {
      {"sample01.sor", "NGNNNE"},    {"sample02.sor", "E"},
      {"sample03.sor", "NNNE"},      {"sample04.sor", "LNRNE"},
      {"sample05.sor", "LERR"},      {"sample06.sor", "RNRE"},
      {"sample07.sor", "LNE"},       {"sample08.sor", "LRERRR"},
      {"sample09.sor", "LGNNNNNRE"}, {"sample10.sor", "LRNNNNGNGNE"},
      {"sample11.sor", "LE"},        {"sample12.sor", "LE"},
      {"sample16.sor", ""},          {"sample17.sor", "LNE"},
  };
  for (const auto& [name, types] : cases) {
    const Trace t = TraceFromSor(readSample(name));
    std::string got;
    for (const KeyEvent& e : t.events) got += letter(e.type);
    EXPECT_EQ(got, types) << name;
  }
}

TEST(TraceFromSor, EventTypeOfACode) {
  const struct {
    const char* code;
    double loss;
    EventType type;
  } cases[] = {
      {"0F9999LS", 0.2, EventType::NonReflective},
      {"0F9999LS", -0.2, EventType::Gainer},
      {"0F9999LS", 0.0, EventType::NonReflective},
      {"1F9999LS", -0.2, EventType::Reflective},
      {"2F9999LS", 0.5, EventType::Reflective},
      {"0E9999LS", 20, EventType::End},
      {"1E99992P", 14, EventType::End},
      {"2E9999LS", -1, EventType::End},
      {"1D9999LS", 3, EventType::End},
      {"0M9999LS", 0, EventType::NonReflective},
      {"1A9999LS", 0, EventType::Reflective},
      {"", -1, EventType::Gainer},
      {"X", 1, EventType::NonReflective},
  };
  for (const auto& c : cases) EXPECT_EQ(EventTypeOfCode(c.code, c.loss), c.type) << c.code;
}

// A small, complete version 2 file to bend one field at a time.
sor::SorFile smallFile() {
  sor::SorFile f;
  f.genParams = sor::GenParams{};
  f.supParams = sor::SupParams{};
  sor::FxdParams x;
  x.wavelength = 15500;
  x.pulseWidths = {30, 100};
  x.dataSpacing = {100000, 200000};
  x.pointCounts = {4, 4};
  x.groupIndex = 146800;
  x.acquisitionRange = 400;
  f.fxdParams = x;
  sor::DataPts d;
  d.pointCount = 4;
  d.traces.push_back(sor::DataTrace{1000, {0, 1500, 2999, 65535}});
  f.dataPts = d;
  sor::KeyEvents k;
  for (const std::uint32_t time : {0u, 150u, 300u}) {
    sor::KeyEvent e;
    e.number = static_cast<std::uint16_t>(k.events.size() + 1);
    e.time = time;
    k.events.push_back(e);
  }
  f.keyEvents = k;
  return f;
}

TEST(TraceFromSor, LevelsAtAnyScaleFactor) {
  const struct {
    std::uint16_t scale;
    std::vector<std::int32_t> levels;
  } cases[] = {
      {1000, {0, -1500, -2999, -65535}},
      {2000, {0, -3000, -5998, -131070}},
      // 0.1 of a thousandth per value: rounded to the nearest, halves to even.
      {100, {0, -150, -300, -6554}},
      {1, {0, -2, -3, -66}},
  };
  for (const auto& c : cases) {
    sor::SorFile f = smallFile();
    f.dataPts->traces.front().scaleFactor = c.scale;
    EXPECT_EQ(TraceFromSor(f).levels, c.levels) << c.scale;
  }
}

TEST(TraceFromSor, WhatIsStoredAsNoneIsNone) {
  sor::SorFile f = smallFile();
  f.fxdParams->lossThreshold = 0;
  f.fxdParams->reflectanceThreshold = 0xFFFF;
  f.fxdParams->endOfFiberThreshold = 0;
  f.fxdParams->backscatter = 0;
  f.keyEvents->orl = 0;
  const std::int32_t reflectances[] = {0, INT32_MIN + 1, INT32_MIN};
  for (std::size_t i = 0; i < 3; ++i) f.keyEvents->events[i].reflectance = reflectances[i];
  Trace t = TraceFromSor(f);
  EXPECT_EQ(t.acquisition.lossThresholdDb, std::nullopt);
  EXPECT_EQ(t.acquisition.reflectanceThresholdDb, std::nullopt);
  EXPECT_EQ(t.acquisition.endThresholdDb, std::nullopt);
  EXPECT_EQ(t.acquisition.backscatterDb, std::nullopt);
  EXPECT_EQ(t.orlDb, std::nullopt);
  for (const KeyEvent& e : t.events) EXPECT_EQ(e.reflectanceDb, std::nullopt);

  f.fxdParams->lossThreshold = 50;
  f.fxdParams->reflectanceThreshold = 40000;
  f.fxdParams->endOfFiberThreshold = 3000;
  f.fxdParams->backscatter = 785;
  f.keyEvents->orl = 17452;
  f.keyEvents->events[0].reflectance = -16935;
  f.keyEvents->events[1].reflectance = 47285;
  t = TraceFromSor(f);
  EXPECT_DOUBLE_EQ(*t.acquisition.lossThresholdDb, 0.05);
  EXPECT_DOUBLE_EQ(*t.acquisition.reflectanceThresholdDb, -40);
  EXPECT_DOUBLE_EQ(*t.acquisition.endThresholdDb, 3);
  EXPECT_DOUBLE_EQ(*t.acquisition.backscatterDb, -78.5);
  EXPECT_DOUBLE_EQ(*t.orlDb, 17.452);
  EXPECT_DOUBLE_EQ(*t.events[0].reflectanceDb, -16.935);
  EXPECT_DOUBLE_EQ(*t.events[1].reflectanceDb, -47.285);
}

TEST(TraceFromSor, AcquisitionIdentityAndNotes) {
  sor::SorFile f = smallFile();
  f.genParams->cableId = sor::SorString("C1");
  f.genParams->fiberId = sor::SorString("F7");
  f.genParams->locationA = sor::SorString("North");
  f.genParams->locationB = sor::SorString("South");
  f.genParams->operatorName = sor::SorString("Wu");
  f.genParams->comment = sor::SorString("spliced");
  f.genParams->wavelengthNm = 1550;
  f.supParams->supplier = sor::SorString("Maker");
  f.supParams->otdr = sor::SorString("M-1");
  f.supParams->otdrSerial = sor::SorString("S-2");
  f.supParams->module = sor::SorString("Mod");
  f.supParams->moduleSerial = sor::SorString("S-3");
  f.supParams->software = sor::SorString("1.0");
  f.fxdParams->dateTime = 1767225600;
  f.fxdParams->averages = 2704;
  f.fxdParams->averagingTime = 30;
  f.dataPts->traces.push_back(f.dataPts->traces.front());
  f.notes = {"DataPts holds 2 traces; the first is used"};
  const Trace t = TraceFromSor(f);
  const Identity want{"C1",  "F7",  "North", "South", "Wu",  "spliced", "Maker",
                      "M-1", "S-2", "Mod",   "S-3",   "1.0", 1767225600};
  EXPECT_EQ(t.identity, want);
  EXPECT_EQ(t.acquisition.wavelengthNm, 1550);
  EXPECT_EQ(t.acquisition.pulseWidthsNs, (std::vector<double>{30, 100}));
  EXPECT_EQ(t.acquisition.groupIndex, 1.468);
  EXPECT_EQ(t.acquisition.averages, 2704u);
  EXPECT_EQ(t.acquisition.averagingTimeS, 30);
  EXPECT_DOUBLE_EQ(t.acquisition.rangeM, sor::TimeToMetres(400, *f.fxdParams));
  EXPECT_DOUBLE_EQ(t.spacingM, sor::SampleSpacingM(*f.fxdParams));
  EXPECT_EQ(t.notes, f.notes);
  EXPECT_EQ(t.origin.format, TraceFormat::Sor);

  // Unset parts say so instead of inventing values.
  sor::SorFile bare;
  const Trace empty = TraceFromSor(bare);
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(empty.spacingM, 0);
  EXPECT_EQ(empty.identity.dateTime, std::nullopt);
  EXPECT_EQ(empty.totalLossDb, std::nullopt);
  EXPECT_EQ(empty.notes, (std::vector<std::string>{"the file has no FxdParams block",
                                                   "the file holds no data points",
                                                   "FxdParams states no data spacing",
                                                   "FxdParams states no group index; "
                                                   "distances use 1.4677"}));
  // A wavelength the two blocks disagree on keeps FxdParams' and names both.
  f.fxdParams->wavelength = 1550;
  EXPECT_EQ(TraceFromSor(f).notes.back(),
            "FxdParams gives the wavelength as 155.0 nm, GenParams as 1550 nm");
}

TEST(TraceFromSor, TheFirstEventAtTheOriginIsTheLaunch) {
  const struct {
    std::uint32_t firstTime;  // 100 ps
    const char* code;
    EventType type;
  } cases[] = {
      {0, "1F9999", EventType::Launch},       {0, "0M9999", EventType::Launch},
      {0, "0E9999", EventType::End},          {1, "1F9999", EventType::Launch},
      {150, "1F9999", EventType::Reflective},
  };
  for (const auto& c : cases) {
    sor::SorFile f = smallFile();
    f.keyEvents->events[0].time = c.firstTime;
    f.keyEvents->events[0].code = c.code;
    const Trace t = TraceFromSor(f);
    EXPECT_EQ(t.events[0].type, c.type) << c.firstTime << " " << c.code;
    // Only the first event can be the launch.
    f.keyEvents->events[1].time = 0;
    EXPECT_NE(TraceFromSor(f).events[1].type, EventType::Launch);
  }
}

}  // namespace
}  // namespace tracelink
