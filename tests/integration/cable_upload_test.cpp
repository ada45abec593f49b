// Cable uploads from tracelink-sim over a pseudo-terminal, through the real serial link and
// the upload controller: the names and texts of the files, a second run over them, and
// the faults of the line and the folder.
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "integration/sim_harness.h"
#include "link/cable_upload_run.h"
#include "sim/sim_instrument.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;

const QDateTime kUploadTime = QDateTime(QDate(2026, 12, 9), QTime(8, 15, 0), Qt::UTC);

// The link harness with a cable upload on top, and a folder for the cable's files.
struct CableHarness : LinkHarness {
  CableUploadRun run{controller, sink, Language::English};
  QTemporaryDir out;
  std::vector<CableSummary> cableSummaries;

  CableHarness() {
    run.setClock([] { return kUploadTime; });
    QObject::connect(&run, &CableUploadRun::finished,
                     [this](const CableSummary& s) { cableSummaries.push_back(s); });
  }
  CablePlan plan(TraceChoice traces = TraceChoice::all()) const {
    CablePlan p;
    p.cable = "CABLE";
    p.locationA = "Exchange";
    p.locationB = "Cabinet 7";
    p.operatorName = "R. Smith";
    p.folder = out.path().toStdString();
    p.traces = traces;
    return p;
  }
  // Runs the plan to its end; the summary it announced.
  CableSummary upload(const CablePlan& p) {
    QSignalSpy finished(&run, &CableUploadRun::finished);
    const Status started = run.start(p);
    EXPECT_TRUE(started) << (started ? "" : started.error().text());
    if (run.running()) {
      EXPECT_TRUE(finished.wait(120000));
    }
    EXPECT_FALSE(run.running());
    return run.summary();
  }
  QStringList files() const {
    return QDir(out.path()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
  }
};

std::vector<std::uint8_t> bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(CableUploadIntegrationTest, TwelveFibresCarryTheirNamesAndLevelsAsUploadAllSavesThem) {
  SimProcess sim({"--stored", "12", "--seed", "7"});
  CableHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  const CableSummary summary = h.upload(h.plan());
  EXPECT_EQ(cableSummaryText(summary, Language::English), "12 fibres saved, 0 skipped, 0 failed");

  // Upload All on the same instrument, for the levels and events it saves.
  h.controller.uploadAll();
  ASSERT_TRUE(h.waitForEnd());
  ASSERT_EQ(h.saved.size(), 12u);
  ASSERT_EQ(h.run.results().size(), 12u);
  const auto inst = sim::SimInstrument::generated(7, 12, true, -1);
  for (int t = 1; t <= 12; ++t) {
    SCOPED_TRACE(testing::Message() << "trace " << t);
    const CableTraceResult& r = h.run.results()[static_cast<std::size_t>(t - 1)];
    EXPECT_EQ(r.outcome, CableTraceResult::Outcome::Saved);
    char name[32];
    std::snprintf(name, sizeof name, "CABLE_F%02d_AB.sor", t);
    EXPECT_EQ(r.path, fs::path(h.out.path().toStdString()) / name);
    const Result<Trace> cable = LoadTrace(r.path);
    const Result<Trace> all = LoadTrace(h.saved[static_cast<std::size_t>(t - 1)]);
    ASSERT_TRUE(cable) << cable.error().text();
    ASSERT_TRUE(all) << all.error().text();
    EXPECT_EQ(cable->identity.cable, "CABLE");
    EXPECT_EQ(cable->identity.fiber, std::string(name).substr(7, 2));
    EXPECT_EQ(cable->identity.locationA, "Exchange");
    EXPECT_EQ(cable->identity.locationB, "Cabinet 7");
    EXPECT_EQ(cable->identity.operatorName, "R. Smith");
    EXPECT_EQ(cable->identity.dateTime, kUploadTime.toSecsSinceEpoch());
    EXPECT_FALSE(cable->levels.empty());
    EXPECT_EQ(cable->levels, all->levels);
    EXPECT_EQ(cable->events, all->events);
    const auto header = inst.servedWords(static_cast<std::uint8_t>(t), kHeaderBlockNo);
    EXPECT_EQ(r.blocks, BlocksForRange(header[slot::kRangeN - kHeaderStart]));
  }
  EXPECT_EQ(h.files().size(), 12);
}

TEST(CableUploadIntegrationTest, RangesEndsAndTheCurrentTrace) {
  struct Case {
    const char* name;
    TraceChoice traces;
    CableDirection direction;
    int firstFiber;
    QStringList files;
    QStringList lastRequests;  // the requests the upload ended with
    int failed;
    std::string lastLine;
  };
  const Case cases[] = {
      {"a range inside the stored traces stops after its last",
       TraceChoice::range(2, 4),
       CableDirection::FromB,
       1,
       {"CABLE_F01_BA.sor", "CABLE_F02_BA.sor", "CABLE_F03_BA.sor"},
       {"04 0F", "04 01"},
       0,
       "CABLE_F03_BA.sor: 1 block, "},
      {"a range past the stored traces names the ones missing",
       TraceChoice::range(11, 14),
       CableDirection::FromA,
       11,
       {"CABLE_F11_AB.sor", "CABLE_F12_AB.sor"},
       {"0C 0F", "0C 01"},
       2,
       "trace 14: not stored in the instrument (12 stored)"},
      {"the current trace alone",
       TraceChoice::current(),
       CableDirection::FromA,
       7,
       {"CABLE_F07_AB.sor"},
       {"AA 0F", "AA 01"},
       0,
       "CABLE_F07_AB.sor: 1 block, "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimProcess sim({"--stored", "12", "--range", "0"});
    CableHarness h;
    ASSERT_TRUE(h.connectTo(sim));
    CablePlan p = h.plan(c.traces);
    p.direction = c.direction;
    p.firstFiber = c.firstFiber;
    const CableSummary summary = h.upload(p);
    EXPECT_EQ(h.files(), c.files);
    EXPECT_EQ(summary.failed, c.failed);
    EXPECT_FALSE(summary.abandoned);
    EXPECT_EQ(sim.requests().mid(sim.requests().size() - 2), c.lastRequests);
    ASSERT_FALSE(h.run.results().empty());
    EXPECT_EQ(cableTraceLine(h.run.results().back(), Language::English).rfind(c.lastLine, 0), 0u)
        << cableTraceLine(h.run.results().back(), Language::English);
    // No Upload All summary for a cable upload, and none of its automatic saves.
    EXPECT_TRUE(h.summaries.empty());
    EXPECT_TRUE(h.saved.empty());
    if (c.direction == CableDirection::FromB) {
      const Result<Trace> t = LoadTrace(h.run.results().front().path);
      ASSERT_TRUE(t);
      EXPECT_EQ(t->identity.locationA, "Cabinet 7");
      EXPECT_EQ(t->identity.locationB, "Exchange");
    }
  }
}

TEST(CableUploadIntegrationTest, ASecondRunOverTheFiles) {
  using O = CableTraceResult::Outcome;
  struct Case {
    const char* name;
    const char* secondSeed;  // the same seed serves the same traces again
    OnExisting onExisting;
    O outcome;
    int files;
    std::string summary;
  };
  const Case cases[] = {
      {"the same traces are skipped as identical", "5", OnExisting::Replace, O::Identical, 12,
       "0 fibres saved, 12 skipped (12 identical), 0 failed"},
      {"other traces, skip", "6", OnExisting::Skip, O::Skipped, 12,
       "0 fibres saved, 12 skipped, 0 failed"},
      {"other traces, replace", "6", OnExisting::Replace, O::Replaced, 12,
       "12 fibres saved, 0 skipped, 0 failed"},
      {"other traces, keep both", "6", OnExisting::KeepBoth, O::KeptBoth, 24,
       "12 fibres saved, 0 skipped, 0 failed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CableHarness h;
    {
      SimProcess sim({"--stored", "12", "--range", "4", "--seed", "5"});
      ASSERT_TRUE(h.connectTo(sim));
      h.upload(h.plan());
      h.link.close();
    }
    const std::vector<std::uint8_t> firstFile =
        bytesOf(fs::path(h.out.path().toStdString()) / "CABLE_F01_AB.sor");
    SimProcess sim({"--stored", "12", "--range", "4", "--seed", c.secondSeed});
    ASSERT_TRUE(h.connectTo(sim));
    CablePlan p = h.plan();
    p.onExisting = c.onExisting;
    const CableSummary summary = h.upload(p);
    EXPECT_EQ(cableSummaryText(summary, Language::English), c.summary);
    EXPECT_EQ(h.files().size(), c.files);
    for (const CableTraceResult& r : h.run.results()) EXPECT_EQ(r.outcome, c.outcome);
    const bool replaced = c.outcome == O::Replaced;
    EXPECT_EQ(bytesOf(fs::path(h.out.path().toStdString()) / "CABLE_F01_AB.sor") == firstFile,
              !replaced);
  }
}

TEST(CableUploadIntegrationTest, JunkBeforeTheSyncByteIsSkipped) {
  SimProcess sim({"--stored", "12", "--range", "0", "--garbage", "300", "--seed", "9"});
  CableHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  const CableSummary summary = h.upload(h.plan());
  EXPECT_EQ(cableSummaryText(summary, Language::English), "12 fibres saved, 0 skipped, 0 failed");
  for (const CableTraceResult& r : h.run.results()) EXPECT_TRUE(LoadTrace(r.path));
}

TEST(CableUploadIntegrationTest, ASilentInstrumentIsNamedWithTheTrace) {
  // Traces of one block: two requests each, so the fifth request is trace 3's header.
  SimProcess sim({"--stored", "12", "--range", "0", "--silent-after", "5"});
  CableHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  h.controller.setReplyTimeout(std::chrono::milliseconds(300));
  const CableSummary summary = h.upload(h.plan());
  EXPECT_EQ(cableSummaryText(summary, Language::English),
            "2 fibres saved, 0 skipped, 1 failed. Upload stopped: trace 3, block 1 did not "
            "arrive within 0.3 s");
  EXPECT_EQ(h.files(), (QStringList{"CABLE_F01_AB.sor", "CABLE_F02_AB.sor"}));
  ASSERT_EQ(h.run.results().size(), 3u);
  EXPECT_EQ(cableTraceLine(h.run.results()[2], Language::English),
            "Upload stopped: trace 3, block 1 did not arrive within 0.3 s");
}

TEST(CableUploadIntegrationTest, PortLostAtTraceFiveKeepsTheFirstFour) {
  SimProcess sim({"--stored", "12", "--range", "0", "--line-rate"});
  CableHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  h.controller.setReplyTimeout(std::chrono::milliseconds(1500));
  QSignalSpy finished(&h.run, &CableUploadRun::finished);
  ASSERT_TRUE(h.run.start(h.plan()));
  QElapsedTimer clock;
  clock.start();
  while (!sim.requests().contains("05 0F") && clock.elapsed() < 60000) QTest::qWait(20);
  sim.stop();
  ASSERT_TRUE(finished.wait(20000));
  const CableSummary summary = h.run.summary();
  EXPECT_EQ(summary.saved, 4);
  EXPECT_EQ(summary.failed, 1);
  EXPECT_EQ(h.files(), (QStringList{"CABLE_F01_AB.sor", "CABLE_F02_AB.sor", "CABLE_F03_AB.sor",
                                    "CABLE_F04_AB.sor"}));
  for (const QString& f : h.files()) EXPECT_TRUE(LoadTrace(h.out.filePath(f).toStdString()));
  ASSERT_EQ(h.run.results().size(), 5u);
  const std::string line = cableTraceLine(h.run.results()[4], Language::English);
  EXPECT_NE(line.find("trace 5, "), std::string::npos) << line;
  EXPECT_NE(cableSummaryText(summary, Language::English).find(line), std::string::npos);
}

TEST(CableUploadIntegrationTest, AFolderThatStopsTakingFiles) {
  SimProcess sim({"--stored", "12", "--range", "0"});
  CableHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  const fs::path folder = h.out.path().toStdString();
  // After the second fibre the folder is gone, and a file stands in its place (as when a
  // stick is pulled and the name taken): every later save must fail.
  QObject::connect(&h.run, &CableUploadRun::traceDone, [&](const CableTraceResult& r) {
    if (r.traceSelect != 2) return;
    fs::rename(folder, folder.string() + ".gone");
    std::ofstream(folder) << "not a folder";
  });
  const CableSummary summary = h.upload(h.plan());
  fs::remove(folder);
  fs::rename(folder.string() + ".gone", folder);
  EXPECT_EQ(summary.saved, 2);
  EXPECT_EQ(summary.failed, 1);
  EXPECT_NE(cableSummaryText(summary, Language::English)
                .find("Upload stopped: trace 3 could not be saved: "),
            std::string::npos)
      << cableSummaryText(summary, Language::English);
  EXPECT_EQ(h.files(), (QStringList{"CABLE_F01_AB.sor", "CABLE_F02_AB.sor"}));
  // The upload stopped at the failed save: nothing was asked for after trace 3.
  EXPECT_EQ(sim.requests().back(), "03 01");
}

TEST(CableUploadIntegrationTest, AFolderThatCannotBeMadeStartsNothing) {
  SimProcess sim({"--stored", "12", "--range", "0"});
  CableHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  CablePlan p = h.plan();
  std::ofstream(h.out.filePath("file").toStdString()) << "x";
  p.folder = h.out.filePath("file/cable").toStdString();
  const Status started = h.run.start(p);
  ASSERT_FALSE(started);
  EXPECT_NE(started.error().text().find("file/cable"), std::string::npos) << started.error().text();
  EXPECT_FALSE(h.run.running());
  QTest::qWait(100);
  EXPECT_TRUE(sim.requests().isEmpty());
}

TEST(CableUploadIntegrationTest, AbandonedFromOutsideKeepsWhatWasSaved) {
  SimProcess sim({"--stored", "12", "--range", "0"});
  CableHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  // The disconnect button or a click in the file list, once two fibres are in.
  QObject::connect(&h.run, &CableUploadRun::traceDone, [&](const CableTraceResult& r) {
    if (r.traceSelect == 2)
      QTimer::singleShot(0, &h.controller, [&] { (void)h.controller.abandon(); });
  });
  const CableSummary summary = h.upload(h.plan(TraceChoice::range(1, 12)));
  EXPECT_TRUE(summary.abandoned);
  EXPECT_EQ(summary.failed, 0);
  EXPECT_GE(summary.saved, 2);
  EXPECT_EQ(h.files().size(), summary.saved);
  EXPECT_EQ(
      cableSummaryText(summary, Language::English)
          .rfind("Cable upload abandoned: " + std::to_string(summary.saved) + " fibres saved", 0),
      0u);
  EXPECT_TRUE(h.summaries.empty());
}

}  // namespace
}  // namespace tracelink
