#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <sstream>

#include "cli/cli_runner.h"
#include "files/record_text.h"
#include "files/test_files.h"
#include "record/version.h"

namespace tracelink {
namespace {

using test::readFile;
using test::TempFolder;
using test::writeFile;

namespace fs = std::filesystem;

using test::CliRun;

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
  }

  CliRun run(const std::string& args) { return test::runCli(binary_, args, folder_.path()); }

  // A two-block file of range index 0 (full view 0..100) with one event.
  fs::path writeTrace(std::int32_t startPoint, std::int32_t rangeLine) {
    TraceRecord record;
    for (int p = 0; p < 8000; ++p) record[p] = p * 3;
    record[slot::kRangeN] = 0;
    record[slot::kStartPoint] = startPoint;
    record[slot::kRangeLine] = rangeLine;
    record[slot::kReglw] = 3;
    record[slot::kWendu] = 5;
    record[slot::kEventCount] = 1;
    record[slot::kEventList] = 1000;
    record[slot::kEventList + 1] = 1;
    record[slot::kEventList + 2] = 2000;
    record[slot::kEventList + 3] = 1850;
    const fs::path path = folder_ / "trace.otdr";
    writeFile(path, BuildRecordText(record, 2));
    return path;
  }

  fs::path binary_;
  TempFolder folder_;
};

std::string quoted(const fs::path& p) {
  return "'" + p.string() + "'";
}

TEST_F(CliTest, InfoPrintsTheInfoLineAndTheEventTable) {
  const CliRun r = run("info " + quoted(writeTrace(1, 5000)));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "IOR:1.4677        Pluse:100ns        Wavelen\xEF\xBC\x9A"
            "1310nm        AMP:5\n"
            "No.\tType\tDis(m)\tLoss(dB)\tIL(dB)\n1\tREF\t1021\t1.50\n");
  const CliRun zh = run("info --lang zh " + quoted(writeTrace(1, 5000)));
  EXPECT_EQ(zh.exitCode, 0) << zh.err;
  EXPECT_NE(zh.out.find("折射率：1.4677"), std::string::npos) << zh.out;
  EXPECT_NE(zh.out.find("1\t反射\t1021\t1.50"), std::string::npos) << zh.out;
}

TEST_F(CliTest, InfoJsonHasEveryKey) {
  const fs::path path = writeTrace(7, 5000);
  const CliRun r = run("info --json " + quoted(path));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string expected =
      "{\"file\":\"" + path.string() +
      "\",\"blocks\":2,\"rangeN\":0,\"blocksPerTrace\":1,\"fullRangeStart\":0,"
      "\"fullRangeEnd\":100,\"startPoint\":7,\"rangeLine\":5000,"
      "\"text4\":{\"0\":\"1.4677\",\"1\":\"100ns\",\"3\":\"5\"},"
      "\"infoLine\":\"IOR:1.4677        Pluse:100ns        Wavelen\xEF\xBC\x9A"
      "1310nm        AMP:5\","
      "\"eventHeader\":\"No.\\tType\\tDis(m)\\tLoss(dB)\\tIL(dB)\\r\\n\","
      "\"eventTable\":\"No.\\tType\\tDis(m)\\tLoss(dB)\\tIL(dB)\\r\\n1\\tREF\\t1021\\t1.50\","
      "\"eventCount\":1,\"events\":[{\"no\":1,\"type\":1,\"typeName\":\"REF\","
      "\"position\":1000,\"distance\":1021,\"db1\":2000,\"db2\":1850}]}\n";
  EXPECT_EQ(r.out, expected);
}

TEST_F(CliTest, CsvListsTheFullViewThroughStartPoint) {
  const CliRun r = run("csv " + quoted(writeTrace(3, 5000)));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::istringstream lines(r.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 101u);          // samples 0..100
  EXPECT_EQ(rows[0], "0.000,0.06");      // position 2 holds 6
  EXPECT_EQ(rows[1], "1.021,0.09");      // position 3 holds 9
  EXPECT_EQ(rows[100], "102.130,3.06");  // position 102 holds 306

  // The plot draws nothing while StartPoint is not below RangeLine; nor does the export.
  const CliRun none = run("csv " + quoted(writeTrace(5000, 5000)));
  EXPECT_EQ(none.exitCode, 0) << none.err;
  EXPECT_EQ(none.out, "");
}

TEST_F(CliTest, FailuresGiveExitTwoAndOneLine) {
  const fs::path bad = folder_ / "bad.otdr";
  writeFile(bad, std::string(3, ','));
  const fs::path missing = folder_ / "missing.otdr";
  const struct {
    std::string args;
    std::string line;  // the whole of stderr, empty: only its shape is checked
  } cases[] = {
      {"info " + quoted(bad), "tracelink-cli: " + bad.string() + ": field 1 is not a number\n"},
      {"csv " + quoted(bad), "tracelink-cli: " + bad.string() + ": field 1 is not a number\n"},
      {"info --json " + quoted(missing),
       "tracelink-cli: " + missing.string() + ": cannot open: No such file or directory\n"},
      {"info " + quoted(folder_.path()),
       "tracelink-cli: " + folder_.path().string() + ": is a directory, not a trace file\n"},
      {"", ""},
      {"frobnicate", ""},
      {"info", ""},
      {"info a b", ""},
      {"info --lang fr " + quoted(bad), ""},
      {"info --colour " + quoted(bad), ""},
      {"csv --json " + quoted(bad), ""},
      // Line breaks in what a message quotes are written as escapes.
      {"'in\nfo'", "tracelink-cli: unknown command 'in\\nfo' (see --help)\n"},
      {"info '" + (folder_ / "a\rb\x01.otdr").string() + "'",
       "tracelink-cli: " + (folder_ / "a\\rb\\x01.otdr").string() +
           ": cannot open: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    const CliRun r = run(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.args;
    EXPECT_EQ(r.out, "") << c.args;
    if (!c.line.empty()) {
      EXPECT_EQ(r.err, c.line) << c.args;
    } else {
      EXPECT_EQ(r.err.rfind("tracelink-cli: ", 0), 0u) << c.args << ": " << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.args << ": " << r.err;
    }
  }
}

TEST_F(CliTest, HelpDocumentsTheCommands) {
  for (const char* args : {"--help", "-h", "info --help", "csv --help"}) {
    const CliRun r = run(args);
    EXPECT_EQ(r.exitCode, 0) << args;
    EXPECT_EQ(r.err, "") << args;
    EXPECT_NE(r.out.find("Usage: tracelink-cli"), std::string::npos) << args;
  }
  const CliRun all = run("--help");
  EXPECT_NE(all.out.find("info FILE [--lang en|zh] [--json]"), std::string::npos);
  EXPECT_NE(all.out.find("csv FILE"), std::string::npos);
  EXPECT_NE(all.out.find("tracelink-cli --version"), std::string::npos);
}

// The version is the one the build was configured with, as the window and the files the
// tool writes give it.
TEST_F(CliTest, VersionIsTheBuildsVersion) {
  const CliRun r = run("--version");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "tracelink-cli " + std::string(kVersion) + "\n");
}

}  // namespace
}  // namespace tracelink
