// TraceFromRecord gives the samples `tracelink-cli csv` prints, line for line.
#include <gtest/gtest.h>

#include <charconv>
#include <sstream>

#include "cli/cli_runner.h"
#include "files/test_files.h"
#include "record/units.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

std::string csvLine(const Trace& t, std::size_t i) {
  char buf[64];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, t.distanceOf(i), std::chars_format::fixed, 3);
  // Levels of a record are hundredths x 10; csv prints the hundredths.
  return std::string(buf, res.ptr) + ',' + FormatLevel(t.levels[i] / 10) + '\n';
}

TEST(TraceCli, TraceFromRecordGivesTheLevelsCsvPrints) {
  const fs::path binary = test::cliBinary();
  ASSERT_FALSE(binary.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
  test::TempFolder folder;
  for (const char* name : {"sample_01_range2.otdr", "sample_02_range4.otdr",
                           "sample_03_range5.otdr", "sample_04_range7.otdr"}) {
    SCOPED_TRACE(name);
    const fs::path path = fs::path(TRACELINK_OTDR_SAMPLES) / name;
    const test::CliRun csv = test::runCli(binary, "csv " + test::shellWord(path), folder.path());
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    const Result<Trace> t = LoadTrace(path);
    ASSERT_TRUE(t.ok()) << t.error().text();
    ASSERT_FALSE(t->empty());
    std::string lines;
    for (std::size_t i = 0; i < t->size(); ++i) {
      EXPECT_EQ(t->levels[i] % 10, 0) << i;
      lines += csvLine(*t, i);
    }
    EXPECT_TRUE(lines == csv.out) << "first lines: " << lines.substr(0, 80) << " / "
                                  << csv.out.substr(0, 80);
  }
}

}  // namespace
}  // namespace tracelink
