// The upload controller over an in-process line: the cases of the pseudo-terminal
// integration tests (split replies, silence, a lost line mid-block, failed saves, the
// 50-trace limit), in milliseconds.
#include "link/upload_controller.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <memory>

#include "link/fake_line.h"
#include "link/transfer_messages.h"

namespace tracelink {
namespace {

using Requests = std::vector<std::string>;

// Runs the event loop until the condition holds. Without the pauses QTest::qWaitFor makes
// between its rounds: every read of the fake line is an event.
template <class Condition>
bool waitUntil(Condition done, int capMs = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > capMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return true;
}

struct Rig {
  FakeLine line;
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow view;
  PlainTraceSink sink{*record, header, view};
  UploadController controller{line, sink, Language::English};
  std::vector<std::pair<int, int>> saves;
  std::vector<TransferProgress> progress;
  std::vector<TransferFailure> failures;
  QStringList messages;
  std::vector<UploadAllSummary> summaries;
  int decodes = 0, noDatas = 0, present = 0, lists = 0, ended = 0;
  std::optional<Error> saveError;

  explicit Rig(const FakeInstrument& inst) : line(inst) {
    QObject::connect(&controller, &UploadController::decodeRecord, [this] { ++decodes; });
    QObject::connect(&controller, &UploadController::showNoDatas, [this] { ++noDatas; });
    QObject::connect(&controller, &UploadController::dataPresent, [this] { ++present; });
    QObject::connect(&controller, &UploadController::listSavedTraces, [this] { ++lists; });
    QObject::connect(&controller, &UploadController::transferEnded, [this] { ++ended; });
    QObject::connect(&controller, &UploadController::progressChanged,
                     [this](const TransferProgress& p) { progress.push_back(p); });
    QObject::connect(&controller, &UploadController::failed,
                     [this](const TransferFailure& f) { failures.push_back(f); });
    QObject::connect(&controller, &UploadController::transferFailed,
                     [this](const QString& m) { messages << m; });
    QObject::connect(&controller, &UploadController::uploadAllEnded,
                     [this](const UploadAllSummary& s) { summaries.push_back(s); });
    controller.setAutoSaveTrace([this](int trace, int blocks) -> Status {
      saves.emplace_back(trace, blocks);
      if (saveError) return *saveError;
      return {};
    });
    controller.setReplyTimeout(std::chrono::milliseconds(3000));
  }

  bool finish() {
    return waitUntil([this] { return !controller.busy(); });
  }
};

struct Reads {
  const char* name;
  std::size_t chunk;
  unsigned seed;  // 0: every read as large as it can be
};
constexpr Reads kReads[] = {{"whole replies", 100000, 0},
                            {"one reply a read", 8001, 0},
                            {"random up to 3000", 3000, 5},
                            {"random up to 200", 200, 6}};

void configure(FakeLine& line, const Reads& r) {
  line.chunk = r.chunk;
  if (r.seed != 0) line.randomReads(r.seed);
}

TEST(UploadControllerTest, RequestSequencesInEveryCutOfTheReplies) {
  struct Case {
    const char* name;
    int rangeN;
    int stored;
    bool haveCurrent;
    bool current;
    Requests requests;
    int noDatas;
    int decodes;
  };
  const Case cases[] = {
      {"current trace, range 4", 4, 0, true, true, {"AA 0F", "AA 01", "AA 02"}, 0, 1},
      {"current trace, range 7",
       7,
       0,
       true,
       true,
       {"AA 0F", "AA 01", "AA 02", "AA 03", "AA 04", "AA 05", "AA 06", "AA 07", "AA 08", "AA 09",
        "AA 0A", "AA 0B", "AA 0C"},
       0,
       1},
      {"two stored, range 3", 3, 2, true, false, {"01 0F", "01 01", "02 0F", "02 01"}, 0, 2},
      {"no current trace", 4, 0, false, true, {"AA 0F"}, 1, 0},
      {"nothing stored", 4, 0, false, false, {"01 0F"}, 1, 0},
  };
  for (const Case& c : cases) {
    for (const Reads& r : kReads) {
      SCOPED_TRACE(testing::Message() << c.name << ", " << r.name);
      FakeInstrument inst;
      if (c.haveCurrent) inst.current = makeWireTrace(c.rangeN, c.stored, true, 0);
      for (int i = 1; i <= c.stored; ++i)
        inst.stored[i] = makeWireTrace(c.rangeN, c.stored, c.haveCurrent, i);
      Rig rig(inst);
      configure(rig.line, r);
      rig.line.junk = {0x00, 0x13};
      c.current ? rig.controller.uploadCurrent() : rig.controller.uploadAll();
      ASSERT_TRUE(rig.finish());
      EXPECT_EQ(rig.line.requests, c.requests);
      EXPECT_EQ(rig.noDatas, c.noDatas);
      EXPECT_EQ(rig.decodes, c.decodes);
      EXPECT_EQ(rig.present, c.current && c.decodes > 0 ? 1 : 0);
      EXPECT_EQ(static_cast<int>(rig.saves.size()), c.current ? 0 : c.decodes);
      EXPECT_TRUE(rig.messages.isEmpty()) << rig.messages.join("; ").toStdString();
      EXPECT_EQ(rig.ended, 1);
      // The record holds the last trace's first data block.
      if (c.decodes > 0) {
        const WireTrace& t = c.current ? *inst.current : inst.stored.at(c.stored);
        EXPECT_EQ((*rig.record)[0], t.blocks[0][0] - 800);
      }
    }
  }
}

TEST(UploadControllerTest, SixtyStoredStopAtFiftyAndSaySo) {
  FakeInstrument inst;
  for (int i = 1; i <= 60; ++i) inst.stored[i] = makeWireTrace(0, 60, false, i);
  Rig rig(inst);
  rig.controller.uploadAll();
  ASSERT_TRUE(rig.finish());
  EXPECT_EQ(rig.saves.size(), 50u);
  EXPECT_EQ(rig.line.requests.size(), 100u);
  EXPECT_EQ(rig.line.requests.back(), "32 01");
  ASSERT_EQ(rig.summaries.size(), 1u);
  EXPECT_EQ(uploadAllSummaryMessage(rig.summaries[0], Language::English),
            "Uploaded 50 of 60 stored traces (at most 50 per upload)");
  EXPECT_TRUE(rig.failures.empty());
}

TEST(UploadControllerTest, SilentInstrumentTimesOutAndAPressStartsOver) {
  FakeInstrument inst;
  inst.current = makeWireTrace(4, 0, true, 0);
  Rig rig(inst);
  rig.controller.setReplyTimeout(std::chrono::milliseconds(100));
  rig.line.silentAfter = 2;
  rig.controller.uploadCurrent();
  ASSERT_TRUE(rig.finish());
  ASSERT_EQ(rig.messages.size(), 1);
  EXPECT_EQ(rig.messages[0].toStdString(),
            "Upload stopped: current trace, block 2 did not arrive within 0.1 s");
  ASSERT_EQ(rig.failures.size(), 1u);
  EXPECT_EQ(rig.failures[0].reason, FailureReason::TimedOut);
  EXPECT_EQ(rig.decodes, 0);
  EXPECT_EQ(rig.present, 0);
  EXPECT_EQ(rig.progress.back().phase, ProgressPhase::Idle);
  EXPECT_EQ(rig.ended, 1);
  rig.controller.uploadCurrent();
  ASSERT_TRUE(rig.finish());
  EXPECT_EQ(rig.line.requests, (Requests{"AA 0F", "AA 01", "AA 02", "AA 0F"}));
}

TEST(UploadControllerTest, LineLostMidBlockEndsTheTransferAndSaysWhere) {
  for (const Language language : {Language::English, Language::Chinese}) {
    FakeInstrument inst;
    inst.current = makeWireTrace(4, 0, true, 0);
    FakeLine line(inst);
    auto record = std::make_unique<TraceRecord>();
    HeaderState header;
    ViewWindow view;
    PlainTraceSink sink(*record, header, view);
    UploadController controller(line, sink, language);
    QStringList messages;
    std::vector<TransferFailure> failures;
    QObject::connect(&controller, &UploadController::transferFailed,
                     [&](const QString& m) { messages << m; });
    QObject::connect(&controller, &UploadController::failed,
                     [&](const TransferFailure& f) { failures.push_back(f); });
    int decodes = 0;
    QObject::connect(&controller, &UploadController::decodeRecord, [&] { ++decodes; });
    line.chunk = 500;
    line.loseAt = 2;
    controller.uploadCurrent();
    ASSERT_TRUE(waitUntil([&] { return !controller.busy(); }));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].reason, FailureReason::PortLost);
    EXPECT_EQ(failures[0].blockNo, 1);
    ASSERT_TRUE(failures[0].link.has_value());
    EXPECT_EQ(failures[0].link->code, LinkErrorCode::DeviceGone);
    EXPECT_EQ(messages.value(0).toStdString(),
              language == Language::English
                  ? "Upload stopped at current trace, block 1: port /dev/fake was lost: the "
                    "device is gone (Input/output error)"
                  : "上传中止于 当前曲线, 数据块 1：端口 /dev/fake 已丢失：设备已断开");
    EXPECT_EQ(decodes, 0);
    EXPECT_EQ(record->words[0], 0);
  }
}

TEST(UploadControllerTest, AbandonMidBlockTellsWhatUploadAllSaved) {
  FakeInstrument inst;
  for (int i = 1; i <= 5; ++i) inst.stored[i] = makeWireTrace(0, 5, false, i);
  Rig rig(inst);
  rig.line.chunk = 700;
  rig.controller.uploadAll();
  // Wait until trace 3's data block is partly in.
  ASSERT_TRUE(waitUntil([&] {
    const BlockTransfer& t = rig.controller.transfer();
    return rig.saves.size() == 2 && t.phase() == TransferPhase::AwaitingData &&
           t.pendingBlockBytes() > 0;
  }));
  const AbandonedUpload abandoned = rig.controller.abandon();
  EXPECT_TRUE(abandoned);
  EXPECT_FALSE(rig.controller.busy());
  EXPECT_EQ(rig.ended, 1);
  // The caller gets the summary back, and it is announced as every Upload All end is.
  ASSERT_TRUE(abandoned.summary);
  EXPECT_EQ(uploadAllSummaryMessage(*abandoned.summary, Language::English),
            "Upload All abandoned: 2 of 5 stored traces saved");
  ASSERT_EQ(rig.summaries.size(), 1u);
  EXPECT_EQ(rig.summaries[0], *abandoned.summary);
  // Nothing runs any more: nothing is abandoned.
  const AbandonedUpload again = rig.controller.abandon();
  EXPECT_FALSE(again);
  EXPECT_FALSE(again.summary);
  EXPECT_EQ(rig.ended, 1);
  EXPECT_FALSE(rig.progress.back().series);
  // The rest of the abandoned reply changes nothing.
  const auto before = rig.record->words;
  QTest::qWait(20);
  EXPECT_TRUE(rig.record->words == before);
  EXPECT_EQ(rig.saves.size(), 2u);
}

TEST(UploadControllerTest, FailedSaveAndNoPortAreTold) {
  FakeInstrument inst;
  for (int i = 1; i <= 3; ++i) inst.stored[i] = makeWireTrace(0, 3, false, i);
  Rig rig(inst);
  rig.saveError = Error{"save/01_x.otdr: Permission denied"};
  rig.controller.uploadAll();
  ASSERT_TRUE(rig.finish());
  EXPECT_EQ(rig.line.requests, (Requests{"01 0F", "01 01"}));
  ASSERT_EQ(rig.messages.size(), 1);
  EXPECT_EQ(rig.messages[0].toStdString(),
            "Upload stopped: trace 1 could not be saved: save/01_x.otdr: Permission denied");
  EXPECT_EQ(rig.lists, 0);

  // Without an open line nothing is written and the record is left alone.
  rig.line.close();
  const auto before = rig.record->words;
  rig.controller.uploadCurrent();
  EXPECT_FALSE(rig.controller.busy());
  EXPECT_TRUE(rig.record->words == before);
  EXPECT_EQ(rig.messages.last().toStdString(), "Upload: the port is not connected");
  EXPECT_EQ(rig.failures.back().reason, FailureReason::NotConnected);
  EXPECT_EQ(rig.line.requests.size(), 2u);
}

// A write the line refuses ends the transfer at once, naming the link's reason.
TEST(UploadControllerTest, RefusedWriteEndsTheTransfer) {
  FakeInstrument inst;
  inst.current = makeWireTrace(4, 0, true, 0);
  Rig rig(inst);
  rig.line.refuseAfter = 1;
  rig.controller.uploadCurrent();
  ASSERT_TRUE(rig.finish());
  EXPECT_EQ(rig.line.requests, (Requests{"AA 0F"}));
  ASSERT_EQ(rig.failures.size(), 1u);
  EXPECT_EQ(rig.failures[0].reason, FailureReason::PortLost);
  EXPECT_EQ(rig.messages.value(0).toStdString(),
            "Upload stopped at current trace, block 1: port /dev/fake: the bytes were not taken");
  EXPECT_EQ(rig.decodes, 0);
  EXPECT_EQ(rig.progress.back().phase, ProgressPhase::Idle);
  EXPECT_EQ(rig.ended, 1);
}

}  // namespace
}  // namespace tracelink
