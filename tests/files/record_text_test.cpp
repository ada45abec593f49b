#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "files/record_text.h"
#include "test_files.h"

namespace tracelink {
namespace {

using test::fileText;
using test::patternRecord;

// The fields of a file text, split independently of the parser.
std::vector<long> splitFields(const std::string& text) {
  std::vector<long> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    fields.push_back(std::stol(text.substr(start, comma - start)));
  return fields;
}

class RoundTripTest : public testing::TestWithParam<std::int32_t> {};

TEST_P(RoundTripTest, WritesTheBlocksAndTheHeaderAndReadsThemBack) {
  const std::int32_t n = GetParam();
  auto written = patternRecord(1);
  const std::string text = BuildRecordText(*written, n);
  EXPECT_EQ((*written)[0], n);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), ',');
  EXPECT_EQ(text.find_first_not_of("0123456789,"), std::string::npos);

  const std::vector<long> fields = splitFields(text);
  const std::size_t sampleWords = static_cast<std::size_t>(n) * kBlockWords;
  ASSERT_EQ(fields.size(), sampleWords + kBlockWords);
  EXPECT_EQ(fields[0] ^ kWordMask, n);
  EXPECT_EQ(fields[sampleWords - 1] ^ kWordMask, (*written)[sampleWords - 1]);
  EXPECT_EQ(fields[sampleWords] ^ kWordMask, (*written)[kHeaderStart]);
  EXPECT_EQ(fields.back() ^ kWordMask, (*written)[kHeaderEnd - 1]);

  auto read = patternRecord(2);
  const auto before = std::make_unique<TraceRecord>(*read);
  const Result<std::int32_t> blocks = ParseRecordText(text, *read);
  ASSERT_TRUE(blocks.ok()) << blocks.error().text();
  EXPECT_EQ(*blocks, n);
  for (std::size_t p = 0; p < read->words.size(); ++p) {
    const bool inFile = p < sampleWords || (p >= kHeaderStart && p < kHeaderEnd);
    ASSERT_EQ((*read)[p], inFile ? (*written)[p] : (*before)[p]) << "position " << p;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryBlockCount, RoundTripTest, testing::Range(1, 16));

TEST(BuildRecordTextTest, FileAfterAOneBlockUpload) {
  // An upload clears the record, then fills data block 1 and the header; BlockNo then
  // stands at 2, one above the trace's block count.
  TraceRecord record;
  for (int p = 0; p < kBlockWords; ++p) record[p] = p % 900;
  for (int p = kHeaderStart; p < kHeaderEnd; ++p) record[p] = p - kHeaderStart;
  const std::vector<long> fields = splitFields(BuildRecordText(record, 2));
  ASSERT_EQ(fields.size(), 12000u);
  EXPECT_EQ(fields[0] ^ kWordMask, 2);
  EXPECT_TRUE(std::all_of(fields.begin() + 4000, fields.begin() + 8000,
                          [](long f) { return f == kWordMask; }));  // the zero block 2
  EXPECT_EQ(fields[8000 + 60] ^ kWordMask, 60);
}

TEST(BuildRecordTextTest, BlockCountIsKeptReadable) {
  const struct {
    std::int32_t blockNo;
    std::int32_t written;
  } cases[] = {{0, 1}, {-5, 1}, {16, 15}, {1000, 15}};
  for (const auto& c : cases) {
    auto record = patternRecord(3);
    (*record)[1] = -1;  // not a 16-bit word: only its low 16 bits are stored
    const std::string text = BuildRecordText(*record, c.blockNo);
    EXPECT_EQ((*record)[0], c.written);
    auto back = std::make_unique<TraceRecord>();
    const Result<std::int32_t> n = ParseRecordText(text, *back);
    ASSERT_TRUE(n.ok()) << n.error().text();
    EXPECT_EQ(*n, c.written);
    EXPECT_EQ((*back)[1], 0xFFFF);
  }
}

// One valid file of block count 1 whose words are 0, 1, 2, ... (position 0 holds 1).
std::vector<std::int32_t> smallWords() {
  std::vector<std::int32_t> words(8000);
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = static_cast<std::int32_t>(i % 65536);
  words[0] = 1;
  return words;
}

// The text with field k (1-based) replaced by raw.
std::string withField(std::vector<std::int32_t> words, std::size_t k, const std::string& raw) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i)
    text += (i + 1 == k ? raw : std::to_string(words[i] ^ kWordMask)) + ",";
  return text;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

struct TextCase {
  const char* name;
  std::string text;
  std::string error;  // empty when the text reads as smallWords()
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.name;
}

std::vector<TextCase> textCases() {
  const std::vector<std::int32_t> words = smallWords();
  const std::string good = fileText(words);
  std::string spaced;  // blanks before every value, line breaks now and then
  for (std::size_t i = 0; i < words.size(); ++i)
    spaced += std::string(i % 3, ' ') + (i % 5 == 0 ? "\t" : "") +
              std::to_string(words[i] ^ kWordMask) + (i % 7 == 0 ? " ," : ",") +
              (i % 11 == 0 ? "\r\n" : "");
  const std::string masked7 = std::to_string(words[6] ^ kWordMask);
  return {
      {"Plain", good, ""},
      {"CrLfAfterEveryComma", replaceAll(good, ",", ",\r\n"), ""},
      {"LineEndsInsteadOfCommas", replaceAll(good, ",", "\r\n"), ""},
      {"LfOnly", replaceAll(good, ",", "\n"), ""},
      {"BlanksAndBreaks", spaced, ""},
      {"ByteOrderMark", "\xEF\xBB\xBF" + good, ""},
      {"NoFinalComma", good.substr(0, good.size() - 1), ""},
      {"ExtraFieldsAfterTheLast", good + "1,2,3,not even numbers", ""},
      {"LeadingZeros", withField(words, 7, "000" + masked7), ""},
      {"Empty", "", "is empty"},
      {"OnlyBlanks", " \r\n\t ", "holds no fields"},
      {"OnlyCommas", std::string(100, ','), "field 1 is not a number"},
      {"Letters", withField(words, 4001, "abc"), "field 4001 is not a number"},
      {"EmptyField", withField(words, 7, ""), "field 7 is not a number"},
      {"Decimal", withField(words, 7, "1.5"), "field 7 is not a number"},
      {"TwoNumbersInOneField", withField(words, 7, "1 2"), "field 7 is not a number"},
      {"Plus", withField(words, 7, "+5"), "field 7 is not a number"},
      {"TrailingLetter", withField(words, 7, "12x"), "field 7 is not a number"},
      {"Negative", withField(words, 7, "-5"), "field 7 is negative"},
      {"LoneMinus", withField(words, 7, "-"), "field 7 is not a number"},
      {"JustAboveTheLargestWord", withField(words, 7, "65536"), "field 7 is more than 65535"},
      {"FarTooLarge", withField(words, 7, "99999999999999999999"), "field 7 is more than 65535"},
      {"Nul", withField(words, 7, std::string(1, '\0')), "field 7 is not a number"},
      {"PartialByteOrderMark", "\xEF\xBB" + good, "field 1 is not a number"},
      {"Short", good.substr(0, fileText({words.begin(), words.begin() + 5000}).size()),
       "ends after 5000 of 8000 fields"},
      {"OnlyTheFirstField", fileText({1}), "ends after 1 of 8000 fields"},
      {"BlockCount16", withField(words, 1, std::to_string(16 ^ kWordMask)),
       "block count 16 is outside 1..15"},
      {"BlockCount0", withField(words, 1, std::to_string(kWordMask)),
       "block count 0 is outside 1..15"},
      // Block count 2 asks for 12000 fields; this file has 8000.
      {"BlockCountAboveTheFile", withField(words, 1, std::to_string(2 ^ kWordMask)),
       "ends after 8000 of 12000 fields"},
  };
}

class ParseTextTest : public testing::TestWithParam<TextCase> {};

void expectOutcome(const TextCase& c, const TraceRecord& before, const TraceRecord& after,
                   const Result<std::int32_t>& result) {
  if (c.error.empty()) {
    ASSERT_TRUE(result.ok()) << result.error().text();
    EXPECT_EQ(*result, 1);
    const std::vector<std::int32_t> words = smallWords();
    EXPECT_TRUE(std::equal(words.begin(), words.begin() + 4000, after.words.begin()));
    EXPECT_TRUE(std::equal(words.begin() + 4000, words.end(), after.words.begin() + kHeaderStart));
  } else {
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().text(), c.error);
    EXPECT_EQ(after.words, before.words) << "a failed read must leave the record alone";
  }
}

TEST_P(ParseTextTest, WholeText) {
  const TextCase& c = GetParam();
  auto record = patternRecord(9);
  const auto before = std::make_unique<TraceRecord>(*record);
  expectOutcome(c, *before, *record, ParseRecordText(c.text, *record));
}

TEST_P(ParseTextTest, ByteByByte) {
  // A file arrives in pieces; where the pieces are cut must not matter.
  const TextCase& c = GetParam();
  RecordTextParser parser;
  for (const char ch : c.text)
    if (!parser.feed(std::string_view(&ch, 1))) break;
  Result<ParsedRecord> parsed = parser.finish();
  auto record = patternRecord(9);
  const auto before = std::make_unique<TraceRecord>(*record);
  if (parsed) StoreParsedRecord(*parsed, *record);
  const Result<std::int32_t> result =
      parsed ? Result<std::int32_t>(parsed->blockCount) : Result<std::int32_t>(parsed.error());
  expectOutcome(c, *before, *record, result);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseTextTest, testing::ValuesIn(textCases()),
                         [](const testing::TestParamInfo<TextCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(ParseTextTest, StopsAtTheLastFieldItNeeds) {
  RecordTextParser parser;
  const std::string good = fileText(smallWords());
  EXPECT_FALSE(parser.feed(good));  // wants nothing more
  EXPECT_FALSE(parser.feed("garbage that is never looked at"));
  EXPECT_TRUE(parser.finish().ok());
}

TEST(ParseTextTest, LargestFileSetsTheHeaderFromItsSecondCopy) {
  // With 15 blocks the sample part already covers the header region; the header block
  // that follows it is the one that stays.
  std::vector<std::int32_t> words(64000, 5);
  words[0] = 15;
  words[56000] = 111;  // first copy of the header's first word
  words[60000] = 222;  // second copy
  TraceRecord record;
  const Result<std::int32_t> n = ParseRecordText(fileText(words), record);
  ASSERT_TRUE(n.ok()) << n.error().text();
  EXPECT_EQ(record[kHeaderStart], 222);
  EXPECT_EQ(record[kHeaderEnd], 0);  // the spare tail is never written
}

}  // namespace
}  // namespace tracelink
