#include "report/report_layout.h"

#include <gtest/gtest.h>

#include "report/page_geometry.h"
#include "report_fixtures.h"

namespace tracelink {
namespace {

std::vector<PageText> textsAt(const PageLayout& page, int y) {
  std::vector<PageText> out;
  for (const PageItem& item : page.items)
    if (const auto* t = std::get_if<PageText>(&item); t && t->y == y) out.push_back(*t);
  return out;
}

std::vector<PageText> allTexts(const PageLayout& page) {
  std::vector<PageText> out;
  for (const PageItem& item : page.items)
    if (const auto* t = std::get_if<PageText>(&item)) out.push_back(*t);
  return out;
}

// A row as "x:text" pieces, easy to compare and to read in a failure.
QStringList row(const PageLayout& page, int y) {
  QStringList pieces;
  for (const PageText& t : textsAt(page, y)) pieces << QString("%1:%2").arg(t.x).arg(t.text);
  return pieces;
}

DecodedValues withLevels(int count, std::vector<std::int32_t> levels, Language language) {
  DecodedValues v = test::eventsOf(0, language);
  v.EventCount = count;
  for (std::size_t i = 0; i < levels.size(); ++i) v.EventLevel[i + 1] = levels[i];
  for (std::size_t i = 1; i <= 8; ++i) v.EventDistance[i] = static_cast<std::int32_t>(1021 * i);
  v.EventType[1] = 1;
  v.EventType[2] = 2;
  return v;
}

struct RowsCase {
  const char* name;
  Language language;
  int count;
  std::vector<std::int32_t> levels;
  std::vector<QStringList> rows;  // expected rows from y = 148 on
};

class EventRows : public ::testing::TestWithParam<RowsCase> {};

TEST_P(EventRows, ListsTheRecordsEventsWithTheBuildsLoss) {
  const RowsCase& c = GetParam();
  const PageLayout page = layoutReportPage(
      test::defaultHeader(), test::sourcesWith(withLevels(c.count, c.levels, c.language)),
      c.language, ".");
  for (std::size_t i = 0; i < c.rows.size(); ++i)
    EXPECT_EQ(row(page, 148 + 6 * static_cast<int>(i)), c.rows[i]) << "row " << i + 1;
  // Nothing below the last expected row.
  for (const PageText& t : allTexts(page))
    EXPECT_LT(t.y, 148 + 6 * static_cast<int>(c.rows.size())) << t.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Report, EventRows,
    ::testing::Values(
        RowsCase{"none", Language::English, 0, {1000, 950}, {}},
        RowsCase{"negativeCount", Language::English, -4, {1000, 950}, {}},
        RowsCase{
            "one", Language::English, 1, {2000, 1850}, {{"5:1", "35:REF", "65:1021", "95:1.50"}}},
        RowsCase{"twoEnglish",
                 Language::English,
                 2,
                 {1000, 950, 900, 880},
                 {{"5:1", "35:REF", "65:1021", "95:0.50", "125:0.50"},
                  {"5:2", "35:ATT", "65:2042", "95:1.20"}}},
        RowsCase{"twoChinese",
                 Language::Chinese,
                 2,
                 {1000, 950, 900, 880},
                 {{"5:1", "35:反射", "65:1021", "95:0.50", "125:0.50"},
                  {"5:2", "35:损耗", "65:2042", "95:0.20"}}},
        RowsCase{"negativeAndZero",
                 Language::English,
                 2,
                 {1000, 1035, 1035, 990},
                 {{"5:1", "35:REF", "65:1021", "95:-0.35", "125:0.00"},
                  {"5:2", "35:ATT", "65:2042", "95:0.10"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportLayout, EightEventsAtMostEvenWhenTheCountWordSaysMore) {
  for (const Language language : {Language::English, Language::Chinese}) {
    for (const int count : {8, 9, 100, 5000}) {
      const PageLayout page = layoutReportPage(
          test::defaultHeader(), test::sourcesWith(test::eventsOf(count, language)), language, ".");
      // eventsOf: levels fall 0.50 dB across each event and 0.20 dB between events.
      const QStringList last = row(page, 148 + 6 * 7);
      ASSERT_EQ(last.size(), 4) << count;  // the eighth row is the last: no IL
      EXPECT_EQ(last[0], "5:8");
      EXPECT_EQ(last[2], "65:800");
      EXPECT_EQ(last[3], language == Language::English ? "95:5.40" : "95:0.50");
      EXPECT_EQ(row(page, 148 + 6 * 6).last(), "125:0.20");
      EXPECT_TRUE(row(page, 148 + 6 * 8).isEmpty());
    }
  }
}

TEST(ReportLayout, TypeWithoutWordShowsItsNumberAndSeparatorFollowsLocale) {
  DecodedValues v = test::eventsOf(2);
  v.EventType[2] = 7;
  const PageLayout page =
      layoutReportPage(test::defaultHeader(), test::sourcesWith(v), Language::English, ",");
  EXPECT_EQ(row(page, 154), (QStringList{"5:2", "35:7", "65:200", "95:1,20"}));
}

TEST(ReportLayout, HeaderBlockJoinsCaptionAndValueAndEmptyValuesLeaveTheCaption) {
  const ReportHeader header{"Dev", "C-1", "F-2", "SM", "Ann", "T0"};
  ReportSources sources = test::sourcesWith(test::eventsOf(0));
  struct Expect {
    int x, y, size;
    QString english, chinese;  // with the values above
    QString englishEmpty;      // with every value empty
  };
  const std::vector<Expect> expected{
      {83, 5, 16, "OTDR Report", "OTDR测试报告", "OTDR Report"},
      {5, 13, 12, "Operator:Ann", "操作员：Ann", "Operator:"},
      {50, 13, 12, "Fiber type:SM", "光纤类型：SM", "Fiber type:"},
      {115, 13, 12, "Device name:Dev", "设备名称：Dev", "Device name:"},
      {5, 19, 12, "Cable No.:C-1", "光缆标号：C-1", "Cable No.:"},
      {50, 19, 12, "Fiber No.:F-2", "光纤标号：F-2", "Fiber No.:"},
      {115, 19, 12, "Time:T0", "测量时间：T0", "Time:"},
      {5, 25, 12, "IOR:1.4677", "折射率：1.4677", "IOR:"},
      {50, 25, 12, "Pluse:100ns", "脉宽：100ns", "Pluse:"},
      {5, 31, 12, "AMP:5", "增益：5", "AMP:"},
      {115, 31, 12, "Wave:1310nm", "波长：1310nm", "Wave:1310nm"},
      {5, 43, 12, "Trace:1000m/div     2dB/div", "曲线图：1000m/div     2dB/div", "Trace:"},
      {75, 136, 12, "Events list", "事件表", "Events list"},
  };
  ReportSources empty = sources;
  empty.text4_0 = empty.text4_1 = empty.text4_3 = empty.text4_5 = "";
  const auto en = allTexts(layoutReportPage(header, sources, Language::English, "."));
  const auto zh = allTexts(layoutReportPage(header, sources, Language::Chinese, "."));
  const auto blank = allTexts(layoutReportPage({}, empty, Language::English, "."));
  for (const Expect& e : expected) {
    EXPECT_NE(std::find(en.begin(), en.end(), PageText{e.x, e.y, e.size, e.english}), en.end())
        << e.english.toStdString();
    EXPECT_NE(std::find(zh.begin(), zh.end(), PageText{e.x, e.y, e.size, e.chinese}), zh.end())
        << e.chinese.toStdString();
    EXPECT_NE(std::find(blank.begin(), blank.end(), PageText{e.x, e.y, e.size, e.englishEmpty}),
              blank.end())
        << e.englishEmpty.toStdString();
  }
  EXPECT_EQ(row(layoutReportPage(header, sources, Language::Chinese, "."), 142),
            (QStringList{"5:序号", "35:事件类型", "65:距离(m)", "95:损耗(dB)", "125:插损(dB)"}));
  EXPECT_EQ(row(layoutReportPage(header, sources, Language::English, "."), 142),
            (QStringList{"5:No.", "35:Event type", "65:Dis(m)", "95:Loss(dB)", "125:IL(dB)"}));
}

TEST(ReportLayout, EventTableLiesOnTopOfThePlot) {
  const PageLayout page = layoutReportPage(
      test::defaultHeader(), test::sourcesWith(test::eventsOf(1)), Language::English, ".");
  std::size_t picture = page.items.size();
  std::size_t tableRule = 0;
  std::vector<int> rules;
  for (std::size_t i = 0; i < page.items.size(); ++i) {
    if (const auto* p = std::get_if<PagePicture>(&page.items[i])) {
      picture = i;
      EXPECT_EQ(p->pixel, QPoint(5, 200));
    }
    if (const auto* l = std::get_if<PageLine>(&page.items[i])) {
      EXPECT_EQ(l->x1, 5);
      EXPECT_EQ(l->x2, 185);
      EXPECT_EQ(l->y1, l->y2);
      rules.push_back(l->y1);
      if (l->y1 == 135) tableRule = i;
    }
  }
  EXPECT_EQ(rules, (std::vector<int>{37, 43, 135, 141, 147}));
  EXPECT_LT(picture, tableRule);
}

TEST(PageGeometry, UnitsAndScrollPositionsMapToCanvasPixels) {
  EXPECT_EQ(pageUnitToPixel(0, 0), QPoint(0, 0));
  EXPECT_EQ(pageUnitToPixel(195, 297), QPoint(753, 1241));
  EXPECT_EQ(pageUnitToPixel(83, 5), QPoint(321, 21));
  EXPECT_EQ(pageUnitToPixel(5, 148), QPoint(19, 618));
  EXPECT_EQ(firstViewRow(0), 0);
  EXPECT_EQ(firstViewRow(1), 20);
  EXPECT_EQ(firstViewRow(25), 500);
  EXPECT_EQ(firstViewRow(26), 500);
  EXPECT_EQ(firstViewRow(-1), 0);
  EXPECT_EQ(twipsRect(11040, 480, 375, 8295), QRect(736, 32, 25, 553));
}

}  // namespace
}  // namespace tracelink
