#include "link/block_transfer.h"

#include <algorithm>
#include <cstring>

namespace tracelink {

BlockTransfer::BlockTransfer(TraceSink& sink) : sink_(sink) {}

TransferActions BlockTransfer::startUpload(std::uint8_t traceSelect) {
  TransferActions out = abandon();
  traceSelect_ = traceSelect;
  RequestTrace(out);
  // Whatever still waits at the port belongs to an earlier transfer.
  std::get<action::Send>(out.back()).discardPendingInput = true;
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
  out.emplace_back(action::ClearRecordText{});
  blockNo_ = kHeaderBlockNo;
  phase_ = TransferPhase::AwaitingHeader;
  synced_ = false;
  filled_ = 0;
  SendRequest(out, false);
}

void BlockTransfer::SendRequest(TransferActions& out, bool discardPendingInput) {
  out.emplace_back(action::Send{
      {traceSelect_, static_cast<std::uint8_t>(blockNo_)},
      discardPendingInput,
  });
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
    out.emplace_back(action::ShowNoDatas{});
    return;
  }
  sink_.applyHeader();

  const std::string trace = std::to_string(traceSelect_);
  if (traceSelect_ <= storedCount_) {
    progress_.bar2Max = storedCount_;
    progress_.bar2Visible = true;
    progress_.label3Visible = true;
    progress_.label5Visible = true;
  }
  progress_.bar1Max = sink_.header().BlocksPerTrace;
  progress_.bar1Visible = true;
  progress_.label3 = trace + "/" + std::to_string(storedCount_);
  progress_.label5 = trace;
  emitProgress(out);

  blockNo_ = 1;
  phase_ = TransferPhase::AwaitingData;
  dropRestOfFeed_ = true;
  SendRequest(out, true);
}

void BlockTransfer::dataStep(TransferActions& out) {
  progress_.bar1Value = blockNo_;
  ++blockNo_;
  if (blockNo_ > sink_.header().BlocksPerTrace || blockNo_ > kMaxDataBlocks) {
    completionStep(out);
    return;
  }
  emitProgress(out);
  dropRestOfFeed_ = true;
  SendRequest(out, true);
}

void BlockTransfer::completionStep(TransferActions& out) {
  // The trace is decoded before it is saved, and saved before the next one clears it.
  out.emplace_back(action::Decode{});
  if (traceSelect_ <= kMaxUploadedTraces && traceSelect_ <= storedCount_) {
    out.emplace_back(action::AutoSave{traceSelect_, blockNo_});
    out.emplace_back(action::ListSaved{});
  }
  bool another = false;
  if (traceSelect_ == kCurrentTraceSelect) {
    out.emplace_back(action::DataPresent{});
  } else if (traceSelect_ < storedCount_ && traceSelect_ < kMaxUploadedTraces) {
    progress_.bar2Value = traceSelect_;
    another = true;
  } else {
    // The last stored trace: the bar is seen to reach it before it goes.
    progress_.bar2Value = traceSelect_;
    emitProgress(out);
    progress_.bar2Value = 0;
    progress_.bar2Visible = false;
    progress_.label3Visible = false;
  }
  progress_.bar1Value = 0;
  progress_.bar1Visible = false;
  progress_.label5Visible = false;
  emitProgress(out);
  if (another) {
    phase_ = TransferPhase::BetweenTraces;
    out.emplace_back(action::NextTrace{});
  } else {
    phase_ = TransferPhase::Idle;
  }
}

TransferActions BlockTransfer::abandon() {
  TransferActions out;
  if (!busy()) return out;
  phase_ = TransferPhase::Idle;
  synced_ = false;
  filled_ = 0;
  hideProgress(out);
  return out;
}

TransferActions BlockTransfer::fail(FailureReason reason) {
  if (!busy()) return {};
  const TransferFailure failure{reason, traceSelect_, blockNo_};
  TransferActions out = abandon();
  out.emplace_back(action::Failed{failure});
  return out;
}

void BlockTransfer::hideProgress(TransferActions& out) {
  progress_.bar1Visible = false;
  progress_.bar1Value = 0;
  progress_.bar2Visible = false;
  progress_.bar2Value = 0;
  progress_.label3Visible = false;
  progress_.label5Visible = false;
  emitProgress(out);
}

void BlockTransfer::emitProgress(TransferActions& out) const {
  out.emplace_back(action::Progress{progress_});
}

}  // namespace tracelink
