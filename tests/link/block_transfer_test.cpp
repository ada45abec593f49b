#include "link/block_transfer.h"

#include <gtest/gtest.h>

#include <numeric>

#include "link/conversation.h"

namespace tracelink {
namespace {

using Requests = std::vector<std::string>;

struct SequenceCase {
  const char* name;
  bool current;      // upload the current trace (else all stored)
  int rangeN;        // of every trace
  int stored;        // traces stored in the instrument
  bool haveCurrent;  // the instrument holds a current trace
  Requests requests;
  bool noDatas;
};

TEST(BlockTransferTest, RequestSequences) {
  const SequenceCase cases[] = {
      {"current, range 4", true, 4, 0, true, {"AA 0F", "AA 01", "AA 02"}, false},
      {"current, range 7",
       true,
       7,
       0,
       true,
       {"AA 0F", "AA 01", "AA 02", "AA 03", "AA 04", "AA 05", "AA 06", "AA 07", "AA 08", "AA 09",
        "AA 0A", "AA 0B", "AA 0C"},
       false},
      {"current, range 0", true, 0, 0, true, {"AA 0F", "AA 01"}, false},
      {"current, range 5", true, 5, 0, true, {"AA 0F", "AA 01", "AA 02", "AA 03"}, false},
      {"two stored", false, 3, 2, false, {"01 0F", "01 01", "02 0F", "02 01"}, false},
      {"no current trace", true, 4, 2, false, {"AA 0F"}, true},
      {"nothing stored", false, 4, 0, false, {"01 0F"}, true},
  };
  for (const SequenceCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeInstrument inst;
    if (c.haveCurrent) inst.current = makeWireTrace(c.rangeN, c.stored, true, 0);
    for (int i = 1; i <= c.stored; ++i)
      inst.stored[i] = makeWireTrace(c.rangeN, c.stored, c.haveCurrent, i);
    Conversation conv(inst);
    conv.upload(c.current ? kCurrentTraceSelect : kFirstStoredSelect);
    EXPECT_EQ(conv.requests, c.requests);
    EXPECT_EQ(std::count(conv.log.begin(), conv.log.end(), "No datas!"), c.noDatas ? 1 : 0);
    EXPECT_EQ(std::count(conv.log.begin(), conv.log.end(), "decode"),
              c.noDatas ? 0 : (c.current ? 1 : c.stored));
    EXPECT_FALSE(conv.transfer.busy());
  }
}

TEST(BlockTransferTest, WordsAreUnmaskedAndPlaced) {
  FakeInstrument inst;
  WireTrace t = makeWireTrace(4, 0, true, 0);
  // Data words on the line: the offset is taken off and never goes below 0.
  const std::pair<std::uint16_t, std::int32_t> samples[] = {{0, 0},   {799, 0},     {800, 0},
                                                            {801, 1}, {1800, 1000}, {65535, 64735}};
  for (std::size_t i = 0; i < std::size(samples); ++i) t.blocks[1][i] = samples[i].first;
  t.header[100] = 0x0000;  // header words are raw, no offset
  t.header[101] = 0xFFFF;
  t.header[102] = 500;
  inst.current = t;
  Conversation conv(inst);
  conv.record->words[60009] = 9;
  conv.upload(kCurrentTraceSelect);

  const TraceRecord& r = *conv.record;
  for (std::size_t i = 0; i < std::size(samples); ++i)
    EXPECT_EQ(r[4000 + i], samples[i].second) << "word " << samples[i].first;
  EXPECT_EQ(r[0], t.blocks[0][0] - 800);
  EXPECT_EQ(r[3999], t.blocks[0][3999] - 800);
  EXPECT_EQ(r[56100], 0);
  EXPECT_EQ(r[56101], 0xFFFF);
  EXPECT_EQ(r[56102], 500);
  EXPECT_EQ(r[59999], t.header[3999]);
  // Blocks the trace does not have were cleared by the request; the spare tail beyond
  // position 60009 is never touched.
  EXPECT_EQ(r[8000], 0);
  EXPECT_EQ(r[55999], 0);
  EXPECT_EQ(r[60009], 0);
  EXPECT_EQ(r[60010], 7);
  EXPECT_EQ(r[60099], 7);
  // The header was applied.
  EXPECT_EQ(conv.header.BlocksPerTrace, 2);
  EXPECT_EQ(conv.header.StartPoint, 10);
  EXPECT_EQ(conv.view.ViewEnd, 8000);
}

// Every way of cutting the line into reads, with or without junk ahead of the sync
// bytes, gives the same conversation and the same record.
TEST(BlockTransferTest, PiecesOfAnySizeGiveTheSameResult) {
  FakeInstrument inst;
  inst.current = makeWireTrace(5, 3, true, 0);
  for (int i = 1; i <= 3; ++i) inst.stored[i] = makeWireTrace(i + 3, 3, true, i);
  for (const std::uint8_t select : {kCurrentTraceSelect, kFirstStoredSelect}) {
    Conversation bulk(inst, 8001);
    bulk.upload(select);
    ASSERT_FALSE(bulk.decodedRecords.empty());
    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4000}, std::size_t{7999},
          std::size_t{8000}, Conversation::kWhole}) {
      for (const bool junk : {false, true}) {
        SCOPED_TRACE(testing::Message() << "select " << int{select} << " chunk " << chunk
                                        << (junk ? " with junk" : ""));
        Conversation conv(inst, chunk);
        if (junk) conv.junk = {0x00, 0xAA, 0x54, 0x56, 0xFF};
        conv.upload(select);
        EXPECT_EQ(conv.log, bulk.log);
        EXPECT_EQ(conv.progress, bulk.progress);
        EXPECT_EQ(conv.decodedRecords, bulk.decodedRecords);
        EXPECT_TRUE(conv.record->words == bulk.record->words);
      }
    }
  }
}

// How a line may cut the stream into reads: the whole line at once, one byte at a time,
// every reply in one read, and random pieces.
struct Chunking {
  const char* name;
  std::size_t chunk;
  unsigned seed;
};
constexpr Chunking kChunkings[] = {
    {"whole", Conversation::kWhole, 0}, {"byte by byte", 1, 0},
    {"one reply a read", 8001, 0},      {"random up to 7", 7, 1},
    {"random up to 9000", 9000, 2},     {"random up to 20000", 20000, 3},
};

// Every progress report stays within its own counts.
void expectProgressInRange(const Conversation& conv) {
  for (const TransferProgress& p : conv.progress) {
    if (p.phase == ProgressPhase::Receiving) {
      EXPECT_GE(p.blocks, 1);
    }
    EXPECT_GE(p.block, 0);
    EXPECT_LE(p.block, std::max(p.blocks, 0));
    EXPECT_GE(p.done, 0);
    EXPECT_LE(p.done, std::max(p.stored, 0));
    EXPECT_LE(p.traces, kMaxUploadedTraces);
  }
}

// Bytes after a reply arrived before the next request and so are never part of its reply,
// whichever read they come in. A lone sync byte after the last block of trace 1 used to
// put trace 2's header one byte out of step when it came in a read of its own.
TEST(BlockTransferTest, StrayBytesAfterAReplyAreNeverTakenAsTheNextReply) {
  FakeInstrument inst;
  inst.current = makeWireTrace(4, 3, true, 0);
  for (int i = 1; i <= 3; ++i) inst.stored[i] = makeWireTrace(i + 3, 3, true, i);
  const std::vector<std::uint8_t> trailers[] = {{0x55}, {0x55, 0x00, 0x55}, {0x10, 0x55, 0x20}};
  for (const std::uint8_t select : {kCurrentTraceSelect, kFirstStoredSelect}) {
    Conversation clean(inst);
    clean.upload(select);
    ASSERT_FALSE(clean.decodedRecords.empty());
    ASSERT_TRUE(clean.failures.empty());
    for (const auto& trailer : trailers) {
      for (const Chunking& c : kChunkings) {
        SCOPED_TRACE(testing::Message() << "select " << int{select} << ", " << c.name
                                        << ", trailer of " << trailer.size());
        Conversation conv(inst, c.chunk, c.seed);
        conv.trailer = trailer;
        conv.upload(select);
        EXPECT_EQ(conv.log, clean.log);
        EXPECT_EQ(conv.progress, clean.progress);
        EXPECT_EQ(conv.decodedRecords, clean.decodedRecords);
        EXPECT_TRUE(conv.record->words == clean.record->words);
      }
    }
  }
}

// A header whose range index names no block count: nothing is asked for beyond the
// header, the trace ends with a failure that says so, and no progress bar of maximum 0 is
// ever shown. The same when an earlier trace left a block count behind.
TEST(BlockTransferTest, UnknownBlockCountEndsWithAFailure) {
  for (const int rangeN : {8, 9, 255}) {
    for (const int leftOver : {0, 2}) {
      for (const std::uint8_t select : {kCurrentTraceSelect, kFirstStoredSelect}) {
        FakeInstrument inst;
        inst.current = makeWireTrace(rangeN, 2, true, 0);
        for (int i = 1; i <= 2; ++i) inst.stored[i] = makeWireTrace(rangeN, 2, false, i);
        for (const Chunking& c : kChunkings) {
          SCOPED_TRACE(testing::Message() << "range " << rangeN << ", left over " << leftOver
                                          << ", select " << int{select} << ", " << c.name);
          Conversation conv(inst, c.chunk, c.seed);
          conv.header.BlocksPerTrace = leftOver;
          conv.upload(select);
          const std::string header = select == kCurrentTraceSelect ? "AA 0F" : "01 0F";
          EXPECT_EQ(conv.requests, (Requests{header}));
          ASSERT_EQ(conv.failures.size(), 1u);
          EXPECT_EQ(conv.failures[0].reason, FailureReason::UnknownBlockCount);
          EXPECT_EQ(conv.failures[0].traceSelect, select);
          EXPECT_EQ(conv.failures[0].blockNo, kHeaderBlockNo);
          EXPECT_EQ(conv.failures[0].rangeIndex, rangeN);
          EXPECT_TRUE(conv.decodedRecords.empty());
          EXPECT_TRUE(conv.saves.empty());
          EXPECT_EQ(std::count(conv.log.begin(), conv.log.end(), "present"), 0);
          EXPECT_EQ(conv.header.BlocksPerTrace, leftOver);  // the header was not applied
          for (const TransferProgress& p : conv.progress)
            EXPECT_NE(p.phase, ProgressPhase::Receiving);
          EXPECT_FALSE(conv.transfer.busy());
          expectProgressInRange(conv);
        }
      }
    }
  }
}

// A junk header may claim 971 stored traces: at most 50 are fetched, and that is the
// count the progress names.
TEST(BlockTransferTest, ClaimedCountAboveTheLimitShowsTheCountFetched) {
  FakeInstrument inst;
  for (int i = 1; i <= 2; ++i) inst.stored[i] = makeWireTrace(0, 971, false, i);
  for (const Chunking& c : kChunkings) {
    SCOPED_TRACE(c.name);
    Conversation conv(inst, c.chunk, c.seed);
    conv.upload(kFirstStoredSelect);
    // The fake holds two; the third header names no trace.
    EXPECT_EQ(conv.requests, (Requests{"01 0F", "01 01", "02 0F", "02 01", "03 0F"}));
    EXPECT_EQ(conv.saves.size(), 2u);
    std::vector<std::int32_t> traces;
    for (const TransferProgress& p : conv.progress) {
      if (p.phase != ProgressPhase::Receiving) continue;
      EXPECT_EQ(p.traces, 50);
      EXPECT_EQ(p.stored, 971);
      traces.push_back(p.trace);
    }
    EXPECT_EQ(traces.front(), 1);
    EXPECT_EQ(traces.back(), 2);
    expectProgressInRange(conv);
  }
}

// How an upload of stored traces that ended early is told, with its counts.
TEST(BlockTransferTest, UploadAllSummaries) {
  using End = UploadAllSummary::End;
  struct Case {
    const char* name;
    int stored;
    int repliesBeforeAbandon;  // -1: run to the end
    bool current;
    std::vector<UploadAllSummary> expected;
  };
  const Case cases[] = {
      {"sixty stored", 60, -1, false, {{End::AtLimit, 50, 60}}},
      {"fifty stored", 50, -1, false, {}},
      {"three stored", 3, -1, false, {}},
      // Trace 1 and 2 take two replies each; the third header has come.
      {"abandoned in trace 3", 5, 5, false, {{End::Abandoned, 2, 5}}},
      {"abandoned before any header", 5, 0, false, {{End::Abandoned, 0, std::nullopt}}},
      {"abandoned after trace 1", 5, 2, false, {{End::Abandoned, 1, 5}}},
      {"current trace abandoned", 5, 1, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeInstrument inst;
    inst.current = makeWireTrace(0, c.stored, true, 0);
    for (int i = 1; i <= c.stored; ++i) inst.stored[i] = makeWireTrace(0, c.stored, false, i);
    Conversation conv(inst);
    conv.run(conv.transfer.startUpload(c.current ? kCurrentTraceSelect : kFirstStoredSelect));
    for (int replies = 0; !conv.line.empty() && replies != c.repliesBeforeAbandon; ++replies) {
      std::vector<std::uint8_t> reply(conv.line.begin(), conv.line.end());
      conv.line.clear();
      conv.run(conv.transfer.feed(reply));
    }
    if (c.repliesBeforeAbandon >= 0) {
      ASSERT_TRUE(conv.transfer.busy());
      conv.run(conv.transfer.abandon());
    }
    EXPECT_EQ(conv.summaries, c.expected);
    EXPECT_FALSE(conv.transfer.busy());
  }
  // A failure is told as such, not as an abandoned upload.
  FakeInstrument inst;
  for (int i = 1; i <= 3; ++i) inst.stored[i] = makeWireTrace(0, 3, false, i);
  Conversation conv(inst);
  conv.answer = false;
  conv.run(conv.transfer.startUpload(kFirstStoredSelect));
  conv.run(conv.transfer.fail(FailureReason::TimedOut));
  EXPECT_TRUE(conv.summaries.empty());
  EXPECT_EQ(conv.failures.size(), 1u);
}

// A failed automatic save ends the upload there and names the file layer's reason; the
// last stored trace, whose transfer has ended already, still reports it.
TEST(BlockTransferTest, FailedSaveStopsTheUpload) {
  for (const int stored : {3, 1}) {
    SCOPED_TRACE(stored);
    FakeInstrument inst;
    for (int i = 1; i <= stored; ++i) inst.stored[i] = makeWireTrace(0, stored, false, i);
    Conversation conv(inst);
    conv.failSaves = true;
    conv.upload(kFirstStoredSelect);
    EXPECT_EQ(conv.requests, (Requests{"01 0F", "01 01"}));
    ASSERT_EQ(conv.failures.size(), 1u);
    EXPECT_EQ(conv.failures[0].reason, FailureReason::SaveFailed);
    EXPECT_EQ(conv.failures[0].traceSelect, 1);
    EXPECT_EQ(conv.failures[0].saveError, Error{"disk full"});
    EXPECT_EQ(std::count(conv.log.begin(), conv.log.end(), "list"), 0);
    EXPECT_FALSE(conv.progress.back().series);
    EXPECT_EQ(conv.progress.back().phase, ProgressPhase::Idle);
    EXPECT_TRUE(conv.summaries.empty());
    EXPECT_FALSE(conv.transfer.busy());
  }
}

TEST(BlockTransferTest, ReplyCutShortIsNeitherTakenNorDecoded) {
  FakeInstrument inst;
  inst.current = makeWireTrace(4, 0, true, 0);
  Conversation conv(inst);
  conv.answer = false;
  conv.run(conv.transfer.startUpload(kCurrentTraceSelect));
  conv.run(conv.transfer.feed(inst.reply(0xAA, 15)));
  auto block = inst.reply(0xAA, 1);
  block.resize(6001);  // the line stops 2000 bytes short
  conv.run(conv.transfer.feed(block));
  EXPECT_TRUE(conv.transfer.busy());
  EXPECT_EQ(conv.transfer.pendingBlockBytes(), 6000u);
  EXPECT_EQ(conv.record->words[0], 0);  // nothing stored before the block is whole

  conv.run(conv.transfer.fail(FailureReason::TimedOut));
  ASSERT_EQ(conv.failures.size(), 1u);
  EXPECT_EQ(conv.failures[0].traceSelect, kCurrentTraceSelect);
  EXPECT_EQ(conv.failures[0].blockNo, 1);
  EXPECT_EQ(conv.progress.back().phase, ProgressPhase::Idle);
  EXPECT_EQ(conv.progress.back().block, 0);
  EXPECT_FALSE(conv.transfer.busy());
  // The rest of the late reply arrives: nothing is taken from it.
  const auto rest = inst.reply(0xAA, 1);
  conv.run(conv.transfer.feed(std::span(rest).subspan(6001)));
  conv.run(conv.transfer.feed(rest));
  EXPECT_EQ(conv.record->words[0], 0);
  EXPECT_EQ(std::count(conv.log.begin(), conv.log.end(), "decode"), 0);
  EXPECT_EQ(std::count(conv.log.begin(), conv.log.end(), "present"), 0);
}

TEST(BlockTransferTest, BytesThatArrivedBeforeARequestAreNotItsReply) {
  FakeInstrument inst;
  inst.current = makeWireTrace(4, 0, true, 0);
  Conversation conv(inst);
  conv.answer = false;
  conv.run(conv.transfer.startUpload(kCurrentTraceSelect));
  // Two replies in one read: the header and, unasked, a copy of data block 2.
  auto read = inst.reply(0xAA, 15);
  const auto extra = inst.reply(0xAA, 2);
  read.insert(read.end(), extra.begin(), extra.end());
  conv.run(conv.transfer.feed(read));
  EXPECT_EQ(conv.requests, (Requests{"AA 0F", "AA 01"}));
  EXPECT_EQ(conv.transfer.BlockNo(), 1);
  EXPECT_EQ(conv.transfer.pendingBlockBytes(), 0u);
  EXPECT_EQ(conv.record->words[0], 0);
  // The real replies then complete the trace.
  conv.answer = true;
  conv.line.clear();
  const auto block1 = inst.reply(0xAA, 1);
  conv.run(conv.transfer.feed(block1));
  conv.pump();
  EXPECT_EQ(conv.requests, (Requests{"AA 0F", "AA 01", "AA 02"}));
  EXPECT_EQ(conv.record->words[4000], inst.current->blocks[1][0] - 800);
  EXPECT_EQ(conv.log.back(), "progress");
  EXPECT_NE(std::find(conv.log.begin(), conv.log.end(), "present"), conv.log.end());
}

TEST(BlockTransferTest, BytesWhileIdleAreDropped) {
  FakeInstrument inst;
  inst.current = makeWireTrace(4, 0, true, 0);
  Conversation conv(inst);
  EXPECT_TRUE(conv.transfer.feed(inst.reply(0xAA, 15)).empty());
  EXPECT_EQ(conv.record->words[56002], 7);  // untouched
  conv.upload(kCurrentTraceSelect);
  const auto before = conv.record->words;
  EXPECT_TRUE(conv.transfer.feed(inst.reply(0xAA, 1)).empty());
  EXPECT_TRUE(conv.record->words == before);
}

TEST(BlockTransferTest, NewUploadAbandonsTheRunningOne) {
  FakeInstrument inst;
  inst.current = makeWireTrace(4, 2, true, 0);
  for (int i = 1; i <= 2; ++i) inst.stored[i] = makeWireTrace(3, 2, true, i);
  Conversation conv(inst);
  conv.answer = false;
  conv.run(conv.transfer.startUpload(kFirstStoredSelect));
  const auto header = inst.reply(1, 15);
  conv.run(conv.transfer.feed(header));
  auto half = inst.reply(1, 1);
  half.resize(3000);
  conv.run(conv.transfer.feed(half));
  ASSERT_TRUE(conv.progress.back().series);

  conv.answer = true;
  conv.log.clear();
  conv.run(conv.transfer.startUpload(kCurrentTraceSelect));
  // Progress hidden first, then what the abandoned upload saved, then the new request,
  // which drops whatever still waits.
  ASSERT_GE(conv.log.size(), 3u);
  EXPECT_EQ(conv.log[0], "progress");
  EXPECT_FALSE(conv.progress.back().series);
  EXPECT_EQ(conv.log[1], "summary");
  EXPECT_EQ(conv.summaries.back(), (UploadAllSummary{UploadAllSummary::End::Abandoned, 0, 2}));
  EXPECT_EQ(conv.log[2], "send AA 0F");
  EXPECT_EQ(conv.line.size(), 8001u);  // the new reply only
  EXPECT_EQ(conv.transfer.pendingBlockBytes(), 0u);
  conv.pump();
  EXPECT_EQ(conv.saves.size(), 0u);
  EXPECT_EQ(std::count(conv.log.begin(), conv.log.end(), "present"), 1);
}

TEST(BlockTransferTest, ThreeStoredTracesProgressAndSaves) {
  FakeInstrument inst;
  for (int i = 1; i <= 3; ++i) inst.stored[i] = makeWireTrace(4, 3, false, i);
  Conversation conv(inst);
  conv.upload(kFirstStoredSelect);
  EXPECT_EQ(conv.saves, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
  // Each trace is decoded before it is saved and the list refreshed after.
  const std::vector<std::string> ending{"decode", "save 3 N=3", "list", "progress", "progress"};
  EXPECT_TRUE(std::equal(ending.begin(), ending.end(), conv.log.end() - 5));
  // What was decoded is each trace in turn.
  ASSERT_EQ(conv.decodedRecords.size(), 3u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(conv.decodedRecords[i][5], inst.stored.at(i + 1).blocks[0][5] - 800);

  std::vector<std::string> traceOfTraces;
  std::vector<std::int32_t> doneValues;
  for (const TransferProgress& p : conv.progress) {
    const std::string k_of_n = std::to_string(p.trace) + "/" + std::to_string(p.traces);
    if (p.series && (traceOfTraces.empty() || traceOfTraces.back() != k_of_n))
      traceOfTraces.push_back(k_of_n);
    if (p.series && (doneValues.empty() || doneValues.back() != p.done))
      doneValues.push_back(p.done);
    if (p.series) {
      EXPECT_EQ(p.stored, 3);
    }
    if (p.phase == ProgressPhase::Receiving) {
      EXPECT_EQ(p.blocks, 2);
    }
  }
  EXPECT_EQ(traceOfTraces, (std::vector<std::string>{"1/3", "2/3", "3/3"}));
  EXPECT_EQ(doneValues, (std::vector<std::int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(conv.progress.back(),
            (TransferProgress{ProgressPhase::Idle, false, true, 3, 3, 3, 0, 0, 2}));
  EXPECT_TRUE(conv.summaries.empty());
}

TEST(BlockTransferTest, CurrentTraceShowsOnlyTheBlockBar) {
  FakeInstrument inst;
  inst.current = makeWireTrace(6, 4, true, 0);
  Conversation conv(inst);
  conv.upload(kCurrentTraceSelect);
  std::vector<std::int32_t> blockValues;
  for (const TransferProgress& p : conv.progress) {
    EXPECT_FALSE(p.series || p.counted);
    if (p.phase == ProgressPhase::Receiving) blockValues.push_back(p.block);
  }
  std::vector<std::int32_t> expected(8);
  std::iota(expected.begin(), expected.end(), 0);  // shown at 0, then 1..7; hidden after 8
  EXPECT_EQ(blockValues, expected);
  EXPECT_EQ(conv.progress.back().trace, 170);
  EXPECT_EQ(conv.progress.back().traces, 4);
  EXPECT_TRUE(conv.saves.empty());
  EXPECT_EQ(conv.log.back(), "progress");
  EXPECT_EQ(std::count(conv.log.begin(), conv.log.end(), "present"), 1);
  EXPECT_EQ(conv.transfer.BlockNo(), 9);
}

TEST(BlockTransferTest, SixtyStoredStopAtFifty) {
  FakeInstrument inst;
  for (int i = 1; i <= 60; ++i) inst.stored[i] = makeWireTrace(0, 60, false, i);
  Conversation conv(inst);
  conv.upload(kFirstStoredSelect);
  ASSERT_EQ(conv.saves.size(), 50u);
  EXPECT_EQ(conv.saves.back(), (std::pair<int, int>{50, 2}));
  EXPECT_EQ(conv.requests.back(), "32 01");
  const TransferProgress& last = conv.progress[conv.progress.size() - 2];
  EXPECT_TRUE(last.series);
  EXPECT_EQ(last.stored, 60);
  EXPECT_EQ(last.done, 50);
  // "50/50": the count actually fetched, not the 60 stored.
  EXPECT_EQ(last.trace, 50);
  EXPECT_EQ(last.traces, 50);
  EXPECT_FALSE(conv.progress.back().series);
  // Stopping at the limit with more stored is said, with the counts.
  ASSERT_EQ(conv.summaries.size(), 1u);
  EXPECT_EQ(conv.summaries[0], (UploadAllSummary{UploadAllSummary::End::AtLimit, 50, 60}));
  EXPECT_EQ(conv.log.back(), "summary");
}

TEST(BlockTransferTest, HeaderCheck) {
  struct Case {
    const char* name;
    std::uint8_t select;
    int datanum;
    bool haveTest;
    bool accepted;
  };
  const Case cases[] = {
      {"current with havetest", kCurrentTraceSelect, 3, true, true},
      {"current without havetest", kCurrentTraceSelect, 3, false, false},
      {"stored, the last of the count", 3, 3, false, true},
      {"stored beyond count", 4, 3, false, false},
      {"stored beyond count, havetest", 4, 3, true, true},
      {"nothing stored, havetest", 1, 0, true, true},
      {"stored beyond 50", 51, 60, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeInstrument inst;
    WireTrace t = makeWireTrace(3, c.datanum, c.haveTest, 1);
    if (c.select == kCurrentTraceSelect)
      inst.current = t;
    else
      inst.stored[c.select] = t;
    Conversation conv(inst);
    conv.upload(c.select);
    const bool noDatas = std::find(conv.log.begin(), conv.log.end(), "No datas!") != conv.log.end();
    EXPECT_EQ(noDatas, !c.accepted);
    EXPECT_EQ(conv.requests.size(), c.accepted ? 2u : 1u);
    if (!c.accepted) {
      // Only the header words are in the record; nothing decoded.
      EXPECT_EQ(conv.record->words[56010], c.datanum);
      EXPECT_TRUE(conv.decodedRecords.empty());
      EXPECT_FALSE(conv.transfer.busy());
    }
  }
}

}  // namespace
}  // namespace tracelink
