#include <gtest/gtest.h>

#include <memory>

#include "record/decode.h"

namespace tracelink {
namespace {

const std::string kEight(8, ' ');

std::unique_ptr<TraceRecord> recordWith(std::int32_t reglw, std::int32_t wendu,
                                        std::int32_t ior = 14677) {
  auto record = std::make_unique<TraceRecord>();
  (*record)[slot::kReglw] = reglw;
  (*record)[slot::kWendu] = wendu;
  (*record)[slot::kIor] = ior;
  return record;
}

TEST(DecodeRecordTest, PulseWordFromReglw) {
  const struct {
    std::int32_t reglw;
    std::int32_t index;
    const char* word;
  } cases[] = {{0, 0, "10ns"},  {1, 1, "20ns"},  {2, 2, "50ns"},    {3, 3, "100ns"},
               {4, 4, "200ns"}, {5, 5, "500ns"}, {6, 6, "1us"},     {7, 7, "1.5us"},
               {8, 8, "2.5us"}, {9, 3, "100ns"}, {200, 3, "100ns"}, {65535, 3, "100ns"}};
  for (const auto& c : cases) {
    DecodedValues values;
    const DecodedTexts texts = DecodeRecord(*recordWith(c.reglw, 5), values, Language::English);
    EXPECT_EQ(values.PulseIndex, c.index) << c.reglw;
    EXPECT_EQ(texts.text4_1, c.word) << c.reglw;
  }
}

TEST(DecodeRecordTest, AmpFromWendu) {
  const struct {
    std::int32_t wendu;
    std::int32_t amp;
  } cases[] = {{0, 0}, {5, 5}, {50, 50}, {51, 0}, {65535, 0}};
  for (const auto& c : cases) {
    DecodedValues values;
    const DecodedTexts texts = DecodeRecord(*recordWith(3, c.wendu), values, Language::English);
    EXPECT_EQ(values.Amp, c.amp) << c.wendu;
    EXPECT_EQ(texts.text4_3, std::to_string(c.amp)) << c.wendu;
  }
}

TEST(DecodeRecordTest, GroupIndexIgnoresTheHeaderSlot) {
  for (const std::int32_t ior : {0, 14600, 14677, 65535}) {
    DecodedValues values;
    values.Ior = 2.0;
    const DecodedTexts texts = DecodeRecord(*recordWith(3, 5, ior), values, Language::English);
    EXPECT_EQ(values.Ior, 1.4677) << ior;
    EXPECT_EQ(texts.text4_0, "1.4677") << ior;
  }
}

TEST(DecodeRecordTest, InfoLineInBothLanguages) {
  const struct {
    Language language;
    std::string label;
    std::string type1;
    std::string type2;
  } cases[] = {
      {Language::English,
       "IOR:1.4677" + kEight + "Pluse:100ns" + kEight +
           "Wavelen\xEF\xBC\x9A"
           "1310nm" +
           kEight + "AMP:5",
       "REF", "ATT"},
      {Language::Chinese,
       "折射率：1.4677" + kEight + "脉宽：100ns" + kEight + "波长：1310nm" + kEight + "增益：5",
       "反射", "损耗"},
  };
  for (const auto& c : cases) {
    DecodedValues values;
    const DecodedTexts texts = DecodeRecord(*recordWith(3, 5), values, c.language);
    EXPECT_EQ(texts.label1, c.label);
    EXPECT_EQ(values.EventTypeName[1], c.type1);
    EXPECT_EQ(values.EventTypeName[2], c.type2);
  }
}

}  // namespace
}  // namespace tracelink
