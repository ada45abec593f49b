// tracelink-cli report, run as a separate program (found through TRACELINK_BINARY_DIR).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <map>

#include "cli/cli_runner.h"
#include "files/record_text.h"
#include "files/test_files.h"
#include "report/pdf_tools.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;
using test::shellQuoted;
using test::TempFolder;
using test::writeFile;

using test::CliRun;

class CliReportTest : public testing::Test {
 protected:
  void SetUp() override {
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
    // Readable by anyone, so that a run as another user can read the inputs.
    fs::permissions(folder_.path(), fs::perms::all);
  }

  // env is put in front of the program (for example "env -u XDG_RUNTIME_DIR").
  CliRun run(const std::string& args, const std::string& env = "") {
    return test::runCli(binary_, args, folder_.path(), env);
  }
  CliRun report(const std::string& args, const std::string& env = "") {
    return run("report " + args, env);
  }

  // A two-block trace of range index 0 whose events sit `events` apart: each file has
  // its own event table, so pages can be told apart.
  fs::path trace(const std::string& name, int events) {
    TraceRecord record;
    for (int p = 0; p < 8000; ++p) record[p] = 2000 - p / 8 + (p % 5) * 4;
    record[slot::kRangeN] = 0;
    record[slot::kStartPoint] = 1;
    record[slot::kRangeLine] = 5000;
    record[slot::kReglw] = 3;
    record[slot::kWendu] = 5;
    record[slot::kEventCount] = events;
    for (int i = 0; i < events; ++i) {
      record[slot::kEventList + 4 * i] = 500 + 700 * i + events * 10;
      record[slot::kEventList + 4 * i + 1] = 1 + i % 2;
      record[slot::kEventList + 4 * i + 2] = 1900 - 100 * i;
      record[slot::kEventList + 4 * i + 3] = 1870 - 100 * i;
    }
    const fs::path path = folder_ / name;
    writeFile(path, BuildRecordText(record, 2));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    return path;
  }

  std::string text(const fs::path& pdf, int page = 0) {
    return test::pdfText(pdf, folder_.path(), page);
  }

  fs::path binary_;
  TempFolder folder_;
};

std::string q(const fs::path& p) {
  return shellQuoted(p);
}

TEST_F(CliReportTest, OneFileHoldsOnePagePerInputInOrder) {
  const fs::path a = trace("a.otdr", 1), b = trace("b.otdr", 3), c = trace("c.otdr", 2);
  fs::create_directory(folder_ / "single");
  ASSERT_EQ(report(q(a) + " " + q(b) + " " + q(c) + " --out-dir " + q(folder_ / "single")).exitCode,
            0);

  const fs::path all = folder_ / "all.pdf";
  const CliRun r = report(q(c) + " " + q(a) + " " + q(b) + " --out " + q(all));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");  // no progress when standard error is not a terminal
  EXPECT_EQ(test::pdfInfo(all, folder_.path(), "Pages"), "3");
  EXPECT_EQ(test::pdfInfo(all, folder_.path(), "Page size"), "595 x 842 pts (A4)");
  int page = 1;
  for (const char* name : {"c", "a", "b"}) {
    const std::string alone = text(folder_ / "single" / (std::string(name) + ".pdf"));
    EXPECT_NE(alone, "");
    EXPECT_EQ(text(all, page++) + "", alone) << name;
  }
}

TEST_F(CliReportTest, EachPlotIsThePlotCommandsCanvas) {
  const fs::path a = trace("a.otdr", 2);
  fs::create_directory(folder_ / "out");
  ASSERT_EQ(report(q(a) + " --out-dir " + q(folder_ / "out")).exitCode, 0);
  ASSERT_EQ(run("plot " + q(a) + " --out " + q(folder_ / "plot.png")).exitCode, 0);
  const QImage plot(QString::fromStdString((folder_ / "plot.png").string()));
  const QImage embedded = test::pdfFirstImage(folder_ / "out" / "a.pdf", folder_.path());
  ASSERT_FALSE(plot.isNull());
  EXPECT_EQ(embedded.convertToFormat(QImage::Format_RGB32),
            plot.convertToFormat(QImage::Format_RGB32));
}

TEST_F(CliReportTest, HeaderFieldsComeFromTheOptionsOrTheSettingsWindowsDefaults) {
  const fs::path a = trace("a.otdr", 1);
  ASSERT_EQ(std::system(("touch -d '2021-03-04 05:06:07' " + q(a)).c_str()), 0);
  struct Case {
    std::string args;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"",
       {"Device name:VT520X", "Cable No.:00088", "Fiber No.:000999", "Fiber type:Single Mode",
        "Operator:TE Marlow", "Time:2021-03-04 05:06:07"}},
      {"--lang zh",
       {"设备名称：VT520X光时域反射仪", "光缆标号：00088", "光纤标号：000999",
        "光纤类型：常规单模光纤", "操作员：林工", "测量时间：2021-03-04 05:06:07", "OTDR测试报告"}},
      {"--device D1 --cable C-7 --fiber F-9 --fiber-type G652 --operator 'A B' --time T0",
       {"Device name:D1", "Cable No.:C-7", "Fiber No.:F-9", "Fiber type:G652", "Operator:AB",
        "Time:T0"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    const fs::path out = folder_ / ("h" + std::to_string(n++) + ".pdf");
    const CliRun r = report(q(a) + " --out " + q(out) + " " + c.args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string page = test::withoutBlanks(text(out));
    for (const std::string& e : c.expected)
      EXPECT_NE(page.find(test::withoutBlanks(e)), std::string::npos) << c.args << ": " << e;
  }
  EXPECT_EQ(test::pdfInfo(folder_ / "h2.pdf", folder_.path(), "Subject"),
            "Cable No.:C-7  Fiber No.:F-9");
}

// No temporary or partial file is left in a folder after a run.
std::vector<std::string> strays(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().ends_with(".tmp")) found.push_back(e.path().filename());
  return found;
}

TEST_F(CliReportTest, ABadInputIsNamedAndTheRestGoOn) {
  const fs::path a = trace("a.otdr", 1), b = trace("b.otdr", 2);
  writeFile(folder_ / "bad.otdr", "x,");
  fs::create_directory(folder_ / "out");
  const std::string inputs =
      q(a) + " " + q(folder_ / "missing.otdr") + " " + q(folder_ / "bad.otdr") + " " + q(b);
  CliRun r = report(inputs + " --out-dir " + q(folder_ / "out"));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "tracelink-cli: " + (folder_ / "missing.otdr").string() +
                       ": cannot open: No such file or directory\n"
                       "tracelink-cli: " +
                       (folder_ / "bad.otdr").string() + ": field 1 is not a number\n");
  EXPECT_TRUE(fs::exists(folder_ / "out" / "a.pdf"));
  EXPECT_TRUE(fs::exists(folder_ / "out" / "b.pdf"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / "missing.pdf"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / "bad.pdf"));

  r = report(inputs + " --out " + q(folder_ / "two.pdf"));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(test::pdfInfo(folder_ / "two.pdf", folder_.path(), "Pages"), "2");
  EXPECT_TRUE(strays(folder_.path()).empty());
  EXPECT_TRUE(strays(folder_ / "out").empty());
}

// Many workers give the files and the document that one gives, byte for byte, and tell
// the bad inputs in input order, though the files reach the disk a group at a time.
TEST_F(CliReportTest, AnyNumberOfWorkersGivesTheSameFilesAndMessages) {
  std::string inputs;
  std::vector<std::string> names;
  std::string expectedErr;
  for (int i = 0; i < 14; ++i) {
    const std::string name = "t" + std::to_string(10 + i);
    if (i % 5 == 2) {
      writeFile(folder_ / (name + ".otdr"), "x,");
      expectedErr +=
          "tracelink-cli: " + (folder_ / (name + ".otdr")).string() + ": field 1 is not a number\n";
    } else {
      trace(name + ".otdr", 1 + i % 4);
      names.push_back(name);
    }
    inputs += q(folder_ / (name + ".otdr")) + " ";
  }
  const auto bytes = [](const fs::path& pdf) {
    std::string b = test::readText(pdf);
    const std::size_t at = b.find("/CreationDate (D:");
    return at == std::string::npos ? b : b.erase(at, 32);  // stamped to the second
  };
  std::map<std::string, std::string> first;
  for (const char* jobs : {"1", "3"}) {
    const fs::path dir = folder_ / (std::string("out") + jobs);
    fs::create_directory(dir);
    CliRun r = report(inputs + "--jobs " + jobs + " --out-dir " + q(dir));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, expectedErr) << jobs;
    EXPECT_TRUE(strays(dir).empty());
    r = report(inputs + "--jobs " + jobs + " --out " + q(dir / "all.pdf"));
    EXPECT_EQ(r.err, expectedErr) << jobs;
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
      const std::string name = e.path().filename().string();
      if (first.contains(name)) {
        EXPECT_EQ(bytes(e.path()), first[name]) << jobs << " " << name;
      } else {
        first[name] = bytes(e.path());
      }
      ++files;
    }
    EXPECT_EQ(files, names.size() + 1) << jobs;
    for (const std::string& name : names) EXPECT_TRUE(fs::exists(dir / (name + ".pdf"))) << name;
  }
}

TEST_F(CliReportTest, AnExistingFileIsReplacedOnlyWithForce) {
  const fs::path a = trace("a.otdr", 1);
  fs::create_directory(folder_ / "out");
  writeFile(folder_ / "out" / "a.pdf", "keep");
  writeFile(folder_ / "one.pdf", "keep");
  struct Case {
    std::string args;
    fs::path target;
  };
  for (const Case& c : {Case{"--out-dir " + q(folder_ / "out"), folder_ / "out" / "a.pdf"},
                        Case{"--out " + q(folder_ / "one.pdf"), folder_ / "one.pdf"}}) {
    CliRun r = report(q(a) + " " + c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err,
              "tracelink-cli: " + c.target.string() + ": exists already (--force replaces it)\n");
    EXPECT_EQ(test::readText(c.target), "keep");
    r = report(q(a) + " " + c.args + " --force");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(test::readText(c.target).starts_with("%PDF-"));
  }
  EXPECT_TRUE(strays(folder_ / "out").empty());
  EXPECT_TRUE(strays(folder_.path()).empty());
}

TEST_F(CliReportTest, AReadOnlyFolderGetsNoFile) {
  const fs::path a = trace("a.otdr", 1);
  const fs::path locked = folder_ / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  // Permissions do not hold back the superuser; run the program as nobody then.
  const std::string as =
      ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
  for (const std::string& target : {"--out-dir " + q(locked), "--out " + q(locked / "r.pdf")}) {
    const CliRun r = report(q(a) + " " + target, as);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "tracelink-cli: " +
                         (locked / (target.starts_with("--out-dir") ? "a.pdf" : "r.pdf")).string() +
                         ": cannot create: Permission denied\n");
    EXPECT_TRUE(fs::is_empty(locked));
  }
}

TEST_F(CliReportTest, TwoInputsOfOneNameDoNotShareAnOutput) {
  fs::create_directories(folder_ / "x");
  fs::create_directories(folder_ / "out");
  const fs::path a = trace("a.otdr", 1);
  fs::copy_file(trace("b.otdr", 2), folder_ / "x" / "a.otdr");
  const CliRun r = report(q(a) + " " + q(folder_ / "x" / "a.otdr") + " --out-dir " +
                          q(folder_ / "out") + " --force");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(
      r.err.find((folder_ / "out" / "a.pdf").string() + ": also the report of '" + a.string()),
      std::string::npos)
      << r.err;
  EXPECT_EQ(text(folder_ / "out" / "a.pdf").find("ATT"), std::string::npos);  // only a's REF
}

TEST_F(CliReportTest, ProgressIsShownOnATerminalOnly) {
  const fs::path a = trace("a.otdr", 1), b = trace("b.otdr", 2);
  fs::create_directory(folder_ / "out");
  const fs::path typescript = folder_ / "typescript";
  const std::string command = shellQuoted(binary_) + " report " + q(a) + " " + q(b) +
                              " --out-dir " + q(folder_ / "out") + " --jobs 1";
  ASSERT_EQ(
      std::system(("script -qec " + shellQuoted(command) + " " + q(typescript) + " >/dev/null 2>&1")
                      .c_str()),
      0);
  const std::string screen = test::readText(typescript);
  EXPECT_NE(screen.find("\rreport 1/2 " + a.string()), std::string::npos) << screen;
  EXPECT_NE(screen.find("\rreport 2/2 " + b.string()), std::string::npos) << screen;
}

TEST_F(CliReportTest, StartsWithoutWarningsOrARuntimeFolder) {
  const fs::path a = trace("a.otdr", 1);
  const fs::path temp = folder_ / "tmp";
  fs::create_directory(temp);
  struct Case {
    std::string env;
  };
  const Case cases[] = {
      {"env -u XDG_RUNTIME_DIR -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TMPDIR=" + q(temp)},
      {"env XDG_RUNTIME_DIR=" + q(folder_ / "gone" / "run") + " TMPDIR=" + q(temp)},
      {"env XDG_RUNTIME_DIR=" + q(folder_ / "a.otdr") + " TMPDIR=" + q(temp)},
  };
  int n = 0;
  for (const Case& c : cases) {
    for (const std::string& command :
         {"report " + q(a) + " --force --out " + q(folder_ / ("r" + std::to_string(n++) + ".pdf")),
          "plot " + q(a) + " --out " + q(folder_ / "p.png")}) {
      const CliRun r = run(command, c.env);
      EXPECT_EQ(r.exitCode, 0) << c.env << " " << command;
      EXPECT_EQ(r.err, "") << c.env << " " << command;
      EXPECT_TRUE(fs::is_empty(temp)) << c.env << " " << command;
      EXPECT_FALSE(fs::exists(folder_ / "gone"));
    }
  }
}

// Another maker's file gives the page the window prints for it: the file's wavelength, its
// key events' distances and the cable it names, where the options give none.
TEST_F(CliReportTest, AnotherMakersSorFileGivesItsOwnPage) {
  const fs::path sor = fs::path(TRACELINK_SOR_SAMPLES) / "sample03.sor";
  const Result<Trace> trace = LoadTrace(sor);
  ASSERT_TRUE(trace);
  const fs::path out = folder_ / "s.pdf";
  const CliRun r = report(q(sor) + " --out " + q(out) + " --fiber F7");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string page = text(out);
  EXPECT_NE(page.find(std::to_string(std::lround(trace->acquisition.wavelengthNm)) + "nm"),
            std::string::npos)
      << page;
  for (const KeyEvent& e : trace->events) {
    EXPECT_NE(page.find(std::to_string(std::lround(e.distanceM))), std::string::npos)
        << e.distanceM << "\n"
        << page;
  }
  if (!trace->identity.cable.empty()) {
    EXPECT_NE(page.find(trace->identity.cable), std::string::npos) << page;
  }
  EXPECT_NE(page.find("F7"), std::string::npos) << page;
}

}  // namespace
}  // namespace tracelink
