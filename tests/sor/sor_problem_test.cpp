// SOR problems as data: each code worded in both languages, and each reached from real
// input with the values it names.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "sor/sor_io.h"
#include "sor/sor_strings.h"
#include "sor/sor_test_support.h"
#include "sor/trace_sor.h"

namespace tracelink::sor {
namespace {

using testing::readBytes;
using testing::samplePath;

SorProblem at(SorCode code, std::string block, std::string field, std::size_t offset,
              std::int64_t a = 0, std::int64_t b = 0, std::int64_t c = 0) {
  SorProblem p;
  p.code = code;
  p.block = std::move(block);
  p.field = std::move(field);
  p.offset = offset;
  p.a = a;
  p.b = b;
  p.c = c;
  return p;
}

SorProblem refused(SorCode code, std::int64_t a = 0, std::int64_t b = 0) {
  SorProblem p;
  p.code = code;
  p.a = a;
  p.b = b;
  return p;
}

SorProblem withItems(SorProblem p, SorItems items) {
  p.items = items;
  return p;
}
SorProblem withText(SorProblem p, SorText text) {
  p.text = text;
  return p;
}
SorProblem withFound(SorProblem p, std::string found) {
  p.found = std::move(found);
  return p;
}

TEST(SorProblemText, EachCodeInBothLanguages) {
  const struct {
    SorProblem problem;
    const char* english;
    const char* chinese;
  } cases[] = {
      {at(SorCode::FileEmpty, "Map", "name", 0),
       "block Map, field name, offset 0: the file is empty", "块 Map，字段 name，偏移 0：文件为空"},
      {at(SorCode::FieldTooShort, "Map", "size", 2, 4, 2),
       "block Map, field size, offset 2: needs 4 bytes, the block has 2 left",
       "块 Map，字段 size，偏移 2：需要 4 字节，块中仅剩 2 字节"},
      {at(SorCode::NoNul, "GenParams", "cable ID", 182),
       "block GenParams, field cable ID, offset 182: the string has no NUL before the block ends",
       "块 GenParams，字段 cable ID，偏移 182：字符串在块结束前没有 NUL 结尾"},
      {withItems(at(SorCode::CountTooLarge, "DataPts", "values", 1234, 30000, 60000, 50002),
                 SorItems::Points),
       "block DataPts, field values, offset 1234: 30000 points need 60000 bytes, 50002 remain",
       "块 DataPts，字段 values，偏移 1234：30000 个数据点需要 60000 字节，仅剩 50002 字节"},
      {at(SorCode::MapVersion, "Map", "version", 4, 300),
       "block Map, field version, offset 4: version 300 is neither 1xx nor 2xx",
       "块 Map，字段 version，偏移 4：版本 300 既不是 1xx 也不是 2xx"},
      {at(SorCode::NotAMap, "Map", "version", 0),
       "block Map, field version, offset 0: the file starts with neither \"Map\" nor a "
       "version-1 map",
       "块 Map，字段 version，偏移 0：文件开头既不是“Map”也不是第 1 版的 Map"},
      {at(SorCode::MapPastEnd, "Map", "size", 6, 1000000, 54400),
       "block Map, field size, offset 6: the Map claims 1000000 bytes, the file has 54400",
       "块 Map，字段 size，偏移 6：Map 声明 1000000 字节，文件只有 54400 字节"},
      {at(SorCode::MapTooSmall, "Map", "size", 6, 9),
       "block Map, field size, offset 6: a Map of 9 bytes cannot hold its own header",
       "块 Map，字段 size，偏移 6：9 字节的 Map 容纳不下它自己的头部"},
      {at(SorCode::NoBlocks, "Map", "block count", 10),
       "block Map, field block count, offset 10: the count is 0",
       "块 Map，字段 block count，偏移 10：块数为 0"},
      {withFound(at(SorCode::BlockNameMismatch, "GenParams", "name", 170), "genParams"),
       "block GenParams, field name, offset 170: the block starts with \"genParams\"",
       "块 GenParams，字段 name，偏移 170：块以“genParams”开头"},
      {at(SorCode::BlockPastEnd, "FxdParams", "size", 298, 92, 2),
       "block FxdParams, field size, offset 298: the block's size 92 runs past the end of the "
       "file (2 bytes remain)",
       "块 FxdParams，字段 size，偏移 298：块大小 92 超出文件末尾（仅剩 2 字节）"},
      {at(SorCode::RecordTooShort, "TracelinkRecord", "header words", 500, 8000, 13),
       "block TracelinkRecord, field header words, offset 500: needs 8000 bytes, 13 remain",
       "块 TracelinkRecord，字段 header words，偏移 500：需要 8000 字节，仅剩 13 字节"},
      {at(SorCode::RecordFormat, "TracelinkRecord", "format", 18, 7),
       "block TracelinkRecord, field format, offset 18: format 7 is not 1",
       "块 TracelinkRecord，字段 format，偏移 18：格式 7 不是 1"},
      {at(SorCode::RecordBlockCount, "TracelinkRecord", "block count", 20, 16),
       "block TracelinkRecord, field block count, offset 20: block count 16 is outside 1..15",
       "块 TracelinkRecord，字段 block count，偏移 20：块数 16 不在 1..15 之内"},
      {at(SorCode::RecordTopLevel, "TracelinkRecord", "top level", 40, 70000),
       "block TracelinkRecord, field top level, offset 40: the top level 70000 is not a word",
       "块 TracelinkRecord，字段 top level，偏移 40：最高电平 70000 不是 16 位字"},
      {at(SorCode::RecordPointsOutside, "TracelinkRecord", "point count", 40, 60000, 60200),
       "block TracelinkRecord, field point count, offset 40: points 60000..60200 lie outside "
       "the record",
       "块 TracelinkRecord，字段 point count，偏移 40：数据点 60000..60200 超出记录范围"},
      {at(SorCode::RecordPointsMismatch, "TracelinkRecord", "point count", 40, 4001),
       "block TracelinkRecord, field point count, offset 40: 4001 points do not match the "
       "file's DataPts",
       "块 TracelinkRecord，字段 point count，偏移 40：4001 个数据点与文件的 DataPts 不符"},
      {at(SorCode::RecordOtherWords, "TracelinkRecord", "other words", 44, 3, 4000),
       "block TracelinkRecord, field other words, offset 44: 3 words, the record needs 4000",
       "块 TracelinkRecord，字段 other words，偏移 44：3 个字，记录需要 4000 个"},
      {at(SorCode::RecordLevelMismatch, "TracelinkRecord", "exact", 9000, 17),
       "block TracelinkRecord, field exact, offset 9000: DataPts point 17 does not hold a level "
       "of the record",
       "块 TracelinkRecord，字段 exact，偏移 9000：DataPts 第 17 点不是记录中的电平"},
      {withText(refused(SorCode::ExportNotAscii), SorText::LocationA),
       "cannot export as SOR: location A holds a character that is not printable ASCII",
       "无法导出为SOR：A端位置含有不可打印或非ASCII的字符"},
      {refused(SorCode::ExportDate, 5000000000LL),
       "cannot export as SOR: the date 5000000000 lies outside 1970..2106",
       "无法导出为SOR：日期 5000000000 超出 1970..2106"},
      {refused(SorCode::ExportBlockCount, 0),
       "cannot export as SOR: block count 0 is outside 1..15",
       "无法导出为SOR：块数 0 不在 1..15 之内"},
      {refused(SorCode::ExportNoSamples, 100, 100),
       "cannot export as SOR: the trace has no samples to export (StartPoint 100 is not below "
       "RangeLine 100)",
       "无法导出为SOR：曲线没有可导出的采样点（StartPoint 100 不小于 RangeLine 100）"},
      {refused(SorCode::ExportWordOutside, 56500, -1),
       "cannot export as SOR: record position 56500 holds -1, outside 0..65535",
       "无法导出为SOR：记录位置 56500 的值为 -1，超出 0..65535"},
      {refused(SorCode::EditNoGenParams),
       "cannot export as SOR: the file has no GenParams block to hold the cable and fibre",
       "无法导出为SOR：文件没有可写入光缆和光纤信息的 GenParams 块"},
  };
  std::set<SorCode> seen;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.english);
    seen.insert(c.problem.code);
    EXPECT_EQ(problemText(c.problem, Language::English), c.english);
    EXPECT_EQ(problemText(c.problem, Language::Chinese), c.chinese);
    // The command line's words are the English ones.
    EXPECT_EQ(SorResult<int>(c.problem).error().text(), c.english);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kSorCodeCount)) << "a code without a case";
}

// The words that go into the sentences: what a count counts and which text is refused.
TEST(SorProblemText, ItemsAndTextsInBothLanguages) {
  const struct {
    SorItems items;
    const char* english;
    const char* chinese;
  } items[] = {{SorItems::BlockEntries, "block entries", "块条目"},
               {SorItems::PulseWidths, "pulse widths", "脉宽"},
               {SorItems::Events, "events", "事件"},
               {SorItems::Traces, "traces", "曲线"},
               {SorItems::Points, "points", "数据点"}};
  for (const auto& c : items) {
    const SorProblem p = withItems(at(SorCode::CountTooLarge, "B", "f", 1, 2, 3, 4), c.items);
    EXPECT_EQ(problemText(p, Language::English), std::string("block B, field f, offset 1: 2 ") +
                                                     c.english + " need 3 bytes, 4 remain");
    EXPECT_EQ(problemText(p, Language::Chinese),
              std::string("块 B，字段 f，偏移 1：2 个") + c.chinese + "需要 3 字节，仅剩 4 字节");
  }
  const struct {
    SorText text;
    const char* english;
    const char* chinese;
  } texts[] = {
      {SorText::Cable, "the cable ID", "光缆编号"},  {SorText::Fiber, "the fiber ID", "光纤编号"},
      {SorText::Operator, "the operator", "操作员"}, {SorText::LocationA, "location A", "A端位置"},
      {SorText::LocationB, "location B", "B端位置"}, {SorText::Comment, "the comment", "备注"}};
  for (const auto& c : texts) {
    const SorProblem p = withText(refused(SorCode::ExportNotAscii), c.text);
    EXPECT_EQ(problemText(p, Language::English),
              std::string("cannot export as SOR: ") + c.english +
                  " holds a character that is not printable ASCII");
    EXPECT_EQ(problemText(p, Language::Chinese),
              std::string("无法导出为SOR：") + c.chinese + "含有不可打印或非ASCII的字符");
  }
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = v >> 8;
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}

// The reading codes the other tests do not reach from a file, with the values they carry.
TEST(SorProblemRead, MapFaultsCarryTheirValues) {
  const std::vector<std::uint8_t> good = readBytes(samplePath("sample01.sor"));
  const struct {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> mutate;
    SorProblem want;
  } cases[] = {
      {"no Map and no version-1 map", [](auto& b) { b[0] = 'X'; },
       at(SorCode::NotAMap, "Map", "version", 0)},
      {"a Map too small for its header", [](auto& b) { put32(b, 6, 9); },
       at(SorCode::MapTooSmall, "Map", "size", 6, 9)},
      {"a Map of no blocks", [](auto& b) { put16(b, 10, 0); },
       at(SorCode::NoBlocks, "Map", "block count", 10)},
      {"a Map of a version 3", [](auto& b) { put16(b, 4, 312); },
       at(SorCode::MapVersion, "Map", "version", 4, 312)},
      {"a block past the end", [](auto& b) { b.resize(300); },
       at(SorCode::BlockPastEnd, "FxdParams", "size", 298, 92, 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> bad = good;
    c.mutate(bad);
    const SorResult<SorFile> r = ReadSor(bad);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.problem(), c.want) << r.error().text();
  }
  const SorResult<SorFile> empty = ReadSor({});
  ASSERT_FALSE(empty.ok());
  EXPECT_EQ(empty.problem(), at(SorCode::FileEmpty, "Map", "name", 0));
}

TEST(SorProblemExport, OnePolicyForEveryText) {
  std::string SorExportOptions::*const fields[] = {
      &SorExportOptions::cable,     &SorExportOptions::fiber,     &SorExportOptions::operatorName,
      &SorExportOptions::locationA, &SorExportOptions::locationB, &SorExportOptions::comment};
  const SorText named[] = {SorText::Cable,     SorText::Fiber,     SorText::Operator,
                           SorText::LocationA, SorText::LocationB, SorText::Comment};
  // Printable ASCII is space to tilde; a tab, DEL, a NUL, Latin-1 and Chinese are not.
  const std::string refusedTexts[] = {"a\tb", "x\x7F", std::string("n\0l", 3), "Z\xFCrich",
                                      "\xE5\x8C\x97\xE4\xBA\xAC"};
  SorExportOptions all;
  for (std::string SorExportOptions::*f : fields) all.*f = " !az~AZ09";
  EXPECT_FALSE(CheckExportTexts(all).has_value());
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    for (const std::string& text : refusedTexts) {
      SorExportOptions o = all;
      o.*fields[i] = text;
      const std::optional<SorProblem> p = CheckExportTexts(o);
      ASSERT_TRUE(p.has_value()) << i << " " << text;
      EXPECT_EQ(p->code, SorCode::ExportNotAscii);
      EXPECT_EQ(p->text, named[i]);
      EXPECT_FALSE(IsPrintableAscii(text));
    }
  }
  // The export itself refuses with the same problem, before it looks at the trace.
  SorExportOptions bad;
  bad.operatorName = "\xE6\x9D\x8E";
  auto record = std::make_unique<TraceRecord>();
  const SorResult<SorFile> r = TraceToSor(*record, HeaderState{}, ViewWindow{}, 1, bad);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.problem(), *CheckExportTexts(bad));
}

}  // namespace
}  // namespace tracelink::sor
