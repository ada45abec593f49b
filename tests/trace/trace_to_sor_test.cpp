#include "trace/trace_to_sor.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sor/sor_io.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

Trace readBack(const std::vector<std::uint8_t>& bytes) {
  const auto file = sor::ReadSor(bytes);
  EXPECT_TRUE(file.ok());
  EXPECT_EQ(file->checksum.status, sor::ChecksumStatus::Ok);
  const Result<Trace> t = TraceOfSorFile(*file);
  EXPECT_TRUE(t.ok());
  return *t;
}

Trace madeTrace(double originM) {
  Trace t;
  for (int i = 0; i < 2000; ++i) t.levels.push_back(-3000 - i * 7 + (i % 13) * 11);
  t.spacingM = 0.51;
  t.originM = originM;
  t.acquisition.wavelengthNm = 1550;
  t.acquisition.pulseWidthsNs = {100};
  t.acquisition.groupIndex = 1.4682;
  t.acquisition.backscatterDb = -81.5;
  t.acquisition.lossThresholdDb = 0.05;
  t.acquisition.reflectanceThresholdDb = -60;
  t.acquisition.endThresholdDb = 3;
  t.acquisition.averages = 4096;
  t.acquisition.rangeM = 1000;
  t.identity.cable = "CAB-7";
  t.identity.fiber = "F03";
  t.identity.locationA = "Hall";
  t.identity.locationB = "Tower";
  t.identity.operatorName = "Li";
  t.identity.dateTime = 1765000000;
  t.events = {{0, 0, -48.0, EventType::Launch, "", ""},
              {250.25, 0.12, std::nullopt, EventType::NonReflective, "", ""},
              {400.5, -0.08, std::nullopt, EventType::Gainer, "", ""},
              {600.0, 0.45, -52.25, EventType::Reflective, "", "conn"},
              {900.0, 0, -14.5, EventType::End, "", ""}};
  t.totalLossDb = 1.234;
  t.orlDb = 31.5;
  return t;
}

void expectSame(const Trace& want, const Trace& got) {
  ASSERT_EQ(got.levels.size(), want.levels.size());
  const std::int32_t top = std::max(0, *std::max_element(want.levels.begin(), want.levels.end()));
  for (std::size_t i = 0; i < want.size(); i += 97)
    EXPECT_EQ(got.levels[i], std::max(want.levels[i] - top, -65535)) << i;
  EXPECT_NEAR(got.spacingM, want.spacingM, want.spacingM * 1e-6);
  EXPECT_NEAR(got.originM, want.originM, 0.02);
  EXPECT_EQ(got.acquisition.wavelengthNm, want.acquisition.wavelengthNm);
  EXPECT_EQ(got.acquisition.pulseWidthsNs, want.acquisition.pulseWidthsNs);
  EXPECT_NEAR(got.acquisition.groupIndex, want.acquisition.groupIndex, 1e-5);
  EXPECT_EQ(got.identity.cable, want.identity.cable);
  EXPECT_EQ(got.identity.fiber, want.identity.fiber);
  EXPECT_EQ(got.identity.dateTime, want.identity.dateTime);
  ASSERT_EQ(got.events.size(), want.events.size());
  for (std::size_t i = 0; i < want.events.size(); ++i) {
    EXPECT_NEAR(got.events[i].distanceM, want.events[i].distanceM, 0.02) << i;
    EXPECT_NEAR(got.events[i].spliceLossDb, want.events[i].spliceLossDb, 0.0005) << i;
    EXPECT_EQ(got.events[i].type, want.events[i].type) << i;
    EXPECT_EQ(got.events[i].reflectanceDb.has_value(), want.events[i].reflectanceDb.has_value());
    if (want.events[i].reflectanceDb) {
      EXPECT_NEAR(*got.events[i].reflectanceDb, *want.events[i].reflectanceDb, 0.0005) << i;
    }
  }
  EXPECT_NEAR(got.totalLossDb.value_or(0), want.totalLossDb.value_or(0), 0.0005);
}

TEST(WriteTraceSor, MadeTracesReadBackAsWritten) {
  for (const double origin : {0.0, -12.5, 30.0}) {
    SCOPED_TRACE(origin);
    const Trace t = madeTrace(origin);
    expectSame(t, readBack(WriteTraceSor(t)));
  }
  // Levels above 0 dB are kept below the highest one, and none falls off the scale.
  Trace high = madeTrace(0);
  high.levels[5] = 2500;
  high.levels[6] = -70000;
  expectSame(high, readBack(WriteTraceSor(high)));
}

TEST(WriteTraceSor, EveryMakersSampleSurvivesTheRoundTrip) {
  for (const auto& entry : std::filesystem::directory_iterator(TRACELINK_SOR_SAMPLES)) {
    if (entry.path().extension() != ".sor") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const Result<Trace> t = LoadTrace(entry.path());
    if (!t.ok() || t->empty() || t->spacingM <= 0) continue;
    expectSame(*t, readBack(WriteTraceSor(*t)));
  }
}

}  // namespace
}  // namespace tracelink
