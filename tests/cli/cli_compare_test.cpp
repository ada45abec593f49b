// The built tracelink-cli bidir and bends: their JSON in the issue's shape, their
// refusals and a file that is not there.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "cli/cli_runner.h"
#include "files/test_files.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

const fs::path kSor1310 = fs::path(TRACELINK_SOR_SAMPLES) / "sample01.sor";
const fs::path kSor1310b = fs::path(TRACELINK_SOR_SAMPLES) / "sample02.sor";
const fs::path kSor1550 = fs::path(TRACELINK_SOR_SAMPLES) / "sample06.sor";

class CompareCli : public ::testing::Test {
 protected:
  void SetUp() override {
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
  }
  test::CliRun run(const std::string& args) { return test::runCli(binary_, args, folder_.path()); }
  fs::path binary_;
  test::TempFolder folder_;
};

const std::string kNumber = R"re(-?[0-9]+(\.[0-9]+)?)re";
const std::string kLoss = "(" + kNumber + "|null)";

TEST_F(CompareCli, BidirPrintsTheIssuesShapeAndRefusesAnotherWavelength) {
  // One file from both ends: the same length, so it is taken; a 1550 nm trace is not.
  const test::CliRun r =
      run("bidir " + test::shellWord(kSor1310) + " " + test::shellWord(kSor1310) + " --json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::regex shape(
      R"re(^\{"fileA":"[^"]+sample01\.sor","fileB":"[^"]+sample01\.sor","wavelengthNm":1310,)re"
      R"re("lengthM":)re" +
      kNumber + R"re(,"toleranceM":20,"events":\[)re" + R"re((\{"no":[0-9]+,"distanceM":)re" +
      kNumber + R"re(,"lossAB":)re" + kLoss + R"re(,"lossBA":)re" + kLoss + R"re(,"averageDb":)re" +
      kNumber + R"re(,"reflectanceDb":)re" + kLoss +
      R"re(,"oneDirection":(true|false)\},?)+\],"totalLossAB":)re" + kNumber +
      R"re(,"totalLossBA":)re" + kNumber + R"re(,"totalLossDb":)re" + kNumber +
      R"re(,"warnings":\[\]\}\n$)re");
  EXPECT_TRUE(std::regex_match(r.out, shape)) << r.out;
  // A's five events and B's five mirrored between the fibre's two ends, where the fibre
  // ends into the noise at both: no loss measured there.
  EXPECT_NE(r.out.find("{\"no\":12,\"distanceM\":8815.82,\"lossAB\":null,\"lossBA\":null,"),
            std::string::npos)
      << r.out;

  const test::CliRun refused =
      run("bidir " + test::shellWord(kSor1310) + " " + test::shellWord(kSor1550));
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
  for (const std::string word : {"sample01.sor", "sample06.sor", "1310 nm", "1550 nm"})
    EXPECT_NE(refused.err.find(word), std::string::npos) << refused.err;
}

TEST_F(CompareCli, BendsPrintsTheIssuesShapeAndRefusesOneWavelength) {
  // The longer wavelength first: the JSON names the shorter first all the same.
  const test::CliRun r = run("bends " + test::shellWord(kSor1550) + " " +
                             test::shellWord(kSor1310) + " --delta-db 0.4 --json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::regex shape(
      R"re(^\{"fileShort":"[^"]+sample01\.sor","fileLong":"[^"]+sample06\.sor",)re"
      R"re("wavelengthsNm":\[1310,1550\],"deltaDb":0\.4,"events":\[)re"
      R"re((\{"no":[0-9]+,"distanceM":)re" +
      kNumber + R"re(,"lossShortDb":)re" + kLoss + R"re(,"lossLongDb":)re" + kLoss +
      R"re(,"bend":(true|false)\},?)*\]\}\n$)re");
  EXPECT_TRUE(std::regex_match(r.out, shape)) << r.out;

  const test::CliRun refused =
      run("bends " + test::shellWord(kSor1310) + " " + test::shellWord(kSor1310b) + " --lang zh");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
  for (const std::string word : {"sample01.sor", "sample02.sor", "1310 nm", "波长"})
    EXPECT_NE(refused.err.find(word), std::string::npos) << refused.err;
}

TEST_F(CompareCli, NamesAFileThatIsNotThereOrABadOption) {
  struct Case {
    std::string args;
    std::string named;
  };
  const Case cases[] = {
      {"bidir " + test::shellWord(kSor1310) + " missing.sor", "missing.sor"},
      {"bends missing.sor " + test::shellWord(kSor1310), "missing.sor"},
      {"bidir " + test::shellWord(kSor1310), "two files"},
      {"bends a b --delta-db -1", "--delta-db"},
      {"bidir a b --tolerance x", "--tolerance"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const test::CliRun r = run(c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace tracelink
