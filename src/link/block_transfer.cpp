#include "link/block_transfer.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace tracelink {

BlockTransfer::BlockTransfer(TraceSink& sink) : sink_(sink) {}

TransferActions BlockTransfer::startUpload(std::uint8_t traceSelect) {
  TransferActions out = abandon();
  traceSelect_ = traceSelect;
  uploadingAll_ = traceSelect != kCurrentTraceSelect;
  headerSeen_ = false;
  savesAsked_ = 0;
  RequestTrace(out);
  return out;
}

TransferActions BlockTransfer::RequestNextTrace() {
  TransferActions out;
  if (phase_ != TransferPhase::BetweenTraces) return out;
  ++traceSelect_;
  RequestTrace(out);
  return out;
}

void BlockTransfer::RequestTrace(TransferActions& out) {
  sink_.clearTrace();
  blockNo_ = kHeaderBlockNo;
  phase_ = TransferPhase::AwaitingHeader;
  synced_ = false;
  filled_ = 0;
  SendRequest(out);
}

void BlockTransfer::SendRequest(TransferActions& out) {
  out.emplace_back(action::Send{{traceSelect_, static_cast<std::uint8_t>(blockNo_)}});
  dropRestOfFeed_ = true;
}

TransferActions BlockTransfer::feed(std::span<const std::uint8_t> bytes) {
  TransferActions out;
  dropRestOfFeed_ = false;
  std::size_t at = 0;
  while (at < bytes.size() && !dropRestOfFeed_ &&
         (phase_ == TransferPhase::AwaitingHeader || phase_ == TransferPhase::AwaitingData)) {
    at += frame(bytes.subspan(at), out);
  }
  // Anything left arrived before the request that was just made, or while no block was
  // awaited: it cannot be a reply of ours.
  return out;
}

std::size_t BlockTransfer::frame(std::span<const std::uint8_t> bytes, TransferActions& out) {
  if (!synced_) {
    const auto* sync =
        static_cast<const std::uint8_t*>(std::memchr(bytes.data(), kSyncByte, bytes.size()));
    if (sync == nullptr) return bytes.size();
    synced_ = true;
    filled_ = 0;
    return static_cast<std::size_t>(sync - bytes.data()) + 1;
  }
  const std::size_t take = std::min(bytes.size(), kBlockBytes - filled_);
  std::memcpy(rxBlock_.data() + filled_, bytes.data(), take);
  filled_ += take;
  if (filled_ == kBlockBytes) {
    synced_ = false;
    filled_ = 0;
    ProcessBlock(out);
  }
  return take;
}

void BlockTransfer::ProcessBlock(TransferActions& out) {
  std::array<std::int32_t, kBlockWords> words;
  const std::uint8_t* src = rxBlock_.data();
  if (blockNo_ == kHeaderBlockNo) {
    for (int i = 0; i < kBlockWords; ++i, src += 2) words[i] = UnmaskWord(src[0], src[1]);
    sink_.storeHeaderBlock(words);
    headerStep(out);
  } else {
    for (int i = 0; i < kBlockWords; ++i, src += 2)
      words[i] = SampleFromWire(UnmaskWord(src[0], src[1]));
    sink_.storeDataBlock(blockNo_, words);
    dataStep(out);
  }
}

void BlockTransfer::headerStep(TransferActions& out) {
  storedCount_ = sink_.record()[slot::kDataNum];
  const bool noSuchTrace = traceSelect_ == 0 || traceSelect_ > kMaxUploadedTraces ||
                           traceSelect_ > storedCount_ || storedCount_ <= 0;
  if (noSuchTrace && sink_.record()[slot::kHaveTest] != kHaveTestMark) {
    // The progress display stays as it is; only the message tells the user.
    phase_ = TransferPhase::Idle;
    uploadingAll_ = false;
    out.emplace_back(action::ShowNoDatas{});
    return;
  }
  const std::int32_t rangeIndex = sink_.record()[slot::kRangeN];
  if (BlocksForRange(rangeIndex) <= 0) {
    // Without a block count there is nothing to ask for. A count left from an earlier
    // trace would make the outcome depend on what was fetched before, so the trace ends
    // here, and says why, rather than completing with no data.
    TransferFailure failure =
        makeTransferFailure(FailureReason::UnknownBlockCount, traceSelect_, blockNo_);
    failure.rangeIndex = rangeIndex;
    stop(out);
    out.emplace_back(action::Failed{failure});
    return;
  }
  sink_.applyHeader();
  headerSeen_ = true;

  progress_.counted = traceSelect_ <= storedCount_;
  if (progress_.counted) {
    progress_.stored = storedCount_;
    progress_.series = true;
  }
  progress_.phase = ProgressPhase::Receiving;
  progress_.trace = traceSelect_;
  // A header may claim any count; never more than 50 are fetched.
  progress_.traces = std::min(storedCount_, kMaxUploadedTraces);
  progress_.blocks = sink_.header().BlocksPerTrace;
  emitProgress(out);

  blockNo_ = 1;
  phase_ = TransferPhase::AwaitingData;
  SendRequest(out);
}

void BlockTransfer::dataStep(TransferActions& out) {
  progress_.block = blockNo_;
  ++blockNo_;
  if (blockNo_ > sink_.header().BlocksPerTrace || blockNo_ > kMaxDataBlocks) {
    completionStep(out);
    return;
  }
  emitProgress(out);
  SendRequest(out);
}

void BlockTransfer::completionStep(TransferActions& out) {
  // The trace is decoded before it is saved, and saved before the next one clears it.
  out.emplace_back(action::Decode{});
  if (traceSelect_ <= kMaxUploadedTraces && traceSelect_ <= storedCount_) {
    out.emplace_back(action::AutoSave{traceSelect_, blockNo_});
    out.emplace_back(action::ListSaved{});
    ++savesAsked_;
  }
  // A trace let through beyond the stored count does not carry the count past its end.
  const std::int32_t done =
      std::clamp<std::int32_t>(traceSelect_, 0, std::max(progress_.stored, 0));
  bool another = false;
  if (traceSelect_ == kCurrentTraceSelect) {
    out.emplace_back(action::DataPresent{});
  } else if (traceSelect_ < storedCount_ && traceSelect_ < kMaxUploadedTraces) {
    progress_.done = done;
    another = true;
  } else {
    // The last stored trace: the bar is seen to reach it before it goes.
    progress_.done = done;
    emitProgress(out);
    progress_.done = 0;
    progress_.series = false;
  }
  progress_.block = 0;
  progress_.phase = ProgressPhase::Idle;
  emitProgress(out);
  if (another) {
    phase_ = TransferPhase::BetweenTraces;
    out.emplace_back(action::NextTrace{});
    return;
  }
  phase_ = TransferPhase::Idle;
  if (uploadingAll_ && traceSelect_ == kMaxUploadedTraces && storedCount_ > kMaxUploadedTraces)
    out.emplace_back(
        action::UploadAllEnded{{UploadAllSummary::End::AtLimit, savesAsked_, storedCount_}});
  uploadingAll_ = false;
}

TransferActions BlockTransfer::abandon() {
  TransferActions out;
  if (!busy()) return out;
  const bool tell = uploadingAll_;
  const UploadAllSummary summary{UploadAllSummary::End::Abandoned, savesAsked_,
                                 headerSeen_ ? std::optional(storedCount_) : std::nullopt};
  stop(out);
  if (tell) out.emplace_back(action::UploadAllEnded{summary});
  return out;
}

TransferActions BlockTransfer::fail(FailureReason reason, std::optional<LinkError> link,
                                    std::optional<Error> saveError) {
  TransferActions out;
  if (!busy()) return out;
  TransferFailure failure = makeTransferFailure(reason, traceSelect_, blockNo_);
  failure.link = std::move(link);
  failure.saveError = std::move(saveError);
  stop(out);
  out.emplace_back(action::Failed{failure});
  return out;
}

void BlockTransfer::stop(TransferActions& out) {
  phase_ = TransferPhase::Idle;
  uploadingAll_ = false;
  synced_ = false;
  filled_ = 0;
  progress_.phase = ProgressPhase::Idle;
  progress_.block = 0;
  progress_.series = false;
  progress_.done = 0;
  emitProgress(out);
}

void BlockTransfer::emitProgress(TransferActions& out) const {
  out.emplace_back(action::Progress{progress_});
}

void runTransferActions(BlockTransfer& transfer, TransferActions actions, TransferHost& host) {
  for (std::size_t i = 0; i < actions.size(); ++i) {
    // Copied: the list grows while it is walked.
    const TransferAction current = actions[i];
    TransferActions more;
    bool cut = false;  // the actions after this one are void: the transfer failed here
    std::visit(
        [&](const auto& a) {
          using A = std::decay_t<decltype(a)>;
          if constexpr (std::is_same_v<A, action::Send>) {
            if (std::optional<LinkError> error = host.send(a)) {
              cut = true;
              more = transfer.fail(FailureReason::PortLost, std::move(error));
            }
          } else if constexpr (std::is_same_v<A, action::Decode>) {
            host.decode();
          } else if constexpr (std::is_same_v<A, action::AutoSave>) {
            if (const Status saved = host.autoSave(a.traceSelect, a.blockNo); !saved) {
              // Later traces would be fetched only to be lost the same way.
              cut = true;
              more = transfer.fail(FailureReason::SaveFailed, std::nullopt, saved.error());
              if (more.empty()) {
                // The last stored trace: its transfer has ended already, so its own
                // final progress (everything hidden) stands, and the reason is still told.
                TransferFailure failure =
                    makeTransferFailure(FailureReason::SaveFailed, a.traceSelect, a.blockNo);
                failure.saveError = saved.error();
                more = {action::Progress{transfer.progress()}, action::Failed{failure}};
              }
            }
          } else if constexpr (std::is_same_v<A, action::ListSaved>) {
            host.listSaved();
          } else if constexpr (std::is_same_v<A, action::ShowNoDatas>) {
            host.showNoDatas();
          } else if constexpr (std::is_same_v<A, action::Progress>) {
            host.progress(a.state);
          } else if constexpr (std::is_same_v<A, action::DataPresent>) {
            host.dataPresent();
          } else if constexpr (std::is_same_v<A, action::NextTrace>) {
            more = transfer.RequestNextTrace();
          } else if constexpr (std::is_same_v<A, action::UploadAllEnded>) {
            host.uploadAllEnded(a.summary);
          } else if constexpr (std::is_same_v<A, action::Failed>) {
            host.failed(a.failure);
          }
        },
        current);
    if (cut) actions.resize(i + 1);
    actions.insert(actions.end(), more.begin(), more.end());
  }
}

}  // namespace tracelink
