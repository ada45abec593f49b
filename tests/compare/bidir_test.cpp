#include "compare/bidir.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/synthetic_trace.h"
#include "compare/event_list.h"

namespace tracelink::compare {
namespace {

// A splice of true loss s between fibres whose mode fields differ by g: it reads s + g from
// end A and s - g from end B.
struct Joint {
  double atM = 0;  // from end A
  double s = 0;
  double g = 0;
};

// The fibre from both ends as our analysis sees it: launch cables of 600 m (at A) and
// 400 m (at B), each the other end's receive cable, joined to the fibre by connectors.
std::pair<Trace, Trace> syntheticPair(const std::vector<Joint>& joints, double fibreM) {
  constexpr double kLeadA = 600;
  constexpr double kLeadB = 400;
  const double total = kLeadA + fibreM + kLeadB;
  test::SyntheticFibre a;
  a.pulseNs = 30;
  a.lengthM = total;
  a.traceM = total + 2000;
  a.noiseFloorDb = -62;
  test::SyntheticFibre b = a;
  b.seed = 2;
  for (const double at : {kLeadA, kLeadA + fibreM}) {
    a.events.push_back({at, 0.3, -45.0});
    b.events.push_back({total - at, 0.3, -45.0});
  }
  for (const Joint& j : joints) {
    a.events.push_back({kLeadA + j.atM, j.s + j.g, std::nullopt});
    b.events.push_back({total - kLeadA - j.atM, j.s - j.g, std::nullopt});
  }
  return {test::makeTrace(a), test::makeTrace(b)};
}

const BidirEvent* eventNear(const BidirResult& r, double atM, double within) {
  for (const BidirEvent& e : r.events)
    if (std::fabs(e.distanceM - atM) <= within) return &e;
  return nullptr;
}

TEST(Bidirectional, AveragesSplicesToTheirTrueLossFromOurAnalysis) {
  const std::vector<Joint> joints{
      {1000, 0.20, 0.10},  // reads 0.3 and 0.1
      {4000, 0.05, 0.15},  // a gainer from B: 0.2 and -0.1
      {6000, 0.30, -0.2},  // a gainer from A: 0.1 and 0.5
      {8000, 0.50, 0.0},
  };
  std::vector<Joint> all = joints;
  all.push_back({2000, 0.20, 0.18});
  const auto [a, b] = syntheticPair(all, 10000);
  const BidirOutcome outcome = bidirectional(a, b);
  ASSERT_TRUE(std::holds_alternative<BidirResult>(outcome));
  const BidirResult& r = std::get<BidirResult>(outcome);
  EXPECT_TRUE(r.a.ours);
  EXPECT_NEAR(r.lengthM, 11000, 2);
  EXPECT_EQ(r.events.front().type, EventType::Launch);
  EXPECT_EQ(r.events.back().type, EventType::End);
  // Ours measures no loss at the launch, and the fibre's end drops into the noise.
  for (const BidirEvent* end : {&r.events.front(), &r.events.back()})
    EXPECT_FALSE(end->lossAB || end->lossBA || end->oneDirection);
  // Below the splice threshold from B: seen from A only, and averaged with nothing.
  const BidirEvent* oneWay = eventNear(r, 600 + 2000, 5);
  ASSERT_NE(oneWay, nullptr);
  EXPECT_TRUE(oneWay->oneDirection);
  EXPECT_FALSE(oneWay->lossBA);
  EXPECT_NEAR(oneWay->averageDb, 0.38 / 2, 0.01);
  // The two cable joints, then each splice, at A's distance.
  for (const Joint& j : joints) {
    SCOPED_TRACE(j.atM);
    const BidirEvent* e = eventNear(r, 600 + j.atM, 5);
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(e->lossAB && e->lossBA);
    EXPECT_FALSE(e->oneDirection);
    EXPECT_NEAR(*e->lossAB, j.s + j.g, 0.03);
    EXPECT_NEAR(*e->lossBA, j.s - j.g, 0.03);
    EXPECT_NEAR(e->averageDb, j.s, 0.01);
    EXPECT_EQ(e->type, EventType::NonReflective);
  }
  for (const double joint : {600.0, 10600.0}) {
    const BidirEvent* e = eventNear(r, joint, 5);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->type, EventType::Reflective);
    EXPECT_NEAR(e->averageDb, 0.3, 0.05);
  }
  EXPECT_EQ(r.events.size(), 2 + 2 + 1 + joints.size());
  EXPECT_NEAR(r.totalLossDb, (r.totalLossAB + r.totalLossBA) / 2, 1e-12);
  EXPECT_NEAR(r.totalLossDb, 11 * 0.35 + 0.6 + 1.25, 0.1);
}

// A trace as an instrument hands it over: its event table, and levels falling 0.35 dB/km
// and by each event's loss.
Trace tableTrace(double originM, double lastM, std::vector<KeyEvent> events,
                 std::optional<double> totalLossDb) {
  Trace t;
  t.originM = originM;
  t.spacingM = 1;
  t.acquisition.wavelengthNm = 1310;
  t.acquisition.pulseWidthsNs = {100};
  t.acquisition.groupIndex = 1.4677;
  for (double x = originM; x <= lastM; x += 1) {
    double db = -0.35 * x / 1000;
    for (const KeyEvent& e : events)
      if (x > e.distanceM && e.type != EventType::End) db -= e.spliceLossDb;
    t.levels.push_back(static_cast<std::int32_t>(std::lround(db * 1000)));
  }
  t.events = std::move(events);
  t.totalLossDb = totalLossDb;
  return t;
}

KeyEvent ev(double atM, double lossDb, EventType type, std::optional<double> reflectance = {}) {
  KeyEvent e;
  e.distanceM = atM;
  e.spliceLossDb = lossDb;
  e.type = type;
  e.reflectanceDb = reflectance;
  return e;
}

TEST(Bidirectional, MatchesTheInstrumentsTablesBetweenLaunchCables) {
  using T = EventType;
  // A: a 500 m launch cable before 0, a 300 m receive cable after the fibre's end at 10000
  // (a fibre end, by its drop).
  const Trace a = tableTrace(-500, 10300,
                             {ev(5000, 0.5, T::Reflective, -40), ev(0, 0.25, T::Launch, -50),
                              ev(3000, 0.4, T::NonReflective), ev(10000, 12.0, T::End, -30),
                              ev(10150, 0.3, T::Reflective, -20), ev(-250, 0.2, T::Reflective)},
                             5.0);
  // B: the other way, its length 2 m longer, its events a few metres off A's.
  const Trace b = tableTrace(-300, 10502,
                             {ev(0, 0.15, T::Launch, -35), ev(5004, 0.3, T::Reflective, -45),
                              ev(7003, 0.2, T::NonReflective), ev(8000, 0.12, T::NonReflective),
                              ev(10002, 0.1, T::End, -48), ev(-200, 0.4, T::Reflective)},
                             5.4);
  const BidirOutcome outcome = bidirectional(a, b);
  ASSERT_TRUE(std::holds_alternative<BidirResult>(outcome));
  const BidirResult& r = std::get<BidirResult>(outcome);
  EXPECT_FALSE(r.a.ours);
  EXPECT_DOUBLE_EQ(r.lengthM, 10001);
  EXPECT_DOUBLE_EQ(r.toleranceM, 20);
  EXPECT_DOUBLE_EQ(r.totalLossDb, 5.2);
  EXPECT_TRUE(r.warnings.empty());
  struct Row {
    double atM;
    std::optional<double> ab, ba;
    double average;
    std::optional<double> reflectance;
    bool oneWay;
    EventType type;
  };
  const Row rows[] = {
      {0, 0.25, 0.1, 0.175, -48, false, T::Launch},  // A's launch and B's end
      {2001, std::nullopt, 0.12, 0.06, std::nullopt, true, T::NonReflective},
      {3000, 0.4, 0.2, 0.3, std::nullopt, false, T::NonReflective},
      {5000, 0.5, 0.3, 0.4, -40, false, T::Reflective},
      // A's end and B's launch; A's end falls into the noise and measures no loss.
      {10000, std::nullopt, 0.15, 0.075, -30, true, T::End},
  };
  ASSERT_EQ(r.events.size(), std::size(rows));
  for (std::size_t k = 0; k < std::size(rows); ++k) {
    SCOPED_TRACE(k);
    const BidirEvent& e = r.events[k];
    const Row& row = rows[k];
    EXPECT_EQ(e.no, static_cast<int>(k + 1));
    EXPECT_DOUBLE_EQ(e.distanceM, row.atM);
    EXPECT_EQ(e.lossAB, row.ab);
    EXPECT_EQ(e.lossBA, row.ba);
    EXPECT_NEAR(e.averageDb, row.average, 1e-12);
    EXPECT_EQ(e.reflectanceDb, row.reflectance);
    EXPECT_EQ(e.oneDirection, row.oneWay);
    EXPECT_EQ(e.type, row.type);
  }
}

TEST(Bidirectional, RefusesAnotherWavelengthOrLengthAndWarnsOfAnotherPulse) {
  using T = EventType;
  const auto fibre = [](double lengthM) {
    return tableTrace(0, lengthM + 100, {ev(0, 0, T::Launch), ev(lengthM, 0, T::End)}, 3.0);
  };
  struct Case {
    const char* name;
    double lengthB = 10000;
    double wavelengthB = 1310;
    double pulseB = 100;
    std::optional<double> tolerance;
    bool emptyB = false;
    std::optional<BidirProblem> refused;
    std::size_t warnings = 0;
  };
  const Case cases[] = {
      {"another wavelength",
       10000,
       1550,
       100,
       {},
       false,
       BidirProblem{BidirRefusal::WavelengthsDiffer, 1310, 1550, 0, 'A'},
       0},
      {"the same within 1 nm", 10000, 1310.6, 100, {}, false, std::nullopt, 0},
      {"another length",
       10100,
       1310,
       100,
       {},
       false,
       BidirProblem{BidirRefusal::LengthsDiffer, 10000, 10100, 20, 'A'},
       0},
      {"a wider tolerance", 10100, 1310, 100, 150.0, false, std::nullopt, 0},
      // A 1 us pulse's dead zone (102 m) widens the tolerance by itself.
      {"a longer pulse", 10100, 1310, 1000, {}, false, std::nullopt, 1},
      {"nothing from end B",
       10000,
       1310,
       100,
       {},
       true,
       BidirProblem{BidirRefusal::NoFibre, 0, 0, 0, 'B'},
       0},
  };
  const Trace a = fibre(10000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Trace b = fibre(c.lengthB);
    b.acquisition.wavelengthNm = c.wavelengthB;
    b.acquisition.pulseWidthsNs = {c.pulseB};
    if (c.emptyB) b.levels.clear();
    const BidirOutcome outcome = bidirectional(a, b, {c.tolerance});
    if (c.refused) {
      ASSERT_TRUE(std::holds_alternative<BidirProblem>(outcome));
      const BidirProblem& p = std::get<BidirProblem>(outcome);
      EXPECT_EQ(p.code, c.refused->code);
      EXPECT_DOUBLE_EQ(p.a, c.refused->a);
      EXPECT_DOUBLE_EQ(p.b, c.refused->b);
      EXPECT_DOUBLE_EQ(p.toleranceM, c.refused->toleranceM);
      EXPECT_EQ(p.side, c.refused->side);
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<BidirResult>(outcome));
    const BidirResult& r = std::get<BidirResult>(outcome);
    ASSERT_EQ(r.warnings.size(), c.warnings);
    if (c.warnings) {
      EXPECT_EQ(r.warnings[0].code, BidirWarning::PulseWidthsDiffer);
      EXPECT_DOUBLE_EQ(r.warnings[0].b, 1000);
    }
  }
}

TEST(FibreEvents, TakesTheInstrumentsTableElseOurs) {
  using T = EventType;
  const std::vector<KeyEvent> table{ev(8000, 0, T::End), ev(0, 0, T::Launch),
                                    ev(4000, 0.3, T::NonReflective)};
  // The table states a total; without one, the events' and the sections' losses add up.
  for (const std::optional<double> total : {std::optional<double>(2.5), std::optional<double>()}) {
    const FibreEvents f = fibreEvents(tableTrace(0, 9000, table, total));
    EXPECT_FALSE(f.ours);
    ASSERT_EQ(f.events.size(), 3u);
    EXPECT_EQ(f.events[1].distanceM, 4000);  // in order of distance
    EXPECT_DOUBLE_EQ(f.lengthM(), 8000);
    EXPECT_NEAR(f.totalLossDb, total.value_or(8 * 0.35 + 0.3), 0.005);
  }
  // Without a launch the fibre starts at the instrument's zero, not at a point before it.
  const FibreEvents noLaunch =
      fibreEvents(tableTrace(-20, 9000, {ev(4000, 0.3, T::NonReflective)}, 0.3));
  EXPECT_EQ(noLaunch.startM, 0);
  EXPECT_EQ(noLaunch.endM, 4000);
  // Our analysis where the table is missing or unusable, or when asked for.
  test::SyntheticFibre s;
  s.events = {{3000, 0.4, std::nullopt}};
  Trace t = test::makeTrace(s);
  const FibreEvents found = fibreEvents(t);
  EXPECT_TRUE(found.ours);
  EXPECT_NEAR(found.lengthM(), 10000, 2);
  t.events = {ev(std::nan(""), 0.2, T::NonReflective)};
  EXPECT_EQ(fibreEvents(t).events, found.events);
  t.events = table;
  EXPECT_EQ(fibreEvents(t, EventSource::Ours).events, found.events);
  EXPECT_FALSE(fibreEvents(t).ours);
}

}  // namespace
}  // namespace tracelink::compare
