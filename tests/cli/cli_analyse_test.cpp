// The built tracelink-cli analyse: its JSON, its table, bad files and bad options.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "analysis/analysis.h"
#include "cli/cli_runner.h"
#include "files/test_files.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

const fs::path kSor = fs::path(TRACELINK_SOR_SAMPLES) / "sample03.sor";
const fs::path kOtdr = fs::path(TRACELINK_SAMPLES_DIR) / "sample_02_range4.otdr";

class AnalyseCli : public ::testing::Test {
 protected:
  void SetUp() override {
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
  }
  test::CliRun run(const std::string& args) {
    return test::runCli(binary_, "analyse " + args, folder_.path());
  }
  fs::path binary_;
  test::TempFolder folder_;
};

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST_F(AnalyseCli, OneFileIsOneObjectInTheIssuesShape) {
  const test::CliRun r = run(test::shellWord(kSor) + " --json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::regex shape(
      R"re(^\{"file":"[^"]+","thresholds":\{"spliceDb":0\.05,"reflectanceDb":-60,"endDb":3,)re"
      R"re("source":"file"\},"lengthM":[-0-9.]+,"totalLossDb":[-0-9.]+,)re"
      R"re("orlDb":([-0-9.]+|null),"events":\[(\{"no":[0-9]+,"distanceM":[-0-9.]+,)re"
      R"re("type":"(launch|reflective|non-reflective|gainer|end|ghost)","lossDb":[-0-9.]+,)re"
      R"re("reflectanceDb":([-0-9.]+|null),"sectionDbPerKm":[-0-9.]+\},?)+\],)re"
      R"re("sections":\[(\{"fromM":[-0-9.]+,"toM":[-0-9.]+,"lossDb":[-0-9.]+,)re"
      R"re("dbPerKm":[-0-9.]+\},?)*\]\}\n$)re");
  EXPECT_TRUE(std::regex_match(r.out, shape)) << r.out;
  // The same events as the library finds.
  const Result<Trace> trace = LoadTrace(kSor);
  ASSERT_TRUE(trace.ok());
  const analysis::Analysis a = analysis::analyse(*trace);
  EXPECT_EQ(count(r.out, "\"no\":"), a.events.size());
  EXPECT_EQ(count(r.out, "\"fromM\":"), a.sections.size());
  EXPECT_EQ(count(r.out, "\"type\":\"end\""), 1u);
}

TEST_F(AnalyseCli, SeveralFilesAreAnArrayInTheirOrder) {
  const test::CliRun r =
      run(test::shellWord(kOtdr) + " " + test::shellWord(kSor) + " --json --jobs 2");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(r.out.starts_with("[{\"file\":")) << r.out;
  EXPECT_TRUE(r.out.ends_with("}]\n"));
  EXPECT_LT(r.out.find("sample_02_range4.otdr"), r.out.find("sample03.sor"));
  EXPECT_NE(r.out.find("\"source\":\"default\""), std::string::npos);  // the .otdr file
}

TEST_F(AnalyseCli, GivenThresholdsAreUsedAndSaidSo) {
  const test::CliRun r =
      run(test::shellWord(kSor) + " --json --splice-db=0.3 --reflectance-db -45 --end-db 5");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(R"("thresholds":{"spliceDb":0.3,"reflectanceDb":-45,"endDb":5,)"
                       R"("source":"given"})"),
            std::string::npos)
      << r.out;
}

TEST_F(AnalyseCli, ABadFileIsOneLineAndTheOthersAreStillAnalysed) {
  const fs::path missing = folder_.path() / "missing.sor";
  const fs::path junk = folder_.path() / "junk.otdr";
  test::writeFile(junk, "not a trace");
  const test::CliRun r =
      run(test::shellWord(missing) + " " + test::shellWord(kOtdr) + " " + test::shellWord(junk));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(count(r.err, "\n"), 2u) << r.err;
  EXPECT_EQ(count(r.err, "tracelink-cli: "), 2u);
  EXPECT_NE(r.err.find("missing.sor"), std::string::npos);
  EXPECT_NE(r.err.find("junk.otdr"), std::string::npos);
  EXPECT_NE(r.out.find("sample_02_range4.otdr: length "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("No.\tType\tDis(m)\tLoss(dB)\tRefl(dB)\tdB/km\n1\tlaunch\t"),
            std::string::npos);
}

TEST_F(AnalyseCli, BadOptionsAreRefusedWithTheirReason) {
  struct Case {
    std::string args;
    std::string says;
  };
  const std::string file = " " + test::shellWord(kSor);
  const Case cases[] = {
      {"", "analyse: no FILE given"},
      {file + " --splice-db 0", "--splice-db needs a loss in dB above 0"},
      {file + " --splice-db=abc", "--splice-db needs a loss in dB above 0"},
      {file + " --reflectance-db 40", "--reflectance-db needs a reflectance in dB below 0"},
      {file + " --end-db -3", "--end-db needs a loss in dB above 0"},
      {file + " --end-db", "--end-db needs a value"},
      {file + " --jobs 0", "--jobs '0' is not a number 1..256"},
      {file + " --lang zh", "unknown option '--lang'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const test::CliRun r = run(c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(count(r.err, "\n"), 1u) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

TEST_F(AnalyseCli, ProgressIsShownOnATerminalOnly) {
  const fs::path typescript = folder_ / "typescript";
  const std::string command = test::shellWord(binary_) + " analyse " + test::shellWord(kOtdr) +
                              " " + test::shellWord(kSor) + " --jobs 1";
  ASSERT_EQ(std::system(("script -qec " + test::shellWord(command) + " " +
                         test::shellWord(typescript) + " >/dev/null 2>&1")
                            .c_str()),
            0);
  const std::string screen = test::readFile(typescript);
  EXPECT_NE(screen.find("\ranalyse 1/2 " + kOtdr.string()), std::string::npos) << screen;
  EXPECT_NE(screen.find("\ranalyse 2/2 " + kSor.string()), std::string::npos) << screen;
  const test::CliRun piped = run(test::shellWord(kOtdr) + " " + test::shellWord(kSor));
  EXPECT_EQ(piped.exitCode, 0);
  EXPECT_EQ(piped.err, "");
}

}  // namespace
}  // namespace tracelink
