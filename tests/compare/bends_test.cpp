#include "compare/bends.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/synthetic_trace.h"
#include "compare/compare_strings.h"

namespace tracelink::compare {
namespace {

struct Loss {
  double atM;
  double at1310;
  double at1550;
};

// One fibre at two wavelengths: splices lose about the same at both, bends more at 1550.
constexpr Loss kFibre[] = {
    {1500, 0.20, 0.19},  // splice
    {3000, 0.10, 0.90},  // bend
    {4500, 0.30, 0.70},  // 0.4 more: a bend only under a smaller delta
    {6000, 0.02, 0.80},  // a bend too small to show at 1310
    {7500, 0.50, 0.45},  // splice
};

Trace at(double wavelengthNm) {
  test::SyntheticFibre f;
  f.lengthM = 9000;
  f.traceM = 11000;
  f.wavelengthNm = wavelengthNm;
  const bool longer = wavelengthNm > 1400;
  f.attenuationDbPerKm = longer ? 0.2 : 0.35;
  f.backscatterDb = longer ? -81 : -79;
  f.seed = longer ? 7 : 3;
  for (const Loss& l : kFibre) f.events.push_back({l.atM, longer ? l.at1550 : l.at1310, {}});
  return test::makeTrace(f);
}

TEST(Bends, FoundWhereTheLongerWavelengthLosesMore) {
  const Trace t1310 = at(1310);
  const Trace t1550 = at(1550);
  struct Case {
    const char* name;
    const Trace& first;
    const Trace& second;
    double delta;
    std::vector<double> bendsAtM;
  };
  const Case cases[] = {
      {"1310 first", t1310, t1550, kDefaultBendDeltaDb, {3000, 6000}},
      {"1550 first", t1550, t1310, kDefaultBendDeltaDb, {3000, 6000}},
      {"a smaller delta", t1310, t1550, 0.3, {3000, 4500, 6000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BendOutcome outcome = findBends(c.first, c.second, {c.delta, {}, {}});
    ASSERT_TRUE(std::holds_alternative<BendResult>(outcome));
    const BendResult& r = std::get<BendResult>(outcome);
    EXPECT_EQ(r.firstIsShort, &c.first == &t1310);
    EXPECT_EQ(r.shortNm, 1310);
    EXPECT_EQ(r.longNm, 1550);
    ASSERT_EQ(r.events.size(), std::size(kFibre));
    std::vector<double> bends;
    for (std::size_t k = 0; k < r.events.size(); ++k) {
      const BendEvent& e = r.events[k];
      EXPECT_EQ(e.no, static_cast<int>(k + 1));
      EXPECT_NEAR(e.distanceM, kFibre[k].atM, 3);
      ASSERT_TRUE(e.lossLongDb);
      EXPECT_NEAR(*e.lossLongDb, kFibre[k].at1550, 0.03);
      // Under the splice threshold at 1310: no loss there, not a loss of 0.
      EXPECT_EQ(e.lossShortDb.has_value(), kFibre[k].at1310 > 0.05);
      if (e.bend) bends.push_back(kFibre[k].atM);
    }
    EXPECT_EQ(bends, c.bendsAtM);
  }
}

TEST(Bends, RefusesOneWavelengthNamingBothFiles) {
  const Trace t = at(1310);
  Trace nearly = t;
  nearly.acquisition.wavelengthNm = 1310.5;
  for (const Trace* second : std::initializer_list<const Trace*>{&t, &nearly}) {
    const BendOutcome outcome = findBends(t, *second);
    ASSERT_TRUE(std::holds_alternative<BendProblem>(outcome));
    const BendProblem& p = std::get<BendProblem>(outcome);
    EXPECT_EQ(p.code, BendRefusal::SameWavelength);
    for (const Language language : {Language::English, Language::Chinese}) {
      const std::string text = problemText(p, "east.sor", "west.sor", language);
      EXPECT_NE(text.find("east.sor"), std::string::npos) << text;
      EXPECT_NE(text.find("west.sor"), std::string::npos) << text;
      EXPECT_NE(text.find("1310"), std::string::npos) << text;
    }
  }
}

// Every refusal and warning names both files and its values, in both languages.
TEST(CompareStrings, NameTheFilesAndValues) {
  struct Case {
    std::string english;
    std::string chinese;
    std::vector<std::string> named;
  };
  const auto bidir = [](const BidirProblem& p, Language l) {
    return problemText(p, "a.sor", "b.sor", l);
  };
  const BidirProblem wavelengths{BidirRefusal::WavelengthsDiffer, 1310, 1550, 0, 'A'};
  const BidirProblem lengths{BidirRefusal::LengthsDiffer, 10000, 10100.5, 20, 'A'};
  const BidirProblem noFibre{BidirRefusal::NoFibre, 0, 0, 0, 'B'};
  const BidirNote pulses{BidirWarning::PulseWidthsDiffer, 100, 300};
  const Case cases[] = {
      {bidir(wavelengths, Language::English),
       bidir(wavelengths, Language::Chinese),
       {"a.sor", "b.sor", "1310 nm", "1550 nm"}},
      {bidir(lengths, Language::English),
       bidir(lengths, Language::Chinese),
       {"a.sor", "b.sor", "10000 m", "10100.5 m", "20 m"}},
      {bidir(noFibre, Language::English), bidir(noFibre, Language::Chinese), {"b.sor"}},
      {warningText(pulses, "a.sor", "b.sor", Language::English),
       warningText(pulses, "a.sor", "b.sor", Language::Chinese),
       {"a.sor", "b.sor", "100 ns", "300 ns"}},
      {tooManyText(9, Language::English), tooManyText(9, Language::Chinese), {"9", "8"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.english);
    EXPECT_NE(c.english, c.chinese);
    for (const std::string& word : c.named) {
      EXPECT_NE(c.english.find(word), std::string::npos) << word;
      EXPECT_NE(c.chinese.find(word), std::string::npos) << word;
    }
  }
  EXPECT_EQ(bidir(noFibre, Language::English).find("a.sor"), std::string::npos);
}

}  // namespace
}  // namespace tracelink::compare
