// The block transfer against a scripted instrument (transfer_script.h), its actions carried
// out by the program's own action loop. Checked: nothing outside the trace's words is
// touched, progress stays within its counts, the conversation and the record do not depend
// on how the line cuts the bytes into reads, and a transfer always ends: it never waits
// while a whole frame is on the line, and a timeout ends it.
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fuzz_check.h"
#include "link/block_transfer.h"
#include "transfer_script.h"

using namespace tracelink;

namespace {

constexpr std::int32_t kUntouched = 7;

struct Run : TransferHost {
  const TransferScript& script;
  bool chunked;
  std::mt19937 random;
  std::unique_ptr<TraceRecord> record = [] {
    auto r = std::make_unique<TraceRecord>();
    r->words.fill(kUntouched);
    return r;
  }();
  HeaderState header;
  ViewWindow view;
  PlainTraceSink sink{*record, header, view};
  BlockTransfer transfer{sink};

  std::size_t nextReply = 0;
  const TransferScript::Reply* onLine = nullptr;  // the reply to the last request
  std::size_t lineAt = 0;
  std::string log;
  int saves = 0;
  int sends = 0;

  Run(const TransferScript& s, bool c) : script(s), chunked(c), random(s.seed) {}

  void note(const char* what, std::int64_t a = 0, std::int64_t b = 0) {
    log += what;
    log += ' ';
    log += std::to_string(a);
    log += ' ';
    log += std::to_string(b);
    log += '\n';
  }

  std::optional<LinkError> send(const action::Send& s) override {
    ++sends;
    note("send", s.request[0], s.request[1]);
    // Whatever was still on the line is dropped; the next reply of the script arrives.
    onLine = nextReply < script.replies.size() ? &script.replies[nextReply++] : nullptr;
    lineAt = 0;
    return std::nullopt;
  }
  void decode() override {
    // The record as decoded, in short: a hash of its trace words.
    const std::string_view words(reinterpret_cast<const char*>(record->words.data()),
                                 kHeaderEnd * sizeof(std::int32_t));
    note("decode", static_cast<std::int64_t>(std::hash<std::string_view>{}(words) >> 1));
  }
  Status autoSave(std::int32_t traceSelect, std::int32_t blockNo) override {
    note("save", traceSelect, blockNo);
    FUZZ_CHECK(traceSelect >= 1 && traceSelect <= kMaxUploadedTraces);
    FUZZ_CHECK(blockNo >= 2 && blockNo <= kMaxDataBlocks + 1);
    if (++saves == script.failingSave) return Error{"disk full"};
    return {};
  }
  void listSaved() override { note("list"); }
  void showNoDatas() override { note("nodatas"); }
  void progress(const TransferProgress& p) override {
    note("progress", p.trace * 1000 + p.traces, p.block * 1000 + p.blocks);
    note("progress+", p.stored * 1000 + p.done, int(p.phase) * 4 + p.series * 2 + p.counted);
    if (p.phase == ProgressPhase::Receiving) {
      FUZZ_CHECK(p.blocks >= 1 && p.blocks <= kMaxDataBlocks);
      // A stored trace is one of those fetched. (The current trace, 170, counts as stored
      // when the instrument claims 170 or more, and is then shown against that count.)
      if (p.counted && p.trace != kCurrentTraceSelect)
        FUZZ_CHECK(p.trace >= 1 && p.trace <= p.traces);
    }
    FUZZ_CHECK(p.block >= 0 && p.block <= std::max(p.blocks, 0));
    FUZZ_CHECK(p.done >= 0 && p.done <= std::max(p.stored, 0));
    FUZZ_CHECK(p.traces >= 0 && p.traces <= kMaxUploadedTraces);
  }
  void dataPresent() override { note("present"); }
  void uploadAllEnded(const UploadAllSummary& s) override {
    note("summary", int(s.end) * 1000 + s.saved, s.stored.value_or(-1));
    FUZZ_CHECK(s.saved >= 0 && s.saved <= kMaxUploadedTraces);
  }
  void failed(const TransferFailure& f) override {
    note("failed", int(f.reason) * 1000 + f.traceSelect, f.blockNo * 100000 + f.rangeIndex);
  }

  void act(TransferActions actions) { runTransferActions(transfer, std::move(actions), *this); }

  std::size_t pieceSize(std::size_t left) {
    if (!chunked) return left;
    // Mostly reads of up to the largest, a quarter of them a few bytes only: cuts next to
    // a sync byte or a frame's end are where framing goes wrong.
    std::uniform_int_distribution<std::size_t> size(1, random() % 4 == 0 ? 8 : script.maxRead);
    return std::min(size(random), left);
  }

  // Whether the reply holds a whole frame: a sync byte and a block's bytes after it.
  static bool holdsFrame(const TransferScript::Reply& r) {
    if (r.bytes.empty()) return false;
    const void* sync = std::memchr(r.bytes.data(), kSyncByte, r.bytes.size());
    if (sync == nullptr) return false;
    const auto at =
        static_cast<std::size_t>(static_cast<const std::uint8_t*>(sync) - r.bytes.data());
    return r.bytes.size() - at - 1 >= kBlockBytes;
  }

  void upload(std::uint8_t select) {
    act(transfer.startUpload(select));
    // Each request may take at most one reply; two uploads of 50 traces of 15 requests.
    while (transfer.busy()) {
      FUZZ_CHECK(sends <= 2 * kMaxUploadedTraces * (kMaxDataBlocks + 1) + 2);
      const TransferScript::Reply* reply = onLine;
      if (reply != nullptr && !reply->silent && lineAt < reply->bytes.size()) {
        const std::size_t n = pieceSize(reply->bytes.size() - lineAt);
        const std::span<const std::uint8_t> piece(reply->bytes.data() + lineAt, n);
        lineAt += n;
        act(transfer.feed(piece));
        continue;
      }
      // The line is quiet: the transfer may only be waiting for bytes that have not come.
      FUZZ_CHECK(transfer.phase() == TransferPhase::AwaitingHeader ||
                 transfer.phase() == TransferPhase::AwaitingData);
      FUZZ_CHECK(reply == nullptr || reply->silent || !holdsFrame(*reply));
      FUZZ_CHECK(transfer.pendingBlockBytes() < kBlockBytes);
      act(transfer.fail(FailureReason::TimedOut));
      FUZZ_CHECK(!transfer.busy());
    }
    FUZZ_CHECK(transfer.phase() == TransferPhase::Idle);
    // Only the trace's words are ever written: samples, header and the ten spare words a
    // new trace clears.
    for (std::size_t i = kClearedWords; i < record->words.size(); ++i)
      FUZZ_CHECK(record->words[i] == kUntouched);
  }

  void conversation() {
    const std::uint8_t first = script.uploadAll ? kFirstStoredSelect : kCurrentTraceSelect;
    upload(first);
    if (script.secondUpload) upload(script.uploadAll ? kCurrentTraceSelect : kFirstStoredSelect);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TransferScript script = parseTransferScript(data, size);
  auto whole = std::make_unique<Run>(script, false);
  whole->conversation();
  auto cut = std::make_unique<Run>(script, true);
  cut->conversation();
  if (whole->log != cut->log) {
    std::fprintf(stderr, "one read a reply:\n%s\nreads of 1..%zu bytes:\n%s\n", whole->log.c_str(),
                 script.maxRead, cut->log.c_str());
  }
  FUZZ_CHECK(whole->log == cut->log);
  FUZZ_CHECK(whole->record->words == cut->record->words);
  FUZZ_CHECK(whole->header.StartPoint == cut->header.StartPoint);
  FUZZ_CHECK(whole->header.RangeLine == cut->header.RangeLine);
  FUZZ_CHECK(whole->header.BlocksPerTrace == cut->header.BlocksPerTrace);
  FUZZ_CHECK(whole->view.ViewEnd == cut->view.ViewEnd);
  return 0;
}
