// tracelink-cli cable and verify, run as built: the generated cable in a folder with a
// damaged file among its traces, and the arguments each command refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "cable/generated_cable.h"
#include "cable/limits.h"
#include "cable/summary.h"
#include "cli/cli_runner.h"
#include "files/test_files.h"
#include "report/pdf_tools.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

class CliCable : public ::testing::Test {
 protected:
  void SetUp() override {
    binary_ = test::cliBinary();
    if (binary_.empty()) GTEST_SKIP() << "tracelink-cli not built";
    fs::create_directories(folder_ / "traces");
    test::writeGeneratedCable(folder_ / "traces", test::generatedCable());
    test::writeFile(folder_ / "limits.json", cable::limitsJson(test::generatedCableLimits()));
  }
  test::CliRun run(const std::string& args) { return test::runCli(binary_, args, folder_.path()); }
  std::string word(const std::string& name) { return test::shellWord(folder_ / name); }

  fs::path binary_;
  test::TempFolder folder_;
};

TEST_F(CliCable, AFolderWithADamagedFileIsCertifiedAllTheSameAndVerifies) {
  test::writeFile(folder_ / "traces/CABLE_F13_AB.sor", "not a trace at all");
  const test::CliRun cable =
      run("cable " + word("traces") + " --limits " + word("limits.json") + " --out " +
          word("cable.pdf") + " --csv " + word("cable.csv") + " --xlsx " + word("cable.xlsx") +
          " --cable CABLE-12 --operator Tester --jobs 2");
  EXPECT_EQ(cable.exitCode, 2) << cable.err;
  EXPECT_NE(cable.err.find("CABLE_F13_AB.sor"), std::string::npos) << cable.err;
  EXPECT_EQ(cable.out, "12 fibres: 9 passed, 3 failed\n");

  const fs::path pdf = folder_ / "cable.pdf";
  EXPECT_EQ(test::pdfInfo(pdf, folder_.path(), "Pages"), "13");
  const std::string summary = test::withoutBlanks(test::pdfText(pdf, folder_.path(), 1));
  EXPECT_NE(summary.find("CABLE_F13_AB.sor"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Cable:CABLE-12"), std::string::npos) << summary;

  const std::string csv = test::readFile(folder_ / "cable.csv");
  EXPECT_TRUE(csv.starts_with(std::string(cable::kCableCsvHeader) + "\n")) << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 13);
  EXPECT_TRUE(test::readFile(folder_ / "cable.xlsx").starts_with("PK"));

  const test::CliRun verify = run("verify " + word("cable.pdf"));
  EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
  EXPECT_NE(verify.out.find("13 pages, 24 traces, 12 fibres: all match"), std::string::npos)
      << verify.out;
}

TEST_F(CliCable, RefusesWhatItCannotWorkWith) {
  test::writeFile(folder_ / "bad-limits.json", R"({"name": "x", "spliceLossMaxDb": "0.3"})");
  test::writeFile(folder_ / "exists.pdf", "keep me");
  test::writeFile(folder_ / "not.pdf", "%PDF-1.4 no more");
  fs::create_directories(folder_ / "empty");
  const std::string traces = word("traces");
  const std::string out = " --out " + word("new.pdf");
  struct Case {
    std::string args;
    std::string err;
  };
  const Case cases[] = {
      {"cable " + traces + out, "tracelink-cli: cable: no --limits FILE or PRESET given\n"},
      {"cable " + traces + " --limits G.652.D", "tracelink-cli: cable: no --out FILE.pdf given\n"},
      {"cable " + traces + " --limits nosuch" + out,
       "tracelink-cli: --limits 'nosuch' is neither a file nor a preset (presets: "},
      {"cable " + traces + " --limits " + word("bad-limits.json") + out,
       "\"spliceLossMaxDb\" is not a number (byte "},
      {"cable " + traces + " --limits G.652.D --pattern F01" + out,
       "tracelink-cli: cable: --pattern 'F01' has no {fibre}\n"},
      {"cable " + traces + " --limits G.652.D --out " + word("exists.pdf"),
       "exists.pdf: exists already (--force replaces it)\n"},
      {"cable " + word("empty") + " --limits G.652.D" + out,
       "tracelink-cli: cable: no .sor or .otdr file in what was given\n"},
      {"cable " + word("limits.json") + " --limits G.652.D" + out,
       "new.pdf: not written, no trace could be read\n"},
      {"verify", "tracelink-cli: verify: no REPORT.pdf given (see --help)\n"},
      {"verify " + word("not.pdf"), "not.pdf: not a PDF document qpdf can read"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args);
    const test::CliRun r = run(k.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(k.err), std::string::npos) << r.err;
  }
  EXPECT_EQ(test::readFile(folder_ / "exists.pdf"), "keep me");
  EXPECT_FALSE(fs::exists(folder_ / "new.pdf"));
}

// What verify and --limits cannot read is named, and nothing is read whole first: a folder
// (verify of one once ended in an uncaught exception), a pipe (it once waited for a
// writer), a missing file, and a limits file too large to be one.
TEST_F(CliCable, WhatCannotBeReadIsNamed) {
  fs::create_directories(folder_ / "folder.pdf");
  ASSERT_EQ(::mkfifo((folder_ / "pipe.pdf").c_str(), 0600), 0);
  test::writeFile(folder_ / "huge.json", std::string(1024 * 1024 + 1, ' '));
  struct Case {
    std::string args;
    std::string err;
  };
  const Case cases[] = {
      {"verify " + word("folder.pdf"), (folder_ / "folder.pdf").string() + ": cannot be read\n"},
      {"verify " + word("pipe.pdf"), (folder_ / "pipe.pdf").string() + ": cannot be read\n"},
      {"verify " + word("missing.pdf"), (folder_ / "missing.pdf").string() + ": cannot be read\n"},
      {"cable " + word("traces") + " --limits " + word("huge.json") + " --out " + word("new.pdf"),
       (folder_ / "huge.json").string() +
           ": is 1048577 bytes, more than a limits file holds (1048576 at most)\n"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args);
    const test::CliRun r = run(k.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "tracelink-cli: " + k.err);
  }
  EXPECT_FALSE(fs::exists(folder_ / "new.pdf"));
}

}  // namespace
}  // namespace tracelink
