// The cable upload's plan without a port: names, fibre numbers, the files' texts, the
// checks before an upload starts, and what a save does with a file already there.
#include "link/cable_upload.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "files/record_file.h"
#include "sim/sim_instrument.h"
#include "sor/sor_io.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

CablePlan cablePlan(std::string cable = "CABLE") {
  CablePlan p;
  p.cable = std::move(cable);
  p.locationA = "Exchange";
  p.locationB = "Street cabinet 7";
  p.operatorName = "R. Smith";
  p.folder = "/tmp";
  return p;
}

const UploadTime kTime{1765279800, 2025, 12, 9, 11, 30, 0};

TEST(CableUploadTest, FileNames) {
  struct Case {
    const char* name;
    std::string cable;
    int first;
    int step;
    CableDirection direction;
    CableFormat format;
    TraceChoice traces;
    int traceSelect;
    std::string expected;
  };
  using D = CableDirection;
  using F = CableFormat;
  const Case cases[] = {
      {"first of all", "CABLE", 1, 1, D::FromA, F::Sor, TraceChoice::all(), 1, "CABLE_F01_AB.sor"},
      {"twelfth", "CABLE", 1, 1, D::FromA, F::Sor, TraceChoice::all(), 12, "CABLE_F12_AB.sor"},
      {"end B", "CABLE", 1, 1, D::FromB, F::Sor, TraceChoice::all(), 3, "CABLE_F03_BA.sor"},
      {"otdr", "CABLE", 1, 1, D::FromA, F::Otdr, TraceChoice::all(), 2, "CABLE_F02_AB.otdr"},
      {"range starts at its first fibre", "K9", 13, 1, D::FromA, F::Sor, TraceChoice::range(3, 14),
       3, "K9_F13_AB.sor"},
      {"range with a step", "K9", 1, 2, D::FromA, F::Sor, TraceChoice::range(3, 14), 5,
       "K9_F05_AB.sor"},
      {"three digits", "K9", 95, 5, D::FromA, F::Sor, TraceChoice::all(), 3, "K9_F105_AB.sor"},
      {"current trace is the first fibre", "K9", 7, 3, D::FromB, F::Sor, TraceChoice::current(),
       kCurrentTraceSelect, "K9_F07_BA.sor"},
      {"characters no file name holds", "A/B\\C:D*E?F\"G<H>I|J\x01K", 1, 1, D::FromA, F::Sor,
       TraceChoice::all(), 1, "A_B_C_D_E_F_G_H_I_J_K_F01_AB.sor"},
      {"letters beyond ASCII stay", "光缆7", 1, 1, D::FromA, F::Otdr, TraceChoice::all(), 1,
       "光缆7_F01_AB.otdr"},
      {"no cable: Upload All's name", "", 1, 1, D::FromA, F::Otdr, TraceChoice::all(), 4,
       "04_202512911300.otdr"},
      {"no cable, SOR", "", 1, 1, D::FromB, F::Sor, TraceChoice::range(2, 3), 3,
       "03_202512911300.sor"},
      {"no cable, current trace", "", 1, 1, D::FromA, F::Sor, TraceChoice::current(),
       kCurrentTraceSelect, "current_202512911300.sor"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CablePlan p = cablePlan(c.cable);
    p.firstFiber = c.first;
    p.fiberStep = c.step;
    p.direction = c.direction;
    p.format = c.format;
    p.traces = c.traces;
    EXPECT_EQ(CableFileName(p, c.traceSelect, kTime), c.expected);
  }
}

TEST(CableUploadTest, ExportTextsSwapTheLocationsForEndB) {
  CablePlan p = cablePlan("CABLE");
  p.firstFiber = 5;
  sor::SorExportOptions a = CableExportTexts(p, 2, kTime);
  EXPECT_EQ(a.cable, "CABLE");
  EXPECT_EQ(a.fiber, "06");
  EXPECT_EQ(a.locationA, "Exchange");
  EXPECT_EQ(a.locationB, "Street cabinet 7");
  EXPECT_EQ(a.operatorName, "R. Smith");
  EXPECT_EQ(a.dateTime, kTime.utcSeconds);
  p.direction = CableDirection::FromB;
  const sor::SorExportOptions b = CableExportTexts(p, 2, kTime);
  EXPECT_EQ(b.locationA, "Street cabinet 7");
  EXPECT_EQ(b.locationB, "Exchange");
  // Without a cable the files carry no cable texts, only the date.
  const sor::SorExportOptions none = CableExportTexts(cablePlan(""), 2, kTime);
  EXPECT_TRUE(none.cable.empty() && none.fiber.empty() && none.locationA.empty() &&
              none.operatorName.empty());
  EXPECT_EQ(none.dateTime, kTime.utcSeconds);
}

TEST(CableUploadTest, PlansRefusedBeforeTheUpload) {
  using Code = CablePlanProblem::Code;
  struct Case {
    const char* name;
    void (*change)(CablePlan&);
    std::optional<Code> code;
    std::string english;
  };
  const Case cases[] = {
      {"fine", [](CablePlan&) {}, std::nullopt, ""},
      {"no folder", [](CablePlan& p) { p.folder.clear(); }, Code::NoFolder,
       "no output folder given"},
      {"fibre 0", [](CablePlan& p) { p.firstFiber = 0; }, Code::FirstFiberOutside,
       "the first fibre 0 is not a number 1..9999"},
      {"step 0", [](CablePlan& p) { p.fiberStep = 0; }, Code::StepOutside,
       "the fibre step 0 is not a number 1..99"},
      {"range past 50", [](CablePlan& p) { p.traces = TraceChoice::range(3, 51); },
       Code::RangeOutside, "the traces 3-51 are not within 1-50"},
      {"range from 0", [](CablePlan& p) { p.traces = TraceChoice::range(0, 4); },
       Code::RangeOutside, "the traces 0-4 are not within 1-50"},
      {"range backwards", [](CablePlan& p) { p.traces = TraceChoice::range(9, 4); },
       Code::RangeReversed, "the traces 9-4 run backwards"},
      {"long cable ID", [](CablePlan& p) { p.cable = std::string(101, 'C'); }, Code::CableTooLong,
       "the cable ID has 101 bytes, at most 100 fit a file name"},
      {"operator beyond ASCII in a SOR file", [](CablePlan& p) { p.operatorName = "Zoë"; },
       Code::NotAscii,
       "the operator holds a character a SOR file cannot carry (printable ASCII only)"},
      {"location B beyond ASCII, from end B",
       [](CablePlan& p) {
         p.locationB = "机房";
         p.direction = CableDirection::FromB;
       },
       Code::NotAscii,
       "the location B holds a character a SOR file cannot carry (printable ASCII only)"},
      {"the same in an .otdr file, which has no texts",
       [](CablePlan& p) {
         p.operatorName = "Zoë";
         p.format = CableFormat::Otdr;
       },
       std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CablePlan p = cablePlan();
    c.change(p);
    const std::optional<CablePlanProblem> problem = CheckCablePlan(p);
    ASSERT_EQ(problem.has_value(), c.code.has_value());
    if (!problem) continue;
    EXPECT_EQ(problem->code, *c.code);
    EXPECT_EQ(cablePlanProblemText(*problem, Language::English), c.english);
    EXPECT_FALSE(cablePlanProblemText(*problem, Language::Chinese).empty());
  }
}

TEST(CableUploadTest, SummaryWords) {
  struct Case {
    CableSummary summary;
    std::string english;
    std::string chinese;
  };
  const Case cases[] = {
      {{12, 0, 0, 0, false, ""},
       "12 fibres saved, 0 skipped, 0 failed",
       "已保存 12 根光纤，跳过 0 根，失败 0 根"},
      {{9, 3, 2, 0, false, ""},
       "9 fibres saved, 3 skipped (2 identical), 0 failed",
       "已保存 9 根光纤，跳过 3 根（2 根内容相同），失败 0 根"},
      {{4, 0, 0, 1, false, "Upload stopped at trace 5, block 1: the port failed"},
       "4 fibres saved, 0 skipped, 1 failed. Upload stopped at trace 5, block 1: the port failed",
       "已保存 4 根光纤，跳过 0 根，失败 1 根。Upload stopped at trace 5, block 1: the port "
       "failed"},
      {{2, 0, 0, 0, true, ""},
       "Cable upload abandoned: 2 fibres saved, 0 skipped, 0 failed",
       "光缆上传已中止：已保存 2 根光纤，跳过 0 根，失败 0 根"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cableSummaryText(c.summary, Language::English), c.english);
    EXPECT_EQ(cableSummaryText(c.summary, Language::Chinese), c.chinese);
  }
}

std::vector<std::uint8_t> bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A stored trace of the simulated instrument as the transfer leaves it in the record.
struct Received {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow view;
  std::int32_t blockNo = 0;

  explicit Received(std::uint64_t seed) {
    const sim::SimInstrument inst = sim::SimInstrument::generated(seed, 1, false, 4);
    *record = *inst.trace(1);
    ApplyHeader(*record, header, view);
    blockNo = header.BlocksPerTrace + 1;
  }
};

class CableSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder =
        fs::temp_directory_path() /
        ("cable_save_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }
  CablePlan plan(CableFormat format, OnExisting onExisting) const {
    CablePlan p = cablePlan();
    p.folder = folder;
    p.format = format;
    p.onExisting = onExisting;
    return p;
  }
  fs::path folder;
};

TEST_F(CableSaveTest, AFileAlreadyThere) {
  using O = CableTraceResult::Outcome;
  struct Case {
    const char* name;
    CableFormat format;
    OnExisting onExisting;
    bool sameTrace;  // the second save is of the trace the first one saved
    O outcome;
    const char* secondName;  // the file the second save wrote, or nullptr
  };
  const Case cases[] = {
      {"SOR, same trace, a later date: identical", CableFormat::Sor, OnExisting::Replace, true,
       O::Identical, nullptr},
      {"otdr, same trace: identical", CableFormat::Otdr, OnExisting::KeepBoth, true, O::Identical,
       nullptr},
      {"SOR, other trace, skip", CableFormat::Sor, OnExisting::Skip, false, O::Skipped, nullptr},
      {"SOR, other trace, replace", CableFormat::Sor, OnExisting::Replace, false, O::Replaced,
       "CABLE_F01_AB.sor"},
      {"SOR, other trace, keep both", CableFormat::Sor, OnExisting::KeepBoth, false, O::KeptBoth,
       "CABLE_F01_AB-2.sor"},
      {"otdr, other trace, keep both", CableFormat::Otdr, OnExisting::KeepBoth, false, O::KeptBoth,
       "CABLE_F01_AB-2.otdr"},
  };
  const Received first(3);
  const Received other(4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    const CablePlan p = plan(c.format, c.onExisting);
    const CableTraceResult saved =
        SaveCableTrace(p, *first.record, first.header, first.blockNo, 1, kTime);
    ASSERT_EQ(saved.outcome, O::Saved) << saved.failure;
    const std::vector<std::uint8_t> before = bytesOf(saved.path);

    UploadTime later = kTime;
    later.utcSeconds += 3600;
    const Received& second = c.sameTrace ? first : other;
    const CableTraceResult again =
        SaveCableTrace(p, *second.record, second.header, second.blockNo, 1, later);
    EXPECT_EQ(again.outcome, c.outcome) << again.failure;
    const fs::path firstPath = saved.path;
    if (c.secondName == nullptr || again.path != firstPath) {
      // The file that was there is as it was.
      EXPECT_EQ(bytesOf(firstPath), before);
    }
    if (c.secondName != nullptr) {
      EXPECT_EQ(again.path.filename().string(), c.secondName);
      EXPECT_NE(bytesOf(again.path), before);
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, c.outcome == O::KeptBoth ? 2u : 1u);
  }
}

TEST_F(CableSaveTest, SavedSorCarriesTheTraceAndTheCable) {
  const Received r(5);
  CablePlan p = plan(CableFormat::Sor, OnExisting::Skip);
  p.direction = CableDirection::FromB;
  p.firstFiber = 3;
  const CableTraceResult saved = SaveCableTrace(p, *r.record, r.header, r.blockNo, 2, kTime);
  ASSERT_EQ(saved.outcome, CableTraceResult::Outcome::Saved) << saved.failure;
  EXPECT_EQ(saved.path, folder / "CABLE_F04_BA.sor");
  const Result<Trace> trace = LoadTrace(saved.path);
  ASSERT_TRUE(trace) << trace.error().text();
  EXPECT_EQ(trace->identity.cable, "CABLE");
  EXPECT_EQ(trace->identity.fiber, "04");
  EXPECT_EQ(trace->identity.locationA, "Street cabinet 7");
  EXPECT_EQ(trace->identity.locationB, "Exchange");
  EXPECT_EQ(trace->identity.operatorName, "R. Smith");
  EXPECT_EQ(trace->identity.dateTime, kTime.utcSeconds);
}

TEST_F(CableSaveTest, AFolderThatCannotBeWrittenFailsNamingTheFile) {
  const Received r(6);
  CablePlan p = plan(CableFormat::Sor, OnExisting::Skip);
  // A file where the folder should be: no save can go there, whoever runs the test.
  p.folder = folder / "not-a-folder";
  std::ofstream(p.folder) << "x";
  const CableTraceResult saved = SaveCableTrace(p, *r.record, r.header, r.blockNo, 1, kTime);
  EXPECT_EQ(saved.outcome, CableTraceResult::Outcome::Failed);
  EXPECT_NE(saved.failure.find("CABLE_F01_AB.sor"), std::string::npos) << saved.failure;
  EXPECT_EQ(cableTraceLine(saved, Language::English).rfind("trace 1: ", 0), 0u);
}

}  // namespace
}  // namespace tracelink
