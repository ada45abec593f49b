// The built tracelink-cli bidir and bends: their JSON in the issue's shape, their
// refusals and a file that is not there.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "analysis/synthetic_trace.h"
#include "cli/cli_runner.h"
#include "files/test_files.h"
#include "trace/trace_to_sor.h"

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
  // A synthetic trace written as a SOR file in the test's folder; its path as a shell word.
  std::string written(const test::SyntheticFibre& fibre, const std::string& name) {
    const std::vector<std::uint8_t> bytes = WriteTraceSor(test::makeTrace(fibre));
    const fs::path path = folder_.path() / name;
    test::writeFile(path, std::string(bytes.begin(), bytes.end()));
    return test::shellWord(path);
  }
  fs::path binary_;
  test::TempFolder folder_;
};

const std::string kNumber = R"re(-?[0-9]+(\.[0-9]+)?)re";
const std::string kLoss = "(" + kNumber + "|null)";

TEST_F(CompareCli, BidirPrintsTheIssuesShapeAndRefusesAnotherWavelength) {
  // A splice of true loss 0.3 dB between unequal fibres: 0.45 from end A, 0.15 from end B.
  test::SyntheticFibre a;
  a.events = {{4000, 0.45, std::nullopt}};
  test::SyntheticFibre b = a;
  b.events = {{6000, 0.15, std::nullopt}};
  b.seed = 2;
  const test::CliRun r =
      run("bidir " + written(a, "east.sor") + " " + written(b, "west.sor") + " --json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::regex shape(
      R"re(^\{"fileA":"[^"]+east\.sor","fileB":"[^"]+west\.sor","wavelengthNm":1310,)re"
      R"re("lengthM":)re" +
      kNumber + R"re(,"toleranceM":20,"events":\[)re" + R"re((\{"no":[0-9]+,"distanceM":)re" +
      kNumber + R"re(,"lossAB":)re" + kLoss + R"re(,"lossBA":)re" + kLoss + R"re(,"averageDb":)re" +
      kNumber + R"re(,"reflectanceDb":)re" + kLoss +
      R"re(,"oneDirection":(true|false)\},?){3}\],"totalLossAB":)re" + kNumber +
      R"re(,"totalLossBA":)re" + kNumber + R"re(,"totalLossDb":)re" + kNumber +
      R"re(,"warnings":\[\]\}\n$)re");
  EXPECT_TRUE(std::regex_match(r.out, shape)) << r.out;
  // The splice, seen from both ends, and the ends, where our analysis measures no loss.
  const std::regex splice(
      R"re("no":2,"distanceM":([0-9.]+),"lossAB":([0-9.]+),"lossBA":([0-9.]+),)re"
      R"re("averageDb":([0-9.]+),"reflectanceDb":null,"oneDirection":false)re");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.out, m, splice)) << r.out;
  EXPECT_NEAR(std::stod(m[1]), 4000, 2);
  EXPECT_NEAR(std::stod(m[2]), 0.45, 0.02);
  EXPECT_NEAR(std::stod(m[3]), 0.15, 0.02);
  EXPECT_NEAR(std::stod(m[4]), 0.3, 0.01);
  EXPECT_NE(r.out.find(R"("lossAB":null,"lossBA":null)"), std::string::npos) << r.out;

  const test::CliRun refused =
      run("bidir " + test::shellWord(kSor1310) + " " + test::shellWord(kSor1550));
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
  for (const std::string word : {"sample01.sor", "sample06.sor", "1310 nm", "1550 nm"})
    EXPECT_NE(refused.err.find(word), std::string::npos) << refused.err;
}

TEST_F(CompareCli, BendsPrintsTheIssuesShapeAndRefusesOneWavelength) {
  // A splice at 3 km and a bend at 6 km, the longer wavelength given first.
  test::SyntheticFibre at1310;
  at1310.events = {{3000, 0.3, std::nullopt}, {6000, 0.2, std::nullopt}};
  test::SyntheticFibre at1550 = at1310;
  at1550.wavelengthNm = 1550;
  at1550.attenuationDbPerKm = 0.2;
  at1550.events = {{3000, 0.3, std::nullopt}, {6000, 0.9, std::nullopt}};
  at1550.seed = 2;
  const test::CliRun r = run("bends " + written(at1550, "long.sor") + " " +
                             written(at1310, "short.sor") + " --delta-db 0.4 --json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string event = R"re(\{"no":[12],"distanceM":([0-9.]+),"lossShortDb":([0-9.]+),)re"
                            R"re("lossLongDb":([0-9.]+),"bend":(true|false)\})re";
  const std::regex shape(R"re(^\{"fileShort":"[^"]+short\.sor","fileLong":"[^"]+long\.sor",)re"
                         R"re("wavelengthsNm":\[1310,1550\],"deltaDb":0\.4,"events":\[)re" +
                         event + "," + event + R"re(\]\}\n$)re");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(r.out, m, shape)) << r.out;
  EXPECT_NEAR(std::stod(m[1]), 3000, 2);
  EXPECT_NEAR(std::stod(m[3]), 0.3, 0.02);
  EXPECT_EQ(m[4], "false");
  EXPECT_NEAR(std::stod(m[5]), 6000, 2);
  EXPECT_NEAR(std::stod(m[7]), 0.9, 0.02);
  EXPECT_EQ(m[8], "true");

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

// The two commands parse alike but each names its own two files; the whole line, before
// any file is read.
TEST_F(CompareCli, ArgumentProblemsAreEachCommandsOwnLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"bidir a", "bidir: needs two files, the fibre from end A and from end B (see --help)"},
      {"bends a", "bends: needs two files, one fibre at two wavelengths (see --help)"},
      {"bidir a b c", "bidir: takes two files, the fibre from end A and from end B"},
      {"bends a b c", "bends: takes two files, one fibre at two wavelengths"},
      {"bidir a b --lang de", "bidir: --lang 'de' is not en or zh"},
      {"bends a b --lang=", "bends: --lang '' is not en or zh"},
      {"bends a b --tolerance 100001",
       "bends: --tolerance needs a distance in metres from 0 to 100000, not '100001'"},
      {"bends a b --delta-db 0",
       "bends: --delta-db needs a loss in dB above 0 and up to 60, not '0'"},
      {"bends a b --pdf x.pdf", "bends: unknown option '--pdf' (see --help)"},
      {"bidir a b --delta-db 1", "bidir: unknown option '--delta-db' (see --help)"},
      {"bidir a b --json=1", "bidir: unknown option '--json=1' (see --help)"},
  };
  for (const auto& [args, line] : cases) {
    SCOPED_TRACE(args);
    const test::CliRun r = run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tracelink-cli: " + line + "\n");
  }
}

}  // namespace
}  // namespace tracelink
