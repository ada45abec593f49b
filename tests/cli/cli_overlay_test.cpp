// Runs the built tracelink-cli plot with several files, and bidir --pdf, and compares what
// they write with the overlay's canvas and the two-direction page.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "files/path_text.h"
#include "render/overlay_plot.h"
#include "render/plot_render.h"
#include "render/render_test_support.h"
#include "report/pdf_tools.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

class CliOverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ensureGuiApp();
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
    folder_ = fs::temp_directory_path() / ("tracelink-overlay-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  test::CliRun run(const std::string& args) { return test::runCli(binary_, args, folder_); }
  QImage png(const fs::path& p) {
    return QImage(QString::fromStdString(p.string())).convertToFormat(QImage::Format_RGB32);
  }

  fs::path binary_;
  fs::path folder_;
};

fs::path sample(const std::string& name) {
  if (name.ends_with(".otdr")) return fs::path(TRACELINK_OTDR_SAMPLES) / name;
  return fs::path(TRACELINK_SOR_SAMPLES) / name;
}

std::string q(const fs::path& p) {
  return test::shellWord(p);
}

// Our records and other makers' files over each other are the overlay of their traces:
// the full view, a window in metres of the plot's axis, and the dark presentation.
TEST_F(CliOverlayTest, SeveralFilesDrawTheOverlayOfTheirTraces) {
  const std::vector<std::string> names = {"sample_01_range2.otdr", "sample05.sor", "sample11.sor"};
  std::vector<Trace> traces;
  std::string files;
  for (const std::string& name : names) {
    Result<Trace> trace = LoadTrace(sample(name));
    ASSERT_TRUE(trace.ok()) << name;
    traces.push_back(std::move(*trace));
    files += q(sample(name)) + " ";
  }
  std::vector<compare::OverlayTrace> overlay;
  for (const Trace& t : traces) overlay.push_back({&t});
  const OverlayView full = fullOverlayView(overlay);
  const double origin = overlayScale(overlay, full).axisOriginM;
  const fs::path out = folder_ / "overlay.png";
  struct Case {
    std::string args;
    OverlayView view;
    bool dark;
  };
  const Case cases[] = {
      {"", full, false},
      {" --from 500 --to 1250.5", {origin + 500, origin + 1250.5, std::nullopt}, false},
      {" --dark", full, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const test::CliRun r = run("plot " + files + "--out " + q(out) + c.args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage canvas = renderOverlay(overlay, c.view);
    QImage expected = canvas;
    if (c.dark) presentPlot(canvas, expected, kInvertedColourMode);
    EXPECT_EQ(png(out), expected);
  }
}

// What is wrong is named: a ninth file with the count, a missing file, a window that is
// not in metres; nothing is written.
TEST_F(CliOverlayTest, BadArgumentsNameTheProblem) {
  std::string nine;
  for (int k = 1; k <= 9; ++k) nine += q(sample("sample0" + std::to_string(k) + ".sor")) + " ";
  const std::string two = q(sample("sample01.sor")) + " " + q(sample("sample05.sor")) + " ";
  const std::string out = "--out " + q(folder_ / "p.png");
  const struct {
    std::string args;
    std::string message;
  } cases[] = {
      {"plot " + nine + out, "9 traces chosen; at most 8 can be compared"},
      {"plot " + two + q(folder_ / "gone.sor") + " " + out, "gone.sor"},
      {"plot " + two + out + " --from -5 --to 100", "--from '-5' is not a distance in metres"},
      {"plot " + two + out + " --from 100 --to 1e3", "--to '1e3' is not a distance in metres"},
      {"plot " + two + out + " --from 300 --to 300", "--to 300 is not after --from 300"},
  };
  for (const auto& c : cases) {
    const test::CliRun r = run(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.args;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
  }
  EXPECT_FALSE(fs::exists(folder_ / "p.png"));
}

// bidir --pdf writes the two-direction page naming both files, and replaces a file only
// with --force.
TEST_F(CliOverlayTest, BidirWritesItsPageAndKeepsAnExistingFile) {
  const std::string pair = q(sample("sample05.sor")) + " " + q(sample("sample05.sor"));
  const fs::path pdf = folder_ / "two.pdf";
  test::CliRun r = run("bidir " + pair + " --pdf " + q(pdf));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Two directions at"), std::string::npos) << r.out;
  EXPECT_EQ(test::pdfInfo(pdf, folder_, "Pages"), "1");
  const std::string text = test::withoutBlanks(test::pdfText(pdf, folder_));
  EXPECT_NE(text.find("Two-DirectionAnalysis"), std::string::npos) << text;
  EXPECT_NE(text.find("sample05.sor(fromendB,mirrored)"), std::string::npos) << text;

  const auto before = fs::last_write_time(pdf);
  r = run("bidir " + pair + " --lang zh --pdf " + q(pdf));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("exists already (--force replaces it)"), std::string::npos) << r.err;
  EXPECT_EQ(fs::last_write_time(pdf), before);
  r = run("bidir " + pair + " --lang zh --force --pdf " + q(pdf));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(test::pdfText(pdf, folder_).find("双向分析"), std::string::npos);
}

}  // namespace
}  // namespace tracelink
