#include "cable/limits.h"

#include <gtest/gtest.h>

#include <string>

#include "cable/cable_strings.h"
#include "cable/json_reader.h"

namespace tracelink::cable {
namespace {

TEST(Limits, ReadsEveryKey) {
  const std::string text =
      "\xEF\xBB\xBF{\n"
      "  \"name\": \"Contract \\\"A\\\" \\u4e2d\\ud83d\\ude00\",\n"
      "  \"spliceLossMaxDb\": 0.3, \"connectorLossMaxDb\": 7.5e-1,\n"
      "  \"reflectanceMaxDb\": -35, \"attenuationMaxDbPerKm\": {\"1310\": 0.4, \"1550\": 0.3},\n"
      "  \"linkLossMaxDb\": 12, \"orlMinDb\": 27.5, \"lengthMinM\": 0, \"lengthMaxM\": 48000,\n"
      "  \"useBidirectional\": true\n}\n";
  const LimitsOutcome outcome = parseLimits(text);
  ASSERT_TRUE(std::holds_alternative<Limits>(outcome))
      << limitsProblemText(std::get<LimitsProblem>(outcome), "x", Language::English);
  Limits expected;
  expected.name = "Contract \"A\" \xE4\xB8\xAD\xF0\x9F\x98\x80";
  expected.spliceLossMaxDb = 0.3;
  expected.connectorLossMaxDb = 0.75;
  expected.reflectanceMaxDb = -35;
  expected.attenuationMaxDbPerKm = {{1310, 0.4}, {1550, 0.3}};
  expected.linkLossMaxDb = 12;
  expected.orlMinDb = 27.5;
  expected.lengthMinM = 0;
  expected.lengthMaxM = 48000;
  expected.useBidirectional = true;
  EXPECT_EQ(std::get<Limits>(outcome), expected);

  // A missing key is not judged: nothing but the name is needed.
  const LimitsOutcome bare = parseLimits(R"({"name":"n"})");
  ASSERT_TRUE(std::holds_alternative<Limits>(bare));
  Limits onlyName;
  onlyName.name = "n";
  EXPECT_EQ(std::get<Limits>(bare), onlyName);
}

TEST(Json, StringsAreWellFormedUtf8AndEscapesBecomeIt) {
  struct Case {
    std::string text;
    const char* want;  // nullptr: refused, at byte `at` where at >= 0
    int at;
  };
  const Case cases[] = {
      {"\"\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\"", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", 0},
      {R"("\u0041\u00e9\u07ff\u0800\uffff")", "A\xC3\xA9\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF", 0},
      {R"("\ud83d\ude00\udbff\udfff")", "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", 0},
      {"\"\xC0\x80\"", nullptr, 1},                // overlong
      {"\"a\xE0\x80\x80\"", nullptr, 2},           // overlong
      {"\"\xED\xA0\x80\"", nullptr, 1},            // a surrogate
      {"\"\xF4\x90\x80\x80\"", nullptr, 1},        // past U+10FFFF
      {"\"\xE4\xB8\"", nullptr, 1},                // cut short by the quote
      {std::string("\"\xE4\xB8", 3), nullptr, 1},  // and by the end of the text
      {"\"\xFF\"", nullptr, 1},
      {R"("\udc00")", nullptr, -1},  // a lone low surrogate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const json::ParseOutcome got = json::parse(c.text);
    if (c.want) {
      ASSERT_TRUE(std::holds_alternative<json::Value>(got));
      const auto* text = std::get_if<std::string>(&std::get<json::Value>(got).data);
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(*text, c.want);
    } else {
      ASSERT_TRUE(std::holds_alternative<json::ParseFault>(got));
      const json::ParseFault& f = std::get<json::ParseFault>(got);
      EXPECT_EQ(f.kind, json::ParseFault::Kind::Syntax);
      if (c.at >= 0) {
        EXPECT_EQ(f.offset, static_cast<std::size_t>(c.at));
      }
    }
  }
}

TEST(Limits, RefusesNamingKeyReasonAndByte) {
  struct Case {
    std::string text;
    LimitsFault fault;
    std::string key;
    std::size_t offset;
  };
  const std::string deep = R"({"name":"n","x":)" + std::string(100000, '[');
  const Case cases[] = {
      {"", LimitsFault::NotJson, "", 0},
      {"{\"name\":\"n\"", LimitsFault::NotJson, "", 11},
      {R"({"name":"n",})", LimitsFault::NotJson, "", 12},
      {R"({"name":"n"} x)", LimitsFault::NotJson, "", 13},
      {R"({"name":"n","spliceLossMaxDb":01})", LimitsFault::NotJson, "", 31},
      {R"({"name":"n","spliceLossMaxDb":NaN})", LimitsFault::NotJson, "", 30},
      {R"({"name":"n","spliceLossMaxDb":.5})", LimitsFault::NotJson, "", 30},
      {"{\"name\":\"a\tb\"}", LimitsFault::NotJson, "", 10},
      {"{\"name\":\"\xC0\xAF\"}", LimitsFault::NotJson, "", 9},
      {R"({"name":"\ud800"})", LimitsFault::NotJson, "", 15},
      {R"({"name":"\q"})", LimitsFault::NotJson, "", 10},
      {deep, LimitsFault::NotJson, "", 16 + 63},
      {"[]", LimitsFault::NotAnObject, "", 0},
      {" 3", LimitsFault::NotAnObject, "", 1},
      {"{}", LimitsFault::MissingName, "name", 2},
      {R"({"name":""})", LimitsFault::MissingName, "name", 8},
      {R"({"name":1})", LimitsFault::NotAString, "name", 8},
      {R"({"name":"n","spliceLossMaxDb":"0.3"})", LimitsFault::NotANumber, "spliceLossMaxDb", 30},
      {R"({"name":"n","orlMinDb":null})", LimitsFault::NotANumber, "orlMinDb", 23},
      {R"({"name":"n","linkLossMaxDb":1e999})", LimitsFault::NotANumber, "linkLossMaxDb", 28},
      {R"({"name":"n","connectorLossMaxDb":-0.1})", LimitsFault::OutOfRange, "connectorLossMaxDb",
       33},
      {R"({"name":"n","reflectanceMaxDb":5})", LimitsFault::OutOfRange, "reflectanceMaxDb", 31},
      {R"({"name":"n","lengthMaxM":-1})", LimitsFault::OutOfRange, "lengthMaxM", 25},
      {R"({"name":"n","useBidirectional":"yes"})", LimitsFault::NotABoolean, "useBidirectional",
       31},
      {R"({"name":"n","attenuationMaxDbPerKm":[0.4]})", LimitsFault::NotAnObject,
       "attenuationMaxDbPerKm", 36},
      {R"({"name":"n","attenuationMaxDbPerKm":{"131O":0.4}})", LimitsFault::NotAWavelength, "131O",
       37},
      {R"({"name":"n","attenuationMaxDbPerKm":{"01310":0.4}})", LimitsFault::NotAWavelength,
       "01310", 37},
      {R"({"name":"n","attenuationMaxDbPerKm":{"2001":0.4}})", LimitsFault::NotAWavelength, "2001",
       37},
      {R"({"name":"n","attenuationMaxDbPerKm":{"1310":-0.4}})", LimitsFault::OutOfRange,
       "attenuationMaxDbPerKm.1310", 44},
      {R"({"name":"n","attenuationMaxDbPerKm":{"1310":true}})", LimitsFault::NotANumber,
       "attenuationMaxDbPerKm.1310", 44},
      {R"({"name":"n","attenuationMaxDbPerKm":{"1310":0.4,"1310":0.5}})", LimitsFault::DuplicateKey,
       "1310", 48},
      {R"({"name":"n","spliceLossMax":0.3})", LimitsFault::UnknownKey, "spliceLossMax", 12},
      {R"({"name":"n","name":"m"})", LimitsFault::DuplicateKey, "name", 12},
      {R"({"name":"n","lengthMinM":5000,"lengthMaxM":100})", LimitsFault::MinAboveMax, "lengthMinM",
       25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    const LimitsOutcome outcome = parseLimits(c.text);
    ASSERT_TRUE(std::holds_alternative<LimitsProblem>(outcome));
    const LimitsProblem& p = std::get<LimitsProblem>(outcome);
    EXPECT_EQ(p.fault, c.fault);
    EXPECT_EQ(p.key, c.key);
    EXPECT_EQ(p.offset, c.offset);
    // The words name the file, the key and the byte in both languages, every mark filled.
    for (const Language language : {Language::English, Language::Chinese}) {
      const std::string words = limitsProblemText(p, "limits.json", language);
      EXPECT_NE(words.find("limits.json"), std::string::npos) << words;
      EXPECT_NE(words.find(std::to_string(p.offset)), std::string::npos) << words;
      if (!c.key.empty()) {
        EXPECT_NE(words.find(c.key), std::string::npos) << words;
      }
      EXPECT_EQ(words.find("{1}"), std::string::npos) << words;
    }
  }
}

TEST(Limits, WrittenLimitsReadBackTheSame) {
  std::vector<Limits> all = presets();
  Limits awkward;
  awkward.name = "quote \" backslash \\ line\nend \x01 \xE4\xB8\xAD";
  awkward.spliceLossMaxDb = 0.1;
  awkward.connectorLossMaxDb = 1e-7;
  awkward.reflectanceMaxDb = -0.0;
  awkward.linkLossMaxDb = 123456.789;
  awkward.orlMinDb = 1.0 / 3.0;
  awkward.lengthMinM = 0;
  awkward.lengthMaxM = 1e300;
  awkward.attenuationMaxDbPerKm = {{400, 0}, {2000, 0.30000000000000004}};
  all.push_back(awkward);
  Limits bare;
  bare.name = "n";
  all.push_back(bare);
  for (const Limits& l : all) {
    SCOPED_TRACE(l.name);
    const std::string text = limitsJson(l);
    const LimitsOutcome back = parseLimits(text);
    ASSERT_TRUE(std::holds_alternative<Limits>(back)) << text;
    EXPECT_EQ(std::get<Limits>(back), l) << text;
  }
}

TEST(Limits, AttenuationOfTheNearestWavelengthWithin20Nm) {
  Limits l;
  l.name = "n";
  l.attenuationMaxDbPerKm = {{1310, 0.4}, {1330, 0.6}, {1550, 0.3}, {1625, 0.5}};
  const struct {
    double nm;
    std::optional<double> limit;
  } cases[] = {
      {1310, 0.4}, {1290, 0.4},   {1289.9, std::nullopt}, {1320, 0.4},  // equally near: shorter
      {1321, 0.6}, {1552.5, 0.3}, {1590, std::nullopt},   {1605, 0.5}, {850, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(attenuationLimit(l, c.nm), c.limit) << c.nm;
  EXPECT_EQ(attenuationLimit(Limits{}, 1310), std::nullopt);
}

TEST(Limits, PresetsAreFoundByNameInAnyCase) {
  for (const Limits& p : presets()) {
    EXPECT_EQ(findPreset(p.name), &p);
    std::string lower = p.name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(findPreset(lower), &p);
    // Each preset judges something, and its name is one word for the command line.
    EXPECT_FALSE(p.attenuationMaxDbPerKm.empty()) << p.name;
    EXPECT_EQ(p.name.find(' '), std::string::npos);
  }
  EXPECT_EQ(findPreset("TIA-568"), nullptr);
  EXPECT_EQ(findPreset(""), nullptr);
}

}  // namespace
}  // namespace tracelink::cable
