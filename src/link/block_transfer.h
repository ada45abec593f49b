#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "link/link_error.h"
#include "link/wire_format.h"
#include "record/result.h"
#include "record/trace_record.h"
#include "record/trace_sink.h"

namespace tracelink {

// An upload of stored traces never goes beyond this trace number.
inline constexpr std::int32_t kMaxUploadedTraces = 50;

// How far a transfer has come, in its own terms: trace k of n, block j of m. The values
// persist from one report to the next, as a display of them would.
enum class ProgressPhase {
  Idle,       // no trace is being received
  Receiving,  // the data blocks of trace k are arriving
};

struct TransferProgress {
  ProgressPhase phase = ProgressPhase::Idle;
  // A series of stored traces is under way, shown as "trace k of n": set by a header whose
  // trace is among the stored count, cleared once the last one is complete or the
  // transfer ends.
  bool series = false;
  // Trace k is one of the traces the instrument counts as stored (k <= its count).
  bool counted = false;
  std::int32_t trace = 0;   // k: the trace of the last accepted header
  std::int32_t traces = 0;  // n: how many traces this upload fetches (never above 50)
  // The instrument's stored count at the last header that counted its trace, and how many
  // stored traces are complete.
  std::int32_t stored = 0;
  std::int32_t done = 0;
  std::int32_t block = 0;   // j: data blocks of trace k received
  std::int32_t blocks = 0;  // m: data blocks trace k has (1 or more)

  bool operator==(const TransferProgress&) const = default;
};

// Why a transfer ended without finishing its trace.
enum class FailureReason {
  NotConnected,       // an upload was asked for with no open port
  TimedOut,           // a requested block did not arrive in full in time
  PortLost,           // the port failed or went away while a block was awaited
  SaveFailed,         // the automatic save of a stored trace failed
  UnknownBlockCount,  // the header's range index names no block count
};

struct TransferFailure {
  FailureReason reason = FailureReason::TimedOut;
  std::int32_t traceSelect = 0;
  std::int32_t blockNo = 0;
  // PortLost: what the link said, when it said anything.
  std::optional<LinkError> link;
  // SaveFailed: the file layer's own account of it, when it gave one.
  std::optional<Error> saveError;
  // UnknownBlockCount: the range index the header gave.
  std::int32_t rangeIndex = 0;

  bool operator==(const TransferFailure&) const = default;
};

// Every transfer failure is made here, so that its form can change in one place.
inline TransferFailure makeTransferFailure(FailureReason reason, std::int32_t traceSelect,
                                           std::int32_t blockNo) {
  TransferFailure failure;
  failure.reason = reason;
  failure.traceSelect = traceSelect;
  failure.blockNo = blockNo;
  return failure;
}

// How an upload of all stored traces ended, when that is worth telling: it stopped at the
// 50-trace limit with more stored, or something else ended it before its last trace.
struct UploadAllSummary {
  enum class End { AtLimit, Abandoned };
  End end = End::AtLimit;
  std::int32_t saved = 0;  // traces saved by this upload
  // The instrument's stored count; nullopt when no header had arrived yet.
  std::optional<std::int32_t> stored;

  bool operator==(const UploadAllSummary&) const = default;
};

// What the transfer asks its host to do, in the order given.
namespace action {
// Write the two request bytes, one write each. Whatever input is waiting at the port is
// dropped first: it arrived before this request and so cannot be its reply.
struct Send {
  std::array<std::uint8_t, kRequestBytes> request{};
};
// Decode header and events and redraw the plot from the record.
struct Decode {};
// Save the record under the automatic name of traceSelect, with blockNo sample blocks.
struct AutoSave {
  std::int32_t traceSelect = 0;
  std::int32_t blockNo = 0;
};
// Refill the list of saved traces.
struct ListSaved {};
// The instrument has no such trace: "No datas!".
struct ShowNoDatas {};
struct Progress {
  TransferProgress state;
};
// An upload of the current trace completed; the record may now be saved by hand.
struct DataPresent {};
// A stored trace is complete and another follows: once the actions before this one have
// run, call BlockTransfer::RequestNextTrace().
struct NextTrace {};
struct UploadAllEnded {
  UploadAllSummary summary;
};
struct Failed {
  TransferFailure failure;
};
}  // namespace action

using TransferAction =
    std::variant<action::Send, action::Decode, action::AutoSave, action::ListSaved,
                 action::ShowNoDatas, action::Progress, action::DataPresent, action::NextTrace,
                 action::UploadAllEnded, action::Failed>;
using TransferActions = std::vector<TransferAction>;

enum class TransferPhase {
  Idle,
  AwaitingHeader,  // BlockNo = 15
  AwaitingData,    // BlockNo = 1..14
  BetweenTraces,   // a stored trace is done; waiting for RequestNextTrace()
};

// The block transfer of trace records, with no port in it: bytes go in, actions come out.
// It stores the received blocks in the host's trace sink and has it apply each accepted
// header; everything else (decoding, saving, widgets, the port) is asked for through the
// returned actions.
//
// Received bytes are framed as they arrive: bytes ahead of a sync byte are dropped, and a
// block is taken once 8000 bytes follow the sync byte. Bytes that arrived before a request
// are never taken as its reply: the rest of a feed after a request is dropped, and the
// host drops what waits at the port before it writes a request. So however the line cuts
// the stream into reads, the conversation is the same. Bytes fed while no transfer runs
// are dropped, so a late or unsolicited reply never touches the record.
class BlockTransfer {
 public:
  explicit BlockTransfer(TraceSink& sink);

  // Starts an upload from the trace's header: kCurrentTraceSelect for the current trace,
  // kFirstStoredSelect for all stored traces. A running transfer is abandoned first.
  TransferActions startUpload(std::uint8_t traceSelect);
  // Received bytes, in arrival order, in pieces of any size.
  TransferActions feed(std::span<const std::uint8_t> bytes);
  // Continues an upload of stored traces after a NextTrace action.
  TransferActions RequestNextTrace();

  // Ends a running transfer: progress hidden, nothing more decoded or saved from it. The
  // record keeps what had arrived. An upload of stored traces says how many it saved.
  // Returns nothing when no transfer runs.
  TransferActions abandon();
  // Ends a running transfer as abandon() does, and tells why (a Failed action naming the
  // trace and the block awaited, with what the link or the file layer said).
  TransferActions fail(FailureReason reason, std::optional<LinkError> link = std::nullopt,
                       std::optional<Error> saveError = std::nullopt);

  bool busy() const { return phase_ != TransferPhase::Idle; }
  TransferPhase phase() const { return phase_; }
  // The block asked for and expected next; after a completed trace one above its last data
  // block, which is the block count a saved file carries.
  std::int32_t BlockNo() const { return blockNo_; }
  const TransferProgress& progress() const { return progress_; }
  // Bytes held since the last sync byte (0 when none was seen).
  std::size_t pendingBlockBytes() const { return synced_ ? filled_ : 0; }

 private:
  void RequestTrace(TransferActions& out);
  void SendRequest(TransferActions& out);
  // Frames the front of bytes; returns how many of them it consumed.
  std::size_t frame(std::span<const std::uint8_t> bytes, TransferActions& out);
  void ProcessBlock(TransferActions& out);
  void headerStep(TransferActions& out);
  void dataStep(TransferActions& out);
  void completionStep(TransferActions& out);
  void stop(TransferActions& out);
  void emitProgress(TransferActions& out) const;

  TraceSink& sink_;

  TransferPhase phase_ = TransferPhase::Idle;
  std::uint8_t traceSelect_ = 0;
  std::int32_t blockNo_ = 0;
  std::int32_t storedCount_ = 0;
  TransferProgress progress_;
  // Of the running upload of stored traces: whether one runs, whether a header arrived,
  // and how many traces were handed on to be saved.
  bool uploadingAll_ = false;
  bool headerSeen_ = false;
  std::int32_t savesAsked_ = 0;

  // RxBlock: the bytes after the sync byte, filled as they arrive.
  std::array<std::uint8_t, kBlockBytes> rxBlock_{};
  std::size_t filled_ = 0;
  bool synced_ = false;
  // Set when a request went out whose reply may not be mixed with bytes fed before it.
  bool dropRestOfFeed_ = false;
};

// What the host of a transfer does for each action. runTransferActions() walks the actions
// in order, continues an upload of stored traces at NextTrace, and turns a refused request
// or a failed save into the transfer's failure; each host (the upload controller, the
// tests' conversations) only says how it does one thing.
class TransferHost {
 public:
  virtual ~TransferHost() = default;
  // Drops the input waiting at the port and writes the request; the link's error when it
  // was refused.
  virtual std::optional<LinkError> send(const action::Send& request) = 0;
  virtual void decode() = 0;
  // Saves the record; what went wrong when it could not be saved.
  virtual Status autoSave(std::int32_t traceSelect, std::int32_t blockNo) = 0;
  virtual void listSaved() = 0;
  virtual void showNoDatas() = 0;
  virtual void progress(const TransferProgress& state) = 0;
  virtual void dataPresent() = 0;
  virtual void uploadAllEnded(const UploadAllSummary& summary) = 0;
  virtual void failed(const TransferFailure& failure) = 0;
};

void runTransferActions(BlockTransfer& transfer, TransferActions actions, TransferHost& host);

}  // namespace tracelink
