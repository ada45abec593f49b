#include <gtest/gtest.h>
#include <sys/wait.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "cli/cli_runner.h"
#include "files/record_file.h"
#include "files/test_files.h"
#include "measure/measure.h"
#include "measure/measure_text.h"
#include "sor/sor_io.h"
#include "trace/load_trace.h"
#include "trace/trace_from_record.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;

using test::CliRun;

// The number after "key": in a JSON text (keys are unique in the command's output, except
// distanceM, which `from` skips to the right object).
double jsonNumber(const std::string& json, const std::string& key, const std::string& from = "") {
  const std::size_t start = from.empty() ? 0 : json.find(from);
  const std::size_t at = json.find("\"" + key + "\":", start);
  EXPECT_NE(at, std::string::npos) << key << " in " << json;
  if (at == std::string::npos) return NAN;
  const char* first = json.data() + at + key.size() + 3;
  double v = NAN;
  std::from_chars(first, json.data() + json.size(), v);
  return v;
}

// A sample loaded in-process the way the command loads it, to hold its output against.
struct Sample {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow view;
  DecodedValues decoded;
  Trace trace;

  explicit Sample(const fs::path& path) {
    const Status read = ReadRecordFile(path, *record, header.BlocksPerTrace);
    EXPECT_TRUE(read.ok()) << path;
    ApplyHeader(*record, header, view);
    (void)DecodeRecord(*record, decoded, Language::English);
    trace = TraceFromRecord(*record, header, view, decoded);
  }
};

class MeasureCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
  }

  CliRun run(const std::string& args) {
    return test::runCli(binary_, "measure " + args, folder_.path());
  }

  static std::string sample(const char* name) {
    return std::string(TRACELINK_SAMPLES_DIR) + "/" + name;
  }

  fs::path binary_;
  TempFolder folder_;
};

TEST_F(MeasureCliTest, JsonCarriesTheCoreFiguresOnEverySample) {
  const char* names[] = {"sample_01_range2.otdr", "sample_02_range4.otdr", "sample_03_range5.otdr",
                         "sample_04_range7.otdr"};
  for (const char* name : names) {
    const Sample s(sample(name));
    const double endM = SampleToMetres(s.view.FullRangeEnd);
    const double aM = std::round(endM * 0.1);
    const double bM = std::round(endM * 0.9);
    const CliRun r = run("'" + sample(name) + "' --a " + std::to_string(static_cast<int>(aM)) +
                         " --b " + std::to_string(static_cast<int>(bM)) + " --json");
    ASSERT_EQ(r.exitCode, 0) << name << r.err;
    EXPECT_EQ(r.err, "");
    const Measured<SpanMeasure> span = measureSpan(s.trace, aM, bM);
    ASSERT_TRUE(span) << name;
    EXPECT_EQ(r.out.rfind("{\"file\":\"" + sample(name) + "\",\"a\":{\"distanceM\":", 0), 0u)
        << r.out;
    // Shortest round-trip numbers: the printed figures are the core's, bit for bit.
    EXPECT_EQ(jsonNumber(r.out, "distanceM", "\"a\""), aM);
    EXPECT_EQ(jsonNumber(r.out, "levelDb", "\"a\""), span->a.levelDb()) << name;
    EXPECT_EQ(jsonNumber(r.out, "distanceM", "\"b\""), bM);
    EXPECT_EQ(jsonNumber(r.out, "levelDb", "\"b\""), span->b.levelDb()) << name;
    EXPECT_EQ(jsonNumber(r.out, "deltaM"), span->deltaM);
    EXPECT_EQ(jsonNumber(r.out, "deltaDb"), span->deltaDb());
    EXPECT_EQ(jsonNumber(r.out, "twoPointDbPerKm"), span->twoPointDbPerKm);
    EXPECT_EQ(jsonNumber(r.out, "lsaDbPerKm"), span->lsa.dbPerKm());
    EXPECT_EQ(jsonNumber(r.out, "lsaLossDb"), span->lsaLossDb);
    EXPECT_EQ(jsonNumber(r.out, "lsaRmsDb"), span->lsa.rmsDb);
    // Each sample lists events between 10 % and 90 % of its range.
    const Measured<std::int32_t> listed = eventBetween(s.trace, aM, bM);
    ASSERT_TRUE(listed) << name;
    const Measured<EventLoss> loss = eventLoss(s.trace, aM, bM, *listed);
    ASSERT_TRUE(loss) << name;
    EXPECT_EQ(jsonNumber(r.out, "distanceM", "\"event\""), *listed);
    EXPECT_EQ(jsonNumber(r.out, "lossDb"), loss->lossDb);
    EXPECT_EQ(jsonNumber(r.out, "deadZoneM"), loss->deadZoneM);
    EXPECT_TRUE(r.out.ends_with("}}\n")) << r.out;
  }
}

TEST_F(MeasureCliTest, TextPrintsTheStatusLineAndTheEventLoss) {
  const std::string file = sample("sample_04_range7.otdr");
  const Sample s(file);
  const CliRun r = run("'" + file + "' --a 20000 --b=35000");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Measured<EventLoss> loss = eventLoss(s.trace, 20000, 35000, 27007);
  ASSERT_TRUE(loss);
  EXPECT_EQ(r.out, markerReadout(s.trace, 20000, 35000, Language::English) + "\n" +
                       eventLossText(*loss, Language::English) + "\n");
  EXPECT_NE(r.out.find("Event at 27007 m: loss "), std::string::npos);
  EXPECT_NE(r.out.find("(LSA, dead zone 102 m)"), std::string::npos);

  const CliRun zh = run("'" + file + "' --a 20000 --b 35000 --lang zh");
  ASSERT_EQ(zh.exitCode, 0) << zh.err;
  EXPECT_NE(zh.out.find("事件 27007 m：损耗 "), std::string::npos) << zh.out;

  // No listed event between the markers is no failure: the event is null.
  const CliRun none = run("'" + file + "' --a 1021 --b 5107 --json");
  ASSERT_EQ(none.exitCode, 0) << none.err;
  EXPECT_TRUE(none.out.ends_with(",\"event\":null}\n")) << none.out;
  const CliRun noneText = run("'" + file + "' --a 1021 --b 5107");
  EXPECT_TRUE(noneText.out.ends_with("\nthe instrument lists no event between 1021 m and 5107 m\n"))
      << noneText.out;

  // A named distance is measured even where the instrument lists nothing.
  const CliRun named = run("'" + file + "' --a 1021 --b 5107 --event 3000 --json");
  ASSERT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(jsonNumber(named.out, "distanceM", "\"event\""), 3000);
}

TEST_F(MeasureCliTest, BadMarkersExitTwoWithOneClearLine) {
  const std::string file = sample("sample_04_range7.otdr");
  struct Case {
    std::string args;
    std::string message;
  };
  const Case cases[] = {
      {"'" + file + "' --a 60000 --b 1000",
       file + ": marker A at 60000 m lies outside the trace (0 to 49022 m)"},
      {"'" + file + "' --a 3000 --b 3000",
       file + ": markers A and B stand at the same distance (3000 m)"},
      {"'" + file + "' --a 1000 --b 5000 --event 6000",
       file + ": the event at 6000 m does not lie between the markers (1000 to 5000 m)"},
      {"'" + file + "' --a 26950 --b 30000 --event 27007",
       file + ": only 0 samples before the event lie outside the dead zone, at least 5 are needed; "
              "move marker A away from the event"},
      {"'" + file + "' --a 1km --b 5000", "measure: --a needs a distance in metres, not '1km'"},
      {"'" + file + "' --a 1000", "measure: both --a and --b are needed"},
      {"'" + file + "' --a 1 --b 2 --colour", "measure: unknown option '--colour' (see --help)"},
      {"'" + file + ".missing' --a 1 --b 2",
       file + ".missing: cannot open: No such file or directory"},
  };
  for (const Case& c : cases) {
    const CliRun r = run(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.args;
    EXPECT_EQ(r.out, "") << c.args;
    EXPECT_EQ(r.err, "tracelink-cli: " + c.message + "\n") << c.args;
  }
}

TEST_F(MeasureCliTest, AnyMakersSorFileIsMeasuredInItsEventsFrame) {
  // A straight line of 0.350 dB/km, written as another maker would, behind a 300 m launch
  // cable (GenParams' user offset): 0 is where the fibre under test begins.
  sor::SorFile f;
  f.genParams = sor::GenParams{};
  f.genParams->userOffset = 14687;
  sor::FxdParams x;
  x.pulseWidths = {100};
  x.dataSpacing = {250000};
  x.groupIndex = 146770;
  f.fxdParams = x;
  sor::DataTrace t;
  const double spacing = 250000 * 1e-14 * 299792458.0 / 1.4677;
  for (int i = 0; i < 50000; ++i)
    t.values.push_back(static_cast<std::uint16_t>(std::lround(5000 + 0.35 * i * spacing)));
  f.dataPts = sor::DataPts{50000, {t}, {}};
  for (const auto& [name, kind] : {std::pair{"GenParams", sor::BlockKind::GenParams},
                                   {"FxdParams", sor::BlockKind::FxdParams},
                                   {"DataPts", sor::BlockKind::DataPts},
                                   {"Cksum", sor::BlockKind::Cksum}})
    f.blocks.push_back(sor::Block{sor::BlockRef{name, 200, 0}, kind, {}});
  const std::vector<std::uint8_t> bytes = sor::WriteSor(f);
  const fs::path line = folder_ / "line.sor";
  test::writeFile(line, std::string(bytes.begin(), bytes.end()));
  const CliRun straight = run("'" + line.string() + "' --a 1000 --b 21000");
  ASSERT_EQ(straight.exitCode, 0) << straight.err;
  EXPECT_NE(
      straight.out.find("A\u2192B 20000 m  7.00 dB  0.350 dB/km  LSA 0.350 dB/km (\u00B10.00 dB)"),
      std::string::npos)
      << straight.out;
  EXPECT_TRUE(
      straight.out.ends_with("\nthe instrument lists no event between 1000 m and 21000 m\n"))
      << straight.out;

  // A shared sample: the figures are those of the trace the loader gives, bit for bit.
  const std::string file = std::string(TRACELINK_SOR_SAMPLES) + "/sample01.sor";
  const Result<Trace> trace = LoadTrace(file);
  ASSERT_TRUE(trace.ok());
  const CliRun r = run("'" + file + "' --a 1000 --b 8000 --json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Measured<SpanMeasure> span = measureSpan(*trace, 1000, 8000);
  ASSERT_TRUE(span);
  EXPECT_EQ(jsonNumber(r.out, "levelDb", "\"a\""), span->a.levelDb());
  EXPECT_EQ(jsonNumber(r.out, "lsaDbPerKm"), span->lsa.dbPerKm());
  EXPECT_EQ(jsonNumber(r.out, "twoPointDbPerKm"), span->twoPointDbPerKm);
  EXPECT_EQ(jsonNumber(r.out, "lsaRmsDb"), span->lsa.rmsDb);
  // The instrument's event nearest the middle (4500 m) is its splice at 4108 m, measured
  // with the file's 100 ns pulse.
  EXPECT_EQ(jsonNumber(r.out, "distanceM", "\"event\""), 4108);
  const Measured<EventLoss> loss = eventLoss(*trace, 1000, 8000, 4108);
  ASSERT_TRUE(loss);
  EXPECT_EQ(jsonNumber(r.out, "lossDb"), loss->lossDb);
  EXPECT_NEAR(loss->deadZoneM, 10.21, 0.01);

  // Its range is its frame's: the 20.4 m of lead-in come before 0.
  const CliRun outside = run("'" + file + "' --a 1000 --b 30000");
  EXPECT_EQ(outside.exitCode, 2);
  EXPECT_EQ(outside.err, "tracelink-cli: " + file +
                             ": marker B at 30000 m lies outside the trace (-20 to 25530 m)\n");
}

}  // namespace
}  // namespace tracelink
