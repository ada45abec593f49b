// Which thresholds an analysis uses, and the reflectance of a peak.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/thresholds.h"

namespace tracelink::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Thresholds, TheGivenThenTheFilesThenOurs) {
  struct Case {
    const char* name;
    std::optional<double> stored;
    std::optional<double> given;
    double splice;
    ThresholdSource source;
  };
  const Case cases[] = {
      {"nothing stored or given", std::nullopt, std::nullopt, kDefaultSpliceDb,
       ThresholdSource::Default},
      {"stored", 0.2, std::nullopt, 0.2, ThresholdSource::File},
      {"stored 0 means none", 0.0, std::nullopt, kDefaultSpliceDb, ThresholdSource::Default},
      {"the format's unset value", 65.535, std::nullopt, kDefaultSpliceDb,
       ThresholdSource::Default},
      {"given over stored", 0.2, 0.1, 0.1, ThresholdSource::Given},
      {"a given loss must be positive", 0.2, -0.1, 0.2, ThresholdSource::File},
      {"a given loss must be a number", std::nullopt, kNaN, kDefaultSpliceDb,
       ThresholdSource::Default},
      {"a stored loss beyond reason", 99.0, std::nullopt, kDefaultSpliceDb,
       ThresholdSource::Default},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Acquisition acq;
    acq.lossThresholdDb = c.stored;
    ThresholdRequest request;
    request.spliceDb = c.given;
    const Thresholds t = resolveThresholds(acq, request);
    EXPECT_DOUBLE_EQ(t.spliceDb, c.splice);
    EXPECT_EQ(t.spliceSource, c.source);
  }
}

TEST(Thresholds, AStoredReflectanceMagnitudeIsAReflectanceBelowZero) {
  Acquisition acq;
  acq.reflectanceThresholdDb = 40.0;
  acq.endThresholdDb = 20.0;
  const Thresholds t = resolveThresholds(acq, {});
  EXPECT_DOUBLE_EQ(t.reflectanceDb, -40.0);
  EXPECT_EQ(t.reflectanceSource, ThresholdSource::File);
  EXPECT_DOUBLE_EQ(t.endDb, 20.0);
  acq.reflectanceThresholdDb = -65.535;  // unset, however signed
  EXPECT_EQ(resolveThresholds(acq, {}).reflectanceSource, ThresholdSource::Default);
  // A reflectance the user gives must be below 0.
  EXPECT_EQ(resolveThresholds(acq, {std::nullopt, 3.0, std::nullopt}).reflectanceSource,
            ThresholdSource::Default);
}

TEST(Thresholds, OneSourceForAll) {
  Thresholds t;
  EXPECT_EQ(t.source(), ThresholdSource::Default);
  t.endSource = ThresholdSource::File;
  EXPECT_EQ(t.source(), ThresholdSource::File);
  t.spliceSource = ThresholdSource::Given;
  EXPECT_EQ(t.source(), ThresholdSource::Given);
}

TEST(Backscatter, TheFilesWhenPlausibleElseTheUsualForTheWavelength) {
  struct Case {
    std::optional<double> stored;
    double wavelength;
    double db;
    bool fromFile;
  };
  const Case cases[] = {
      {-78.5, 1310, -78.5, true},         {std::nullopt, 1310, -79.0, false},
      {std::nullopt, 1550, -81.0, false}, {std::nullopt, 1625, -82.0, false},
      {std::nullopt, 1430, -80.0, false}, {std::nullopt, 850, -79.0, false},
      {std::nullopt, 1700, -82.0, false}, {-5.0, 1550, -81.0, false},
      {kNaN, 1310, -79.0, false},         {std::nullopt, kNaN, -79.0, false},
  };
  for (const Case& c : cases) {
    Acquisition acq;
    acq.backscatterDb = c.stored;
    acq.wavelengthNm = c.wavelength;
    const BackscatterCoefficient b = backscatterFor(acq);
    EXPECT_NEAR(b.db, c.db, 1e-9) << c.wavelength;
    EXPECT_EQ(b.fromFile, c.fromFile) << c.wavelength;
  }
}

TEST(Reflectance, FromThePeaksHeightAndBack) {
  // A peak 1.5 dB high with a 1 us pulse on fibre of -81.5 dB at 1 ns: the -51.5 dB an
  // instrument lists for it in one of the shared samples.
  EXPECT_NEAR(*reflectanceOf(1.5, 1000, -81.5), -51.52, 0.01);
  for (const double r : {-20.0, -35.0, -50.0, -65.0})
    for (const double pulse : {10.0, 100.0, 1000.0}) {
      const double h = heightFor(r, pulse, -79.0);
      EXPECT_GT(h, 0);
      EXPECT_NEAR(*reflectanceOf(h, pulse, -79.0), r, 1e-9) << r << " " << pulse;
    }
  EXPECT_FALSE(reflectanceOf(0.0, 100, -79));
  EXPECT_FALSE(reflectanceOf(-1.0, 100, -79));
  EXPECT_FALSE(reflectanceOf(kNaN, 100, -79));
  EXPECT_FALSE(reflectanceOf(1.0, 0, -79));
}

}  // namespace
}  // namespace tracelink::analysis
