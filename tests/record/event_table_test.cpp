#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "record/decode.h"

namespace tracelink {
namespace {

struct Event {
  std::int32_t position;
  std::int32_t type;
  std::int32_t db1;
  std::int32_t db2;
};

const std::string kEnglishHeader = "No.\tType\tDis(m)\tLoss(dB)\tIL(dB)\r\n";

std::unique_ptr<TraceRecord> recordWithEvents(std::int32_t count,
                                              const std::vector<Event>& events) {
  auto record = std::make_unique<TraceRecord>();
  (*record)[slot::kEventCount] = count;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const std::size_t base = slot::kEventList + 4 * i;
    (*record)[base] = events[i].position;
    (*record)[base + 1] = events[i].type;
    (*record)[base + 2] = events[i].db1;
    (*record)[base + 3] = events[i].db2;
  }
  return record;
}

struct TableCase {
  const char* name;
  std::int32_t count;
  std::vector<Event> events;
  std::string body;  // the table after its header line
};

void PrintTo(const TableCase& c, std::ostream* os) {
  *os << c.name;
}

class EventTableTest : public testing::TestWithParam<TableCase> {};

TEST_P(EventTableTest, TableText) {
  const TableCase& c = GetParam();
  DecodedValues values;
  const DecodedTexts texts =
      DecodeRecord(*recordWithEvents(c.count, c.events), values, Language::English);
  EXPECT_EQ(texts.eventHeader, kEnglishHeader);
  EXPECT_EQ(texts.eventText, kEnglishHeader + c.body);
  EXPECT_EQ(values.EventCount, c.count);
}

const Event kE1{1000, 1, 2000, 1850};
const Event kE2{2000, 2, 1800, 1700};

INSTANTIATE_TEST_SUITE_P(
    Cases, EventTableTest,
    testing::Values(
        TableCase{"None", 0, {kE1}, ""}, TableCase{"NegativeCount", -3, {kE1}, ""},
        TableCase{"One", 1, {kE1}, "1\tREF\t1021\t1.50"},
        TableCase{"Two", 2, {kE1, kE2}, "1\tREF\t1021\t1.50\t0.50\r\n2\tATT\t2043\t3.00"},
        TableCase{"EqualLevelsAndNegativeLoss",
                  2,
                  {{100, 1, 1000, 1000}, {200, 2, 1000, 1200}},
                  "1\tREF\t102\t0.00\t0.00\r\n2\tATT\t204\t-2.00"},
        TableCase{"HalfMetreBothWays",
                  2,
                  {{13075, 2, 500, 500}, {8568, 2, 500, 500}},
                  "1\tATT\t13353\t0.00\t0.00\r\n2\tATT\t8751\t0.00"},
        TableCase{"UnknownTypesShowTheirNumber",
                  3,
                  {{0, 0, 0, 0}, {10, 7, 0, 0}, {20, 65535, 0, 0}},
                  "1\t0\t0\t0.00\t0.00\r\n2\t7\t10\t0.00\t0.00\r\n3\t65535\t20\t0.00"},
        // The record holds eight entries: a count of 9 shows eight lines, the eighth last.
        TableCase{"NineShowEight",
                  9,
                  {{1, 1, 800, 700},
                   {2, 2, 700, 600},
                   {3, 1, 600, 500},
                   {4, 2, 500, 400},
                   {5, 1, 400, 300},
                   {6, 2, 300, 200},
                   {7, 1, 200, 100},
                   {8, 2, 100, 0}},
                  "1\tREF\t1\t1.00\t0.00\r\n2\tATT\t2\t2.00\t0.00\r\n3\tREF\t3\t3.00\t0.00\r\n"
                  "4\tATT\t4\t4.00\t0.00\r\n5\tREF\t5\t5.00\t0.00\r\n6\tATT\t6\t6.00\t0.00\r\n"
                  "7\tREF\t7\t7.00\t0.00\r\n8\tATT\t8\t8.00"}),
    [](const testing::TestParamInfo<TableCase>& info) { return std::string(info.param.name); });

TEST(EventTableTest, ArraysAndRowsForTheLinesShown) {
  DecodedValues values;
  values.EventDistance[3] = 99;  // beyond the count: keeps its older value
  values.EventDistance[9] = 98;
  DecodeRecord(*recordWithEvents(2, {kE1, kE2, {3000, 1, 5, 6}}), values, Language::English);
  EXPECT_EQ(values.EventPosition[3], 3000);  // entries 1..8 are copied whatever the count
  EXPECT_EQ(values.EventLevel[5], 5);
  EXPECT_EQ(values.EventLevel[6], 6);
  EXPECT_EQ(values.EventDistance[1], 1021);
  EXPECT_EQ(values.EventDistance[2], 2043);
  EXPECT_EQ(values.EventDistance[3], 99);

  const std::vector<EventRow> rows = eventRows(values);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].typeName, "REF");
  EXPECT_TRUE(rows[0].hasIl);
  EXPECT_EQ(rows[0].ilHundredths, 50);
  EXPECT_FALSE(rows[1].hasIl);
  EXPECT_EQ(rows[1].lossHundredths, 300);
  EXPECT_EQ(rows[1].db1, 1800);
  EXPECT_EQ(rows[1].position, 2000);

  values.EventCount = 100;  // never reads past the eight entries
  DecodeRecord(*recordWithEvents(100, {kE1}), values, Language::English);
  EXPECT_EQ(eventRows(values).size(), 8u);
  EXPECT_EQ(values.EventDistance[9], 98);
}

TEST(EventTableTest, ChineseTableAndLocaleSeparator) {
  DecodedValues values;
  const DecodedTexts texts =
      DecodeRecord(*recordWithEvents(2, {kE1, kE2}), values, Language::Chinese, ",");
  EXPECT_EQ(texts.eventText,
            "序号\t类型\t距离(m)\t损耗(dB)\t插损(dB)\r\n"
            "1\t反射\t1021\t1,50\t0,50\r\n2\t损耗\t2043\t3,00");
}

}  // namespace
}  // namespace tracelink
