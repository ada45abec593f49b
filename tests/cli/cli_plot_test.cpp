// Runs the built tracelink-cli plot and compares the PNG with the canvas the view renders.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "cli/cli_runner.h"
#include "files/record_text.h"
#include "record/decode.h"
#include "render/level_series_plot.h"
#include "render/plot_render.h"
#include "render/render_test_support.h"
#include "session/view_window.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

class CliPlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ensureGuiApp();
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
    std::random_device rd;
    folder_ = fs::temp_directory_path() / ("tracelink-plot-" + std::to_string(rd()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  // Exit code and standard error of one run.
  std::pair<int, std::string> run(const std::string& args) {
    const test::CliRun r = test::runCli(binary_, args, folder_);
    return {r.exitCode, r.err};
  }

  // A 4000-sample trace file (range index 3, one block) starting at position 0.
  fs::path writeTrace() {
    test::fillTrace(record_, 17, 4000);
    record_[slot::kRangeN] = 3;
    record_[slot::kStartPoint] = 1;
    record_[slot::kRangeLine] = 3000;
    const fs::path path = folder_ / "trace.otdr";
    // Saving puts the block count into position 0; the file reads back with it there.
    std::ofstream(path, std::ios::binary) << BuildRecordText(record_, 1);
    return path;
  }

  QImage expected(const ViewWindow& view) {
    HeaderState header;
    header.StartPoint = 1;
    header.RangeLine = 3000;
    return renderPlotCanvas(record_, header, view, kIor);
  }

  std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

  fs::path binary_;
  fs::path folder_;
  TraceRecord record_;
};

ViewWindow window(std::int32_t start, std::int32_t end) {
  ViewWindow v;
  v.ViewStart = start;
  v.ViewEnd = end;
  v.FullRangeEnd = 4000;
  return v;
}

TEST_F(CliPlotTest, WritesTheCanvasOfTheFullViewOrAWindow) {
  const fs::path trace = writeTrace();
  const fs::path png = folder_ / "plot.png";
  auto [code, err] = run("plot " + q(trace) + " --out " + q(png));
  ASSERT_EQ(code, 0) << err;
  QImage full(QString::fromStdString(png.string()));
  ASSERT_EQ(full.size(), QSize(723, 369));
  EXPECT_EQ(full.convertToFormat(QImage::Format_RGB32), expected(window(0, 4000)));

  std::tie(code, err) = run("plot " + q(trace) + " --out " + q(png) + " --from 1000 --to 1500");
  ASSERT_EQ(code, 0) << err;
  const QImage zoomed =
      QImage(QString::fromStdString(png.string())).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(zoomed, expected(window(1000, 1500)));
  EXPECT_NE(zoomed, full.convertToFormat(QImage::Format_RGB32));

  std::tie(code, err) = run("plot " + q(trace) + " --dark --out " + q(png));
  ASSERT_EQ(code, 0) << err;
  const QImage dark =
      QImage(QString::fromStdString(png.string())).convertToFormat(QImage::Format_RGB32);
  QImage inverse = expected(window(0, 4000));
  presentPlot(expected(window(0, 4000)), inverse, kDarkScheme);
  EXPECT_EQ(dark, inverse);
}

// The PNG goes to exactly the name given. A name that is not UTF-8 used to be turned
// into another one on its way through Qt, so a file nobody named was written.
TEST_F(CliPlotTest, WritesToTheNameGivenWhateverItsBytes) {
  const fs::path trace = writeTrace();
  for (const std::string name : {"\xCB.p", "Z\xFCrich.png", "\xE5\x85\x89.png"}) {
    SCOPED_TRACE(name);
    const fs::path png = folder_ / name;
    const auto [code, err] = run("plot " + q(trace) + " --out " + q(png));
    ASSERT_EQ(code, 0) << err;
    std::size_t entries = 0;
    for (const auto& e : fs::directory_iterator(folder_)) entries += e.path() == png;
    EXPECT_EQ(entries, 1u);
    EXPECT_GT(fs::file_size(png), 0u);
    fs::remove(png);
  }
}

TEST_F(CliPlotTest, BadArgumentsNameTheProblem) {
  const fs::path trace = writeTrace();
  const std::string out = " --out " + q(folder_ / "p.png");
  struct Case {
    std::string args;
    std::string message;
  };
  const Case cases[] = {
      {"plot " + q(trace), "no --out PNG given"},
      {"plot" + out, "no FILE given"},
      {"plot " + q(trace) + out + " --from 10", "--from and --to go together"},
      {"plot " + q(trace) + out + " --from 500 --to 500", "is not after --from 500"},
      {"plot " + q(trace) + out + " --from x --to 9", "--from 'x' is not a sample number"},
      {"plot " + q(trace) + out + " --from 0 --to 60100", "--to '60100' is not a sample number"},
      {"plot " + q(trace) + out + " --zoom", "unknown option '--zoom'"},
      {"plot " + q(folder_ / "missing.otdr") + out, "missing.otdr"},
      {"plot " + q(trace) + " --out " + q(folder_ / "no" / "such" / "dir.png"), "cannot write"},
  };
  for (const Case& c : cases) {
    const auto [code, err] = run(c.args);
    EXPECT_EQ(code, 2) << c.args;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.args << "\n" << err;
  }
  EXPECT_FALSE(fs::exists(folder_ / "p.png"));
}

// Another maker's file is drawn as the canvas of its Trace, at its own spacing, whatever its
// distance frame (sample05 starts 1002 m before its events' 0).
TEST_F(CliPlotTest, AnotherMakersFileIsTheCanvasOfItsTrace) {
  for (const char* name : {"sample04.sor", "sample05.sor"}) {
    SCOPED_TRACE(name);
    const fs::path sor = fs::path(TRACELINK_SOR_SAMPLES) / name;
    const Result<Trace> trace = LoadTrace(sor);
    ASSERT_TRUE(trace.ok());
    const fs::path png = folder_ / "sor.png";
    for (const auto& [args, first, last] :
         {std::tuple<std::string, std::size_t, std::size_t>{"", 0, trace->size() - 1},
          {" --from 100 --to 3000", 100, 3000}}) {
      const auto [code, err] = run("plot " + q(sor) + " --out " + q(png) + args);
      ASSERT_EQ(code, 0) << err;
      const QImage drawn =
          QImage(QString::fromStdString(png.string())).convertToFormat(QImage::Format_RGB32);
      EXPECT_EQ(drawn, renderTraceCanvas(*trace, first, last)) << args;
    }
  }
}

}  // namespace
}  // namespace tracelink
