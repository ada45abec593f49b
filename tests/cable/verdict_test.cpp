#include "cable/verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "cable/cable_strings.h"
#include "cable/generated_cable.h"
#include "compare/bidir.h"
#include "compare/event_list.h"
#include "files/path_text.h"
#include "trace/load_trace.h"

namespace tracelink::cable {
namespace {

using test::GeneratedEnd;
using test::generatedTrace;

std::vector<const Judgement*> itemsOf(const Verdict& v, Item item) {
  std::vector<const Judgement*> found;
  for (const Judgement& j : v.items)
    if (j.item == item) found.push_back(&j);
  return found;
}

Limits named(std::function<void(Limits&)> set) {
  Limits l;
  l.name = "n";
  set(l);
  return l;
}

TEST(Verdict, JudgesEachItemOfOneTrace) {
  const Trace plain = generatedTrace("01", 'A', 1310, GeneratedEnd{}, false, 1);
  Trace gainer = generatedTrace("01", 'A', 1310, GeneratedEnd{-0.40, 0.30, -50}, false, 2);
  Trace steep = generatedTrace("01", 'A', 1310, GeneratedEnd{}, true, 3);
  // Events on the launch cable and past the end belong to no fibre under test.
  Trace outside = plain;
  outside.events.insert(outside.events.begin(),
                        KeyEvent{-200, 3.0, -20.0, EventType::Reflective, "1F9999LS", {}});
  outside.events.push_back(KeyEvent{5600, 3.0, -20.0, EventType::Reflective, "1F9999LS", {}});
  Trace withOrl = plain;
  withOrl.orlDb = 30;

  struct Case {
    const char* what;
    const Trace* trace;
    Limits limits;
    Item item;
    std::vector<double> values;  // of that item's judgements, in order
    std::vector<bool> pass;
  };
  const Case cases[] = {
      // Launch and end (reflecting -45 and -14 dB) are never connectors.
      {"connectors",
       &plain,
       named([](Limits& l) { l.connectorLossMaxDb = 0.2; }),
       Item::ConnectorLoss,
       {0.30},
       {false}},
      {"reflectance",
       &plain,
       named([](Limits& l) { l.reflectanceMaxDb = -55; }),
       Item::Reflectance,
       {-50},
       {false}},
      {"outside the fibre",
       &outside,
       named([](Limits& l) { l.reflectanceMaxDb = -40; }),
       Item::Reflectance,
       {-50},
       {true}},
      {"splice",
       &plain,
       named([](Limits& l) { l.spliceLossMaxDb = 0.05; }),
       Item::SpliceLoss,
       {0.10},
       {false}},
      {"gainer by its size",
       &gainer,
       named([](Limits& l) { l.spliceLossMaxDb = 0.3; }),
       Item::SpliceLoss,
       {-0.40},
       {false}},
      {"gainer within",
       &gainer,
       named([](Limits& l) { l.spliceLossMaxDb = 0.45; }),
       Item::SpliceLoss,
       {-0.40},
       {true}},
      {"sections",
       &steep,
       named([](Limits& l) {
         l.attenuationMaxDbPerKm = {{1310, 0.4}};
       }),
       Item::Attenuation,
       {0.33, 0.55, 0.33},
       {true, false, true}},
      {"nearest wavelength",
       &plain,
       named([](Limits& l) {
         l.attenuationMaxDbPerKm = {{1300, 0.3}, {1550, 0.5}};
       }),
       Item::Attenuation,
       {0.33, 0.33, 0.33},
       {false, false, false}},
      {"no wavelength near",
       &plain,
       named([](Limits& l) {
         l.attenuationMaxDbPerKm = {{1550, 0.1}};
       }),
       Item::Attenuation,
       {},
       {}},
      {"link",
       &plain,
       named([](Limits& l) { l.linkLossMaxDb = 1.9; }),
       Item::LinkLoss,
       {0.33 * 5 + 0.4},
       {false}},
      {"ORL", &withOrl, named([](Limits& l) { l.orlMinDb = 32; }), Item::Orl, {30}, {false}},
      {"shortest",
       &plain,
       named([](Limits& l) { l.lengthMinM = 5000; }),
       Item::LengthMin,
       {5000},
       {true}},
      {"longest",
       &plain,
       named([](Limits& l) { l.lengthMaxM = 4999; }),
       Item::LengthMax,
       {5000},
       {false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Verdict v = judgeTrace(*c.trace, compare::fibreEvents(*c.trace), c.limits, 'B');
    const std::vector<const Judgement*> found = itemsOf(v, c.item);
    // Nothing but the limits given is judged.
    EXPECT_EQ(found.size(), v.items.size());
    ASSERT_EQ(found.size(), c.values.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_NEAR(found[i]->value, c.values[i], 0.03) << i;
      EXPECT_EQ(found[i]->pass, c.pass[i]) << i;
      EXPECT_EQ(found[i]->direction, 'B');
    }
    EXPECT_EQ(v.pass(), std::find(c.pass.begin(), c.pass.end(), false) == c.pass.end());
  }
}

// An instrument's front panel rings for far longer than two pulse lengths (sample01's launch
// falls for 90 m); the first section is measured where the backscatter is back, not on the
// tail, which read 19 dB/km on a fibre whose sections all lie near 0.35 dB/km.
TEST(Verdict, SectionsAreMeasuredPastAReflectionsTail) {
  const Result<Trace> t = LoadTrace(pathFromText(TRACELINK_SOR_SAMPLES "/sample01.sor"));
  ASSERT_TRUE(t.ok());
  const compare::FibreEvents events = compare::fibreEvents(*t);
  const std::vector<SectionFit> fits = sectionFits(*t, events);
  ASSERT_GE(fits.size(), 5u);
  for (const SectionFit& f : fits) {
    EXPECT_GT(f.dbPerKm, 0.2) << f.fromM;
    EXPECT_LT(f.dbPerKm, 0.5) << f.fromM;
  }
}

TEST(Verdict, AnOrlNobodyMeasuredFails) {
  // A flat line: no launch, no backscatter, no ORL to be found.
  Trace flat;
  flat.spacingM = 1;
  flat.levels.assign(200, -30000);
  const Limits l = named([](Limits& x) { x.orlMinDb = 27; });
  const Verdict v = judgeTrace(flat, compare::fibreEvents(flat), l);
  ASSERT_EQ(v.items.size(), 1u);
  EXPECT_FALSE(v.items[0].measured);
  EXPECT_FALSE(v.pass());
  EXPECT_EQ(judgementText(v.items[0], Language::English),
            "ORL: not measured, at least 27.00 dB required (from A)");
}

TEST(Verdict, DamagedTracesAreJudgedWithoutHarm) {
  const Trace good = generatedTrace("01", 'A', 1310, GeneratedEnd{}, false, 1);
  std::vector<Trace> damaged(5, good);
  damaged[0].spacingM = 1e-300;
  damaged[1].events[2].distanceM = 1e300;
  damaged[2].acquisition.pulseWidthsNs = {std::numeric_limits<double>::quiet_NaN()};
  damaged[3].originM = -1e308;
  damaged[4].levels.resize(3);
  Limits l = test::generatedCableLimits();
  l.orlMinDb = 20;
  for (const Trace& t : damaged) {
    const Verdict v = judgeTrace(t, compare::fibreEvents(t), l);
    // Whatever it reads, a figure that is not a number never passes.
    for (const Judgement& j : v.items) EXPECT_TRUE(std::isfinite(j.value) || !j.pass);
  }
}

TEST(Verdict, ASectionIsFittedOnItsOwnPointsOnly) {
  // A pulse width that is no number gives a dead zone that is none: no section can be told
  // apart from its events, so none is fitted (a fit over the whole trace, launch and end
  // reflections included, would judge every section by the same wrong figure).
  Trace t = generatedTrace("01", 'A', 1310, GeneratedEnd{}, false, 1);
  const compare::FibreEvents events = compare::fibreEvents(t);
  ASSERT_FALSE(sectionFits(t, events).empty());
  t.acquisition.pulseWidthsNs = {std::numeric_limits<double>::quiet_NaN()};
  EXPECT_TRUE(sectionFits(t, events).empty());
  const Verdict v = judgeTrace(t, events, test::generatedCableLimits());
  EXPECT_TRUE(itemsOf(v, Item::Attenuation).empty());
}

TEST(Verdict, SplicesByTheAverageOfBothEnds) {
  // A splice between unequal fibres: a gainer from A, a large loss from B.
  const Trace a = generatedTrace("09", 'A', 1310, GeneratedEnd{-0.40, 0.30, -50}, false, 1);
  Trace b = generatedTrace("09", 'B', 1310, GeneratedEnd{0.60, 0.30, -50}, false, 2);
  // And one splice only B shows (1000 m from A): its 0.50 dB must not be halved.
  b.events.insert(b.events.end() - 1,
                  KeyEvent{4000, 0.50, {}, EventType::NonReflective, "0F9999LS", {}});
  const compare::BidirOutcome both = compare::bidirectional(a, b);
  ASSERT_TRUE(std::holds_alternative<compare::BidirResult>(both));
  const compare::BidirResult& r = std::get<compare::BidirResult>(both);

  struct Case {
    bool useBidirectional;
    std::vector<char> directions;  // of the splice judgements
    std::vector<double> values;
    std::vector<bool> pass;
  };
  const Case cases[] = {
      {true, {'B', '2'}, {0.50, 0.10}, {false, true}},
      {false, {'A', 'B', 'B'}, {-0.40, 0.60, 0.50}, {false, false, false}},  // B's own order
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.useBidirectional);
    Limits l = named([](Limits& x) { x.spliceLossMaxDb = 0.30; });
    l.useBidirectional = c.useBidirectional;
    const Verdict v = judgeBothEnds(a, b, r, l);
    const std::vector<const Judgement*> splices = itemsOf(v, Item::SpliceLoss);
    ASSERT_EQ(splices.size(), c.values.size());
    for (std::size_t i = 0; i < splices.size(); ++i) {
      EXPECT_EQ(splices[i]->direction, c.directions[i]) << i;
      EXPECT_NEAR(splices[i]->value, c.values[i], 1e-9) << i;
      EXPECT_EQ(splices[i]->pass, c.pass[i]) << i;
    }
  }
}

TEST(Verdict, ItemsInWords) {
  const auto judged = [](Item item, double value, double limit, bool pass, char direction) {
    Judgement j;
    j.item = item;
    j.value = value;
    j.limit = limit;
    j.pass = pass;
    j.distanceM = 1234.5;
    j.direction = direction;
    j.wavelengthNm = 1310;
    return j;
  };
  const struct {
    Judgement judgement;
    const char* english;
  } cases[] = {
      {judged(Item::SpliceLoss, 0.42, 0.3, false, 'A'),
       "splice at 1234.5 m: 0.42 dB > 0.30 dB (from A)"},
      {judged(Item::SpliceLoss, -0.2, 0.3, true, 'B'),
       "gainer at 1234.5 m: -0.20 dB, magnitude \u2264 0.30 dB (from B)"},
      {judged(Item::SpliceLoss, 0.1, 0.3, true, '2'),
       "splice at 1234.5 m: 0.10 dB \u2264 0.30 dB (average of both directions)"},
      {judged(Item::Attenuation, 0.5512, 0.4, false, 'A'),
       "section from 1234.5 m: 0.551 dB/km > 0.400 dB/km at 1310 nm (from A)"},
      {judged(Item::Orl, 25, 27, false, 'A'), "ORL: 25.00 dB < 27.00 dB (from A)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(judgementText(c.judgement, Language::English), c.english);
    const std::string zh = judgementText(c.judgement, Language::Chinese);
    EXPECT_NE(zh, c.english);
    EXPECT_EQ(zh.find('{'), std::string::npos) << zh;
  }
}

}  // namespace
}  // namespace tracelink::cable
