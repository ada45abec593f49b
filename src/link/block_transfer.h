#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "record/trace_record.h"
#include "record/trace_sink.h"

namespace tracelink {

// The reply frame: a sync byte, then one block of 4000 big-endian words.
inline constexpr std::uint8_t kSyncByte = 0x55;
inline constexpr std::size_t kBlockBytes = 2 * kBlockWords;
// Trace selectors: the instrument's current trace, or stored traces 1, 2, ...
inline constexpr std::uint8_t kCurrentTraceSelect = 170;
inline constexpr std::uint8_t kFirstStoredSelect = 1;
// An upload of stored traces never goes beyond this trace number.
inline constexpr std::int32_t kMaxUploadedTraces = 50;
// The instrument lifts every sample by this much on the line.
inline constexpr std::uint16_t kSampleOffset = 800;

// What the progress widgets show: ProgressBar1 (blocks of this trace), ProgressBar2
// (stored traces done), Label3 ("3/12") and Label5 (trace number). The captions are set
// even while their labels stay hidden.
struct ProgressState {
  bool bar1Visible = false;
  std::int32_t bar1Max = 0;
  std::int32_t bar1Value = 0;
  bool bar2Visible = false;
  std::int32_t bar2Max = 0;
  std::int32_t bar2Value = 0;
  bool label3Visible = false;
  std::string label3;
  bool label5Visible = false;
  std::string label5;

  bool operator==(const ProgressState&) const = default;
};

// Why a transfer ended without finishing its trace.
enum class FailureReason {
  NotConnected,  // an upload was asked for with no open port
  TimedOut,      // a requested block did not arrive in full in time
  PortLost,      // the port failed or went away while a block was awaited
  SaveFailed,    // the automatic save of a stored trace failed
};

struct TransferFailure {
  FailureReason reason = FailureReason::TimedOut;
  std::int32_t traceSelect = 0;
  std::int32_t blockNo = 0;
};

// What the transfer asks its host to do, in the order given.
namespace action {
// Write the two request bytes, one write each. When discardPendingInput is set, whatever
// input is waiting at the port is dropped first: it arrived before this request and so
// cannot be its reply.
struct Send {
  std::array<std::uint8_t, 2> request{};
  bool discardPendingInput = false;
};
// The record was cleared for a new trace; the file text of the old one is void.
struct ClearRecordText {};
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
  ProgressState state;
};
// An upload of the current trace completed; the record may now be saved by hand.
struct DataPresent {};
// A stored trace is complete and another follows: once the actions before this one have
// run, call BlockTransfer::RequestNextTrace().
struct NextTrace {};
struct Failed {
  TransferFailure failure;
};
}  // namespace action

using TransferAction =
    std::variant<action::Send, action::ClearRecordText, action::Decode, action::AutoSave,
                 action::ListSaved, action::ShowNoDatas, action::Progress, action::DataPresent,
                 action::NextTrace, action::Failed>;
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
// block is taken once 8000 bytes follow the sync byte. Bytes fed while no transfer runs
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
  // record keeps what had arrived. Returns nothing when no transfer runs.
  TransferActions abandon();
  // As abandon(), and tells why (a Failed action naming the trace and the block awaited).
  TransferActions fail(FailureReason reason);

  bool busy() const { return phase_ != TransferPhase::Idle; }
  TransferPhase phase() const { return phase_; }
  std::uint8_t TraceSelect() const { return traceSelect_; }
  // The block asked for and expected next; after a completed trace one above its last data
  // block, which is the block count a saved file carries.
  std::int32_t BlockNo() const { return blockNo_; }
  std::int32_t StoredCount() const { return storedCount_; }
  const ProgressState& progress() const { return progress_; }
  // Bytes held since the last sync byte (0 when none was seen).
  std::size_t pendingBlockBytes() const { return synced_ ? filled_ : 0; }

 private:
  void RequestTrace(TransferActions& out);
  void SendRequest(TransferActions& out, bool discardPendingInput);
  // Frames the front of bytes; returns how many of them it consumed.
  std::size_t frame(std::span<const std::uint8_t> bytes, TransferActions& out);
  void ProcessBlock(TransferActions& out);
  void headerStep(TransferActions& out);
  void dataStep(TransferActions& out);
  void completionStep(TransferActions& out);
  void hideProgress(TransferActions& out);
  void emitProgress(TransferActions& out) const;

  TraceSink& sink_;

  TransferPhase phase_ = TransferPhase::Idle;
  std::uint8_t traceSelect_ = 0;
  std::int32_t blockNo_ = 0;
  std::int32_t storedCount_ = 0;
  ProgressState progress_;

  // RxBlock: the bytes after the sync byte, filled as they arrive.
  std::array<std::uint8_t, kBlockBytes> rxBlock_{};
  std::size_t filled_ = 0;
  bool synced_ = false;
  // Set when a request went out whose reply may not be mixed with bytes fed before it.
  bool dropRestOfFeed_ = false;
};

// The 16-bit word of a reply: big-endian, unmasked.
inline std::uint16_t UnmaskWord(std::uint8_t high, std::uint8_t low) {
  return static_cast<std::uint16_t>(((high << 8) | low) ^ kWordMask);
}

// The record value of a received data word: the offset removed, never below 0.
inline std::int32_t SampleFromWire(std::uint16_t w) {
  return w > kSampleOffset ? std::int32_t{w} - kSampleOffset : 0;
}

}  // namespace tracelink
