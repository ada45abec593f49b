// Uploads from tracelink-sim over a pseudo-terminal, through the real serial link and the
// upload controller, checked against the simulator's request log and what it served.

#include <QElapsedTimer>
#include <QTest>
#include <chrono>

#include "integration/sim_harness.h"
#include "link/transfer_messages.h"
#include "sim/sim_instrument.h"

namespace tracelink {
namespace {

TEST(UploadIntegrationTest, RequestSequences) {
  struct Case {
    const char* name;
    QStringList simArgs;
    bool current;
    QStringList requests;
    int noDatas;
    int decodes;
  };
  const Case cases[] = {
      {"current trace, range 4", {"--range", "4"}, true, {"AA 0F", "AA 01", "AA 02"}, 0, 1},
      {"current trace, range 7",
       {"--range", "7"},
       true,
       {"AA 0F", "AA 01", "AA 02", "AA 03", "AA 04", "AA 05", "AA 06", "AA 07", "AA 08", "AA 09",
        "AA 0A", "AA 0B", "AA 0C"},
       0,
       1},
      {"two stored, range 3",
       {"--range", "3", "--stored", "2"},
       false,
       {"01 0F", "01 01", "02 0F", "02 01"},
       0,
       2},
      {"no current trace", {"--no-current"}, true, {"AA 0F"}, 1, 0},
      {"nothing stored", {"--no-current", "--stored", "0"}, false, {"01 0F"}, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimProcess sim(c.simArgs);
    ASSERT_FALSE(sim.device().isEmpty());
    LinkHarness h;
    ASSERT_TRUE(h.connectTo(sim));
    c.current ? h.controller.uploadCurrent() : h.controller.uploadAll();
    ASSERT_TRUE(h.waitForEnd());
    EXPECT_EQ(sim.requests(), c.requests);
    EXPECT_EQ(h.noDatas, c.noDatas);
    EXPECT_EQ(static_cast<int>(h.decodedEventCounts.size()), c.decodes);
    EXPECT_TRUE(h.failures.isEmpty()) << h.failures.join("; ").toStdString();
  }
}

TEST(UploadIntegrationTest, CurrentTraceShowsOneBarSavesNothingAndIsPresent) {
  SimProcess sim({"--range", "5", "--stored", "4"});
  LinkHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  h.controller.uploadCurrent();
  ASSERT_TRUE(h.waitForEnd());
  EXPECT_EQ(h.dataPresent, 1);
  EXPECT_TRUE(h.saved.empty());
  ASSERT_FALSE(h.progress.empty());
  bool blocksShown = false;
  for (const TransferProgress& p : h.progress) {
    blocksShown = blocksShown || p.phase == ProgressPhase::Receiving;
    EXPECT_FALSE(p.series || p.counted);
  }
  EXPECT_TRUE(blocksShown);
  EXPECT_EQ(h.progress.back().phase, ProgressPhase::Idle);
  // The trace on screen is the simulator's current trace.
  const auto inst = sim::SimInstrument::generated(1, 4, true, 5);
  const auto header = inst.servedWords(kCurrentTraceSelect, kHeaderBlockNo);
  EXPECT_EQ((*h.record)[slot::kEventCount], header[slot::kEventCount - kHeaderStart]);
  EXPECT_EQ(h.decodedEventCounts.back(), header[slot::kEventCount - kHeaderStart]);
}

// Every saved file reads back to what the simulator served: header words raw, samples
// less the 800 offset, one extra all-zero block, and the block count in front.
void expectFilesMatch(const LinkHarness& h, const sim::SimInstrument& inst, int traces) {
  ASSERT_EQ(static_cast<int>(h.saved.size()), traces);
  for (int t = 1; t <= traces; ++t) {
    SCOPED_TRACE(testing::Message() << "trace " << t);
    TraceRecord back;
    std::int32_t n = 0;
    ASSERT_TRUE(ReadRecordFile(h.saved[static_cast<std::size_t>(t - 1)], back, n));
    const auto header = inst.servedWords(static_cast<std::uint8_t>(t), kHeaderBlockNo);
    const std::int32_t blocks = BlocksForRange(header[slot::kRangeN - kHeaderStart]);
    EXPECT_EQ(n, blocks + 1);
    EXPECT_EQ(back[0], n);
    int mismatches = 0;
    for (int k = 1; k <= blocks; ++k) {
      const auto served =
          inst.servedWords(static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(k));
      for (int i = (k == 1 ? 1 : 0); i < kBlockWords; ++i) {
        const std::int32_t expected = served[static_cast<std::size_t>(i)] > 800
                                          ? served[static_cast<std::size_t>(i)] - 800
                                          : 0;
        mismatches += back[static_cast<std::size_t>((k - 1) * kBlockWords + i)] != expected;
      }
    }
    for (int i = 0; i < kBlockWords; ++i) {
      mismatches += back[static_cast<std::size_t>(blocks * kBlockWords + i)] != 0;
      mismatches +=
          back[static_cast<std::size_t>(kHeaderStart + i)] != header[static_cast<std::size_t>(i)];
    }
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(UploadIntegrationTest, UploadAllWritesFilesThatReadBackWordForWord) {
  SimProcess sim({"--stored", "3", "--seed", "5"});
  LinkHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  h.controller.uploadAll();
  ASSERT_TRUE(h.waitForEnd());
  EXPECT_TRUE(h.failures.isEmpty()) << h.failures.join("; ").toStdString();
  EXPECT_EQ(h.lists, 3);
  EXPECT_EQ(h.dataPresent, 0);
  expectFilesMatch(h, sim::SimInstrument::generated(5, 3, true, -1), 3);
  EXPECT_FALSE(h.progress.back().series);
  EXPECT_EQ(h.progress.back().trace, 3);
  EXPECT_EQ(h.progress.back().traces, 3);
}

TEST(UploadIntegrationTest, TracesFromAFolderOfFiles) {
  QTemporaryDir samples;
  {
    QProcess writer;
    writer.start(
        QString::fromLocal8Bit(qgetenv("TRACELINK_BINARY_DIR")) + "/tools/sim/tracelink-sim",
        {"--write-samples", samples.path()});
    ASSERT_TRUE(writer.waitForFinished(60000));
    ASSERT_EQ(writer.exitCode(), 0);
  }
  // Four files serve five stored traces: the fifth is the first file again.
  SimProcess sim({"--dir", samples.path(), "--stored", "5"});
  LinkHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  h.controller.uploadAll();
  ASSERT_TRUE(h.waitForEnd());
  EXPECT_TRUE(h.failures.isEmpty()) << h.failures.join("; ").toStdString();
  auto inst = sim::SimInstrument::fromFolder(samples.path().toStdString(), 5, true);
  ASSERT_TRUE(inst.ok());
  expectFilesMatch(h, inst.value(), 5);
}

TEST(UploadIntegrationTest, FailedAutomaticSaveStopsTheUpload) {
  // A trace with more to follow, and the last stored trace, whose transfer has already
  // ended when its save is tried: both must say why and hide the progress.
  const struct { const char* stored; } cases[] = {{"3"}, {"1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    SimProcess sim({"--stored", c.stored, "--range", "0"});
    LinkHarness h;
    ASSERT_TRUE(h.connectTo(sim));
    h.controller.setAutoSaveTrace(
        [](int, int) -> Status { return Error{"save/01_x.otdr: Permission denied"}; });
    h.controller.uploadAll();
    ASSERT_TRUE(h.waitForEnd());
    EXPECT_EQ(sim.requests(), (QStringList{"01 0F", "01 01"}));
    ASSERT_EQ(h.failures.size(), 1);
    EXPECT_EQ(h.failures[0].toStdString(),
              "Upload stopped: trace 1 could not be saved: save/01_x.otdr: Permission denied");
    // Decoded before the save was tried; the list is not refreshed for a file not written.
    EXPECT_EQ(h.decodedEventCounts.size(), 1u);
    EXPECT_EQ(h.lists, 0);
    ASSERT_FALSE(h.progress.empty());
    EXPECT_EQ(h.progress.back().phase, ProgressPhase::Idle);
    EXPECT_FALSE(h.progress.back().series);
    EXPECT_FALSE(h.controller.busy());
  }
}

TEST(UploadIntegrationTest, SixtyStoredStopAtFifty) {
  SimProcess sim({"--stored", "60", "--range", "0"});
  LinkHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  h.controller.uploadAll();
  ASSERT_TRUE(h.waitForEnd());
  EXPECT_EQ(h.saved.size(), 50u);
  const QStringList requests = sim.requests();
  EXPECT_EQ(requests.size(), 100);
  EXPECT_EQ(requests.value(98), "32 0F");
  EXPECT_EQ(requests.value(99), "32 01");
  ASSERT_GE(h.progress.size(), 2u);
  const TransferProgress& beforeHiding = h.progress[h.progress.size() - 2];
  EXPECT_EQ(beforeHiding.stored, 60);
  EXPECT_EQ(beforeHiding.done, 50);
  EXPECT_EQ(beforeHiding.traces, 50);
  ASSERT_EQ(h.summaries.size(), 1u);
  EXPECT_EQ(uploadAllSummaryMessage(h.summaries[0], Language::English),
            "Uploaded 50 of 60 stored traces (at most 50 per upload)");
}

TEST(UploadIntegrationTest, JunkBeforeTheSyncByteIsSkipped) {
  SimProcess sim({"--stored", "2", "--garbage", "300", "--range", "4", "--seed", "9"});
  LinkHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  h.controller.uploadAll();
  ASSERT_TRUE(h.waitForEnd());
  EXPECT_EQ(sim.requests(), (QStringList{"01 0F", "01 01", "01 02", "02 0F", "02 01", "02 02"}));
  expectFilesMatch(h, sim::SimInstrument::generated(9, 2, true, 4), 2);
}

TEST(UploadIntegrationTest, SilentInstrumentTimesOut) {
  SimProcess sim({"--range", "4", "--silent-after", "2"});
  LinkHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  h.controller.setReplyTimeout(std::chrono::milliseconds(300));
  h.controller.uploadCurrent();
  ASSERT_TRUE(h.waitForEnd());
  ASSERT_EQ(h.failures.size(), 1);
  EXPECT_EQ(h.failures[0].toStdString(),
            "Upload stopped: current trace, block 2 did not arrive within 0.3 s");
  EXPECT_TRUE(h.decodedEventCounts.empty());
  EXPECT_EQ(h.dataPresent, 0);
  EXPECT_EQ(h.progress.back().phase, ProgressPhase::Idle);
  // Pressing the button again starts over from the header.
  h.controller.uploadCurrent();
  ASSERT_TRUE(h.waitForEnd());
  EXPECT_EQ(sim.requests(), (QStringList{"AA 0F", "AA 01", "AA 02", "AA 0F"}));
}

// Waits, with the event loop running, until the transfer holds part of a data block.
bool waitMidBlock(LinkHarness& h) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 60000) {
    const BlockTransfer& t = h.controller.transfer();
    if (t.phase() == TransferPhase::AwaitingData && t.pendingBlockBytes() > 0) return true;
    QTest::qWait(5);
  }
  return false;
}

TEST(UploadIntegrationTest, DisconnectMidBlockAbandonsAndLeavesTheRecordAlone) {
  SimProcess sim({"--range", "4", "--line-rate"});
  LinkHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  QSignalSpy ended(&h.controller, &UploadController::transferEnded);
  h.controller.uploadCurrent();
  ASSERT_TRUE(waitMidBlock(h));
  // The disconnect button: abandon, then close the port. The current trace has no
  // Upload All summary to tell.
  const AbandonedUpload abandoned = h.controller.abandon();
  EXPECT_TRUE(abandoned);
  EXPECT_FALSE(abandoned.summary);
  h.link.close();
  EXPECT_EQ(ended.count(), 1);
  EXPECT_FALSE(h.controller.busy());
  EXPECT_EQ(h.progress.back().phase, ProgressPhase::Idle);
  EXPECT_TRUE(h.decodedEventCounts.empty());
  EXPECT_EQ(h.dataPresent, 0);

  // Without a port an upload leaves the record as it is and says why.
  const auto before = h.record->words;
  h.controller.uploadCurrent();
  EXPECT_FALSE(h.controller.busy());
  EXPECT_TRUE(h.record->words == before);
  ASSERT_EQ(h.failures.size(), 1);
  EXPECT_EQ(h.failures[0].toStdString(), "Upload: the port is not connected");
  QTest::qWait(100);
  EXPECT_TRUE(h.record->words == before);
}

// Whether the port reports the hang-up or the reply limit runs out first, the transfer
// ends cleanly and says where it stopped.
TEST(UploadIntegrationTest, InstrumentGoneMidBlockEndsTheTransfer) {
  SimProcess sim({"--range", "4", "--line-rate"});
  LinkHarness h;
  ASSERT_TRUE(h.connectTo(sim));
  h.controller.setReplyTimeout(std::chrono::milliseconds(1500));
  h.controller.uploadCurrent();
  ASSERT_TRUE(waitMidBlock(h));
  sim.stop();
  ASSERT_TRUE(h.waitForEnd(20000));
  ASSERT_EQ(h.failures.size(), 1);
  EXPECT_TRUE(h.failures[0].contains("current trace, block 1")) << h.failures[0].toStdString();
  EXPECT_TRUE(h.decodedEventCounts.empty());
  EXPECT_EQ(h.dataPresent, 0);
  EXPECT_EQ(h.progress.back().phase, ProgressPhase::Idle);
}

}  // namespace
}  // namespace tracelink
