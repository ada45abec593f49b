// tracelink-cli upload against the simulated instrument on a pseudo-terminal: the exit
// status, the lines printed, the files, and the arguments it refuses.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "cli/cli_runner.h"
#include "integration/sim_harness.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

class CliUploadTest : public testing::Test {
 protected:
  void SetUp() override {
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
    out_ = scratch_.filePath("out");
  }
  test::CliRun run(const std::string& args) {
    return test::runCli(binary_, args, scratch_.path().toStdString());
  }
  QStringList files() const { return QDir(out_).entryList(QDir::Files, QDir::Name); }
  std::string outDir() const { return test::shellWord(out_.toStdString()); }

  fs::path binary_;
  QTemporaryDir scratch_;
  QString out_;
};

QStringList linesOf(const std::string& text) {
  return QString::fromStdString(text).split('\n', Qt::SkipEmptyParts);
}

constexpr const char* kCable =
    " --cable CABLE --first-fibre 1 --direction AB --location-a Exchange --location-b 'Cabinet 7' "
    "--operator 'R. Smith'";

TEST_F(CliUploadTest, ExitStatusLinesAndFiles) {
  struct Case {
    const char* name;
    QStringList simArgs;
    std::string args;
    int exitCode;
    QStringList fileNames;  // a pattern for each file, in name order
    QStringList errLines;
  };
  const Case cases[] = {
      {"a cable of twelve fibres",
       {"--stored", "12", "--range", "4"},
       std::string("--all") + kCable,
       0,
       {"CABLE_F01_AB\\.sor", "CABLE_F02_AB\\.sor", "CABLE_F03_AB\\.sor", "CABLE_F04_AB\\.sor",
        "CABLE_F05_AB\\.sor", "CABLE_F06_AB\\.sor", "CABLE_F07_AB\\.sor", "CABLE_F08_AB\\.sor",
        "CABLE_F09_AB\\.sor", "CABLE_F10_AB\\.sor", "CABLE_F11_AB\\.sor", "CABLE_F12_AB\\.sor"},
       {}},
      {"a range past the stored traces",
       {"--stored", "12", "--range", "0"},
       std::string("--traces 11-14") + kCable,
       2,
       {"CABLE_F01_AB\\.sor", "CABLE_F02_AB\\.sor"},
       {"tracelink-cli: upload: trace 13: not stored in the instrument (12 stored)",
        "tracelink-cli: upload: trace 14: not stored in the instrument (12 stored)"}},
      {"--current alone: the automatic name",
       {"--stored", "3", "--range", "0"},
       "--current --format otdr",
       0,
       {"current_\\d+\\.otdr"},
       {}},
      {"no current trace",
       {"--no-current", "--stored", "3"},
       "--current",
       2,
       {},
       {"tracelink-cli: upload: current trace: No datas!"}},
      {"stored traces under the automatic names",
       {"--stored", "2", "--range", "0"},
       "--traces 1-2",
       0,
       {"01_\\d+\\.sor", "02_\\d+\\.sor"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(out_).removeRecursively();
    SimProcess sim(c.simArgs);
    ASSERT_FALSE(sim.device().isEmpty());
    const test::CliRun r = run("upload --port " + sim.device().toStdString() + " " + c.args +
                               " --out-dir " + outDir());
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(linesOf(r.err), c.errLines);
    const QStringList made = files();
    ASSERT_EQ(made.size(), c.fileNames.size()) << made.join(", ").toStdString();
    // One line per file saved, naming it with its blocks and time; the summary last.
    const QStringList out = linesOf(r.out);
    ASSERT_EQ(out.size(), made.size() + 1) << r.out;
    for (qsizetype i = 0; i < made.size(); ++i) {
      EXPECT_TRUE(QRegularExpression("^" + c.fileNames[i] + "$").match(made[i]).hasMatch())
          << made[i].toStdString();
      EXPECT_TRUE(QRegularExpression("^" + QRegularExpression::escape(made[i]) +
                                     ": \\d+ blocks?, \\d+\\.\\d s$")
                      .match(out[i])
                      .hasMatch())
          << out[i].toStdString();
      EXPECT_TRUE(LoadTrace(QDir(out_).filePath(made[i]).toStdString()));
    }
    // A failure that stopped the upload follows the counts.
    const std::string counts = std::to_string(made.size()) + " fibres saved, 0 skipped, " +
                               std::to_string(c.errLines.size()) + " failed";
    EXPECT_EQ(out.back().toStdString().substr(0, counts.size()), counts) << r.out;
  }
}

TEST_F(CliUploadTest, ASecondRunSkipsWhatIsThere) {
  SimProcess sim({"--stored", "3", "--range", "0"});
  const std::string args =
      "upload --port " + sim.device().toStdString() + " --all" + kCable + " --out-dir " + outDir();
  ASSERT_EQ(run(args).exitCode, 0);
  const test::CliRun same = run(args);
  EXPECT_EQ(same.exitCode, 0) << same.err;
  EXPECT_EQ(linesOf(same.out),
            (QStringList{"CABLE_F01_AB.sor: skipped, the file there holds the same trace",
                         "CABLE_F02_AB.sor: skipped, the file there holds the same trace",
                         "CABLE_F03_AB.sor: skipped, the file there holds the same trace",
                         "0 fibres saved, 3 skipped (3 identical), 0 failed"}));
  // Another cable end: the same traces, new names.
  const test::CliRun endB =
      run("upload --port " + sim.device().toStdString() +
          " --all --cable CABLE --first-fibre 1 --direction BA --location-a A --location-b B "
          "--operator O --out-dir " +
          outDir() + " --on-exists keep-both");
  EXPECT_EQ(endB.exitCode, 0) << endB.err;
  EXPECT_EQ(files().size(), 6);
}

TEST_F(CliUploadTest, RefusedArguments) {
  struct Case {
    std::string args;
    std::string err;
  };
  const std::string out = " --out-dir /tmp/cli-upload-never";
  const Case cases[] = {
      {"--all" + out, "tracelink-cli: upload: --port DEVICE is needed"},
      {"--port /dev/null --all --current" + out,
       "tracelink-cli: upload: give one of --current, --all or --traces FIRST-LAST"},
      {"--port /dev/null" + out,
       "tracelink-cli: upload: give one of --current, --all or --traces FIRST-LAST"},
      {"--port /dev/null --all", "tracelink-cli: upload: --out-dir DIR is needed"},
      {"--port /dev/null --traces 9-4" + out,
       "tracelink-cli: upload: --traces '9-4' runs backwards"},
      {"--port /dev/null --traces 0-4" + out,
       "tracelink-cli: upload: --traces '0-4' is not a range of trace numbers 1-50 such as 3-14"},
      {"--port /dev/null --all --format pdf" + out,
       "tracelink-cli: upload: --format 'pdf' is neither sor nor otdr"},
      {"--port /dev/null --all --on-exists overwrite" + out,
       "tracelink-cli: upload: --on-exists 'overwrite' is not skip, replace or keep-both"},
      {"--port /dev/null --all --first-fibre 3" + out,
       "tracelink-cli: upload: --first-fibre names a cable's fibre; give --cable with it"},
      {"--port /dev/null --all --cable C --first-fibre 1 --location-a A --location-b B "
       "--operator O" +
           out,
       "tracelink-cli: upload: --cable needs --direction as well"},
      {"--port /dev/null --all --cable C --first-fibre 1 --direction XY --location-a A "
       "--location-b B --operator O" +
           out,
       "tracelink-cli: upload: --direction 'XY' is neither AB nor BA"},
      {"--port /dev/null --all --cable C --first-fibre 1 --direction AB --location-a A "
       "--location-b B --operator 'Zoë'" +
           out,
       "tracelink-cli: upload: the operator holds a character a SOR file cannot carry "
       "(printable ASCII only)"},
      {"--port /nonexistent/ttyCABLE --all" + out,
       "tracelink-cli: upload: port /nonexistent/ttyCABLE: no such port (No such file or "
       "directory)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const test::CliRun r = run("upload " + c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(linesOf(r.err), QStringList{QString::fromStdString(c.err)});
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
  EXPECT_FALSE(fs::exists("/tmp/cli-upload-never"));
}

}  // namespace
}  // namespace tracelink
