#include "session/trace_session.h"

#include <gtest/gtest.h>

#include <cmath>

#include <QCoreApplication>
#include <QSignalSpy>
#include <string>
#include <variant>
#include <vector>

#include "files/record_file.h"
#include "files/record_text.h"
#include "files/test_files.h"
#include "link/block_transfer.h"
#include "link/fake_instrument.h"

namespace tracelink {
namespace {

using test::TempFolder;
using test::writeFile;

void ensureCoreApp() {
  static int argc = 1;
  static char name[] = "session_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// Every signal the session sends, by name, in order.
struct SignalLog {
  explicit SignalLog(TraceSession& s) {
    QObject::connect(&s, &TraceSession::traceChanged, [this] { names.push_back("trace"); });
    QObject::connect(&s, &TraceSession::traceCleared, [this] { names.push_back("cleared"); });
    QObject::connect(&s, &TraceSession::viewChanged, [this] { names.push_back("view"); });
    QObject::connect(&s, &TraceSession::colourSchemeChanged,
                     [this](std::int16_t m) { names.push_back("colour " + std::to_string(m)); });
    QObject::connect(&s, &TraceSession::scaleTextChanged,
                     [this](const QString& t) { names.push_back("scale " + t.toStdString()); });
    QObject::connect(&s, &TraceSession::dataPresentChanged,
                     [this](bool p) { names.push_back(p ? "present" : "absent"); });
  }
  std::vector<std::string> names;
};

// A 4000-sample trace (range index 3) with one event, written as a file.
std::unique_ptr<TraceRecord> smallTrace() {
  auto r = std::make_unique<TraceRecord>();
  for (int s = 0; s < 4000; ++s) (*r)[static_cast<std::size_t>(s)] = 900 - s / 10;
  (*r)[slot::kRangeN] = 3;
  (*r)[slot::kStartPoint] = 0;  // counts as 1 once a curve can be drawn
  (*r)[slot::kRangeLine] = 3000;
  (*r)[slot::kEventCount] = 1;
  (*r)[slot::kEventList] = 500;
  (*r)[slot::kEventList + 1] = 2;
  (*r)[slot::kEventList + 2] = 700;
  (*r)[slot::kEventList + 3] = 650;
  return r;
}

class TraceSessionTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureCoreApp(); }
  std::filesystem::path writeTrace(const TraceRecord& r, const std::string& name) {
    TraceRecord copy = r;
    const std::filesystem::path p = folder / name;
    EXPECT_TRUE(WriteRecordFile(p, BuildRecordText(copy, 1)).ok());
    return p;
  }
  TempFolder folder;
  TraceSession session{Language::English, "."};
};

TEST_F(TraceSessionTest, StartsWithTheStartUpWindowAndNoData) {
  EXPECT_EQ(session.view().ViewStart, 0);
  EXPECT_EQ(session.view().ViewEnd, 10000);
  EXPECT_EQ(session.scaleText(), "1021m/div     2dB/div");
  EXPECT_FALSE(session.dataPresent());
  EXPECT_EQ(session.colourScheme(), kDarkScheme);
  EXPECT_EQ(session.texts().eventText, session.texts().eventHeader);
  EXPECT_EQ(session.source().kind, TraceSource::Kind::None);
}

TEST_F(TraceSessionTest, LoadingAFileDecodesItAndSaysSoOnce) {
  const auto path = writeTrace(*smallTrace(), "a.otdr");
  SignalLog log(session);
  ASSERT_TRUE(session.loadFile(path).ok());
  EXPECT_EQ(log.names.back(), "trace");
  EXPECT_EQ(std::count(log.names.begin(), log.names.end(), "trace"), 1);
  EXPECT_EQ(session.source().kind, TraceSource::Kind::File);
  EXPECT_EQ(session.source().path, path);
  EXPECT_EQ(session.source().blocks, 1);
  EXPECT_EQ(session.header().StartPoint, 1);  // decided where the header is applied
  EXPECT_EQ(session.view().FullRangeEnd, 4000);
  EXPECT_EQ(session.decoded().EventCount, 1);
  EXPECT_NE(session.texts().eventText.find("ATT"), std::string::npos);
  EXPECT_EQ(session.savedBlockCount(9), 1);  // the file's own count, not the transfer's
  EXPECT_FALSE(session.dataPresent());       // a load never makes the trace savable by itself
}

TEST_F(TraceSessionTest, ABadFileChangesNothingAndSendsNothing) {
  ASSERT_TRUE(session.loadFile(writeTrace(*smallTrace(), "good.otdr")).ok());
  const auto record = std::make_unique<TraceRecord>(session.record());
  const HeaderState header = session.header();
  const ViewWindow view = session.view();
  const DecodedTexts texts = session.texts();
  const std::string bad[] = {"", "1,2,x,", "3,"};
  for (const std::string& content : bad) {
    writeFile(folder / "bad.otdr", content);
    SignalLog log(session);
    EXPECT_FALSE(session.loadFile(folder / "bad.otdr").ok()) << content;
    EXPECT_FALSE(session.loadFile(folder / "missing.otdr").ok());
    EXPECT_TRUE(log.names.empty()) << content;
    EXPECT_EQ(session.record().words, record->words) << content;
    EXPECT_EQ(session.header().BlocksPerTrace, header.BlocksPerTrace);
    EXPECT_EQ(session.view().ViewEnd, view.ViewEnd);
    EXPECT_EQ(session.texts().label1, texts.label1);
    EXPECT_EQ(session.source().path.filename(), "good.otdr");
  }
}

// A trace loaded elsewhere (the command line's way) shows exactly as the file loaded here.
TEST_F(TraceSessionTest, ATraceLoadedElsewhereShowsAsItsFile) {
  const auto path = writeTrace(*smallTrace(), "a.otdr");
  TraceSession loaded(Language::English, ".");
  ASSERT_TRUE(loaded.loadFile(path).ok());
  Result<LoadedTrace> trace = LoadTraceFile(path);
  ASSERT_TRUE(trace.ok());
  SignalLog log(session);
  session.showLoadedTrace(std::move(*trace), path);
  EXPECT_EQ(std::count(log.names.begin(), log.names.end(), "trace"), 1);
  EXPECT_EQ(session.record().words, loaded.record().words);
  EXPECT_EQ(session.header().StartPoint, loaded.header().StartPoint);
  EXPECT_EQ(session.header().BlocksPerTrace, loaded.header().BlocksPerTrace);
  EXPECT_EQ(session.view().FullRangeEnd, loaded.view().FullRangeEnd);
  EXPECT_EQ(session.texts().eventText, loaded.texts().eventText);
  EXPECT_EQ(session.scaleText(), loaded.scaleText());
  EXPECT_EQ(session.source().kind, TraceSource::Kind::File);
  EXPECT_EQ(session.source().path, path);
  EXPECT_EQ(session.savedBlockCount(9), 1);
}

// When an upload completed belongs to its trace: a new request forgets it, a completed one
// keeps it, and a file has none.
TEST_F(TraceSessionTest, TheUploadTimeGoesWithTheTrace) {
  session.clearTrace();
  EXPECT_EQ(session.source().kind, TraceSource::Kind::Upload);
  EXPECT_FALSE(session.source().uploadedAt);
  session.completeTrace(1765000000);
  EXPECT_EQ(session.source().uploadedAt, 1765000000);
  session.clearTrace();
  EXPECT_FALSE(session.source().uploadedAt);  // the next trace is not complete yet
  session.completeTrace(1765000600);
  ASSERT_TRUE(session.loadFile(writeTrace(*smallTrace(), "a.otdr")).ok());
  EXPECT_FALSE(session.source().uploadedAt);
}

TEST_F(TraceSessionTest, ViewOperationsMoveTheWindowAndAnnounceIt) {
  ASSERT_TRUE(session.loadFile(writeTrace(*smallTrace(), "a.otdr")).ok());
  SignalLog log(session);
  // 100 m or less is no zoom: nothing changes, nothing is sent.
  EXPECT_FALSE(session.zoomTo(1000, 1100));
  EXPECT_FALSE(session.zoomTo(1100, 1000));
  EXPECT_TRUE(log.names.empty());
  EXPECT_EQ(session.view().ViewEnd, 4000);

  ASSERT_TRUE(session.zoomTo(1000, 2000));
  EXPECT_EQ(session.view().ViewStart, MetresToSample(1000));
  EXPECT_EQ(session.view().ViewEnd, MetresToSample(2000));
  EXPECT_EQ(log.names.back(), "view");
  const ViewWindow zoomed = session.view();
  EXPECT_TRUE(session.panTowardEnd());
  EXPECT_GT(session.view().ViewStart, zoomed.ViewStart);
  EXPECT_TRUE(session.panTowardStart());
  EXPECT_EQ(session.view().ViewStart, zoomed.ViewStart);
  EXPECT_TRUE(session.fullView());
  EXPECT_EQ(session.view().ViewStart, 0);
  EXPECT_EQ(session.view().ViewEnd, 4000);
  EXPECT_EQ(std::count(log.names.begin(), log.names.end(), "view"), 4);
  // The grid of a narrower window is finer, and its scale text follows.
  EXPECT_NE(std::find(log.names.begin(), log.names.end(), "scale 100m/div     2dB/div"),
            log.names.end());
}

TEST_F(TraceSessionTest, TheLevelZoomIsTheTracesUntilFullViewOrAnotherTrace) {
  SignalLog log(session);
  // Before any trace the levels may be zoomed too (the empty grid), and Home undoes it.
  EXPECT_FALSE(session.setLevelZoom({5, 5}));
  EXPECT_FALSE(session.setLevelZoom({0, std::nan("")}));
  EXPECT_TRUE(log.names.empty());
  ASSERT_TRUE(session.setLevelZoom({2, 6}));
  EXPECT_FALSE(session.setLevelZoom({2, 6}));  // the same again changes nothing
  EXPECT_TRUE(session.fullView());
  EXPECT_FALSE(session.levelZoom().has_value());
  EXPECT_EQ(std::count(log.names.begin(), log.names.end(), "view"), 2);

  ASSERT_TRUE(session.loadFile(writeTrace(*smallTrace(), "a.otdr")).ok());
  ASSERT_TRUE(session.zoomTo(1000, 2000));
  const ViewWindow zoomed = session.view();
  ASSERT_TRUE(session.setLevelZoom({1.5, 4.25}));
  EXPECT_EQ(session.levelZoom(), (LevelZoom{1.5, 4.25}));
  // The levels stay zoomed while the distances move; the window stays as the levels zoom.
  EXPECT_EQ(session.view().ViewStart, zoomed.ViewStart);
  EXPECT_TRUE(session.panTowardEnd());
  EXPECT_EQ(session.levelZoom(), (LevelZoom{1.5, 4.25}));
  EXPECT_TRUE(session.fullLevelRange());
  EXPECT_FALSE(session.fullLevelRange());
  EXPECT_FALSE(session.levelZoom().has_value());
  EXPECT_GT(session.view().ViewStart, zoomed.ViewStart);

  ASSERT_TRUE(session.setLevelZoom({1.5, 4.25}));
  EXPECT_TRUE(session.fullView());
  EXPECT_FALSE(session.levelZoom().has_value());
  EXPECT_EQ(session.view().ViewStart, 0);
  // Another trace starts at the full level range.
  ASSERT_TRUE(session.setLevelZoom({1.5, 4.25}));
  ASSERT_TRUE(session.loadFile(writeTrace(*smallTrace(), "b.otdr")).ok());
  EXPECT_FALSE(session.levelZoom().has_value());
  ASSERT_TRUE(session.setLevelZoom({1.5, 4.25}));
  session.clearTrace();
  EXPECT_FALSE(session.levelZoom().has_value());
}

TEST_F(TraceSessionTest, ViewOperationsBeforeAnyTraceAreRefused) {
  SignalLog log(session);
  EXPECT_FALSE(session.panTowardStart());
  EXPECT_FALSE(session.panTowardEnd());
  EXPECT_FALSE(session.fullView());
  EXPECT_TRUE(log.names.empty());
}

TEST_F(TraceSessionTest, ColourSchemeToggles) {
  SignalLog log(session);
  session.toggleColourScheme();
  session.toggleColourScheme();
  session.setColourScheme(kDarkScheme);  // no change, no signal
  EXPECT_EQ(log.names, (std::vector<std::string>{"colour 2", "colour 1"}));
}

TEST_F(TraceSessionTest, AHeaderWithNoRangeNeverLeavesAnEmptyWindow) {
  auto r = smallTrace();
  (*r)[slot::kRangeN] = 9;
  storeWholeRecord(session, *r);
  EXPECT_GT(session.view().ViewEnd, session.view().ViewStart);
}

// The transfer's actions applied to the session as the window applies them.
void runActions(TraceSession& session, BlockTransfer& transfer, const FakeInstrument& instrument,
                TransferActions actions, std::vector<std::string>& order) {
  while (!actions.empty()) {
    TransferActions next;
    for (const TransferAction& a : actions) {
      if (const auto* send = std::get_if<action::Send>(&a)) {
        const auto reply = instrument.reply(send->request[0], send->request[1]);
        for (const TransferAction& b : transfer.feed(reply)) next.push_back(b);
      } else if (std::holds_alternative<action::Decode>(a)) {
        order.push_back("decode");
        session.completeTrace();
      } else if (std::holds_alternative<action::DataPresent>(a)) {
        order.push_back("data present");
        session.setDataPresent();
      } else if (std::holds_alternative<action::NextTrace>(a)) {
        for (const TransferAction& b : transfer.RequestNextTrace()) next.push_back(b);
      }
    }
    actions = std::move(next);
  }
}

TEST_F(TraceSessionTest, ACompletedUploadIsDecodedBeforeItBecomesSavable) {
  FakeInstrument instrument;
  instrument.current = makeWireTrace(7, 0, true, 3);
  BlockTransfer transfer(session);
  SignalLog log(session);
  std::vector<std::string> order;
  runActions(session, transfer, instrument, transfer.startUpload(kCurrentTraceSelect), order);
  EXPECT_EQ(order, (std::vector<std::string>{"decode", "data present"}));
  const auto trace = std::find(log.names.begin(), log.names.end(), "trace");
  const auto present = std::find(log.names.begin(), log.names.end(), "present");
  ASSERT_NE(trace, log.names.end());
  ASSERT_NE(present, log.names.end());
  EXPECT_LT(trace, present);
  EXPECT_EQ(log.names.front(), "cleared");
  EXPECT_TRUE(session.dataPresent());
  EXPECT_EQ(session.source().kind, TraceSource::Kind::Upload);
  EXPECT_EQ(session.savedBlockCount(transfer.BlockNo()), 13);
  EXPECT_EQ(session.view().FullRangeEnd, 48000);
  EXPECT_EQ(session.record()[0], 800 + (3 * 7919) % 1000 - 800);
  // A save's text carries the block count and is what the session keeps as RecordText.
  const std::string& text = session.buildRecordText(transfer.BlockNo());
  EXPECT_EQ(&text, &session.recordText());
  EXPECT_EQ(text.substr(0, text.find(',')), std::to_string(13 ^ kWordMask));
  // The next request voids it.
  session.clearTrace();
  EXPECT_TRUE(session.recordText().empty());
}

}  // namespace
}  // namespace tracelink
