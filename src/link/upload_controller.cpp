#include "link/upload_controller.h"

#include <algorithm>
#include <span>

#include "link/byte_link.h"
#include "link/transfer_messages.h"

namespace tracelink {

// Carries out the transfer's actions on the link and as the controller's signals.
class UploadController::Host : public TransferHost {
 public:
  explicit Host(UploadController& c) : c_(c) {}

  std::optional<LinkError> send(const action::Send& request) override {
    if (c_.ownSave_ && request.request[1] == kHeaderBlockNo &&
        request.request[0] != kCurrentTraceSelect && request.request[0] > c_.lastSelect_) {
      // The range is complete: its next trace is not asked for (run() ends the transfer).
      c_.rangeDone_ = true;
      return std::nullopt;
    }
    c_.link_.discardInput();
    // One write per byte, as the instrument has always been spoken to. The link queues
    // each byte until the line has taken it; nothing here empties that queue.
    for (const std::uint8_t byte : request.request) {
      if (auto error = c_.link_.write(QByteArray(1, static_cast<char>(byte)))) return error;
    }
    c_.replyTimer_.start(c_.timeout_);
    return std::nullopt;
  }
  void decode() override { emit c_.decodeRecord(); }
  Status autoSave(std::int32_t traceSelect, std::int32_t blockNo) override {
    // Without a hook nothing is saved, and the upload must not count the trace as saved.
    if (c_.ownSave_) return c_.ownSave_(traceSelect, blockNo);
    if (!c_.autoSave_) return Error{};
    return c_.autoSave_(traceSelect, blockNo);
  }
  void listSaved() override { emit c_.listSavedTraces(); }
  void showNoDatas() override { emit c_.showNoDatas(); }
  void progress(const TransferProgress& state) override { emit c_.progressChanged(state); }
  void dataPresent() override {
    emit c_.dataPresent();
    if (!c_.ownSave_) return;
    // The current trace has no automatic save; its own save comes once it is complete, and
    // a failure is told as an automatic save's would be.
    const std::int32_t blockNo = c_.transfer_.BlockNo();
    if (const Status saved = c_.ownSave_(kCurrentTraceSelect, blockNo); !saved) {
      TransferFailure failure =
          makeTransferFailure(FailureReason::SaveFailed, kCurrentTraceSelect, blockNo);
      failure.saveError = saved.error();
      c_.reportFailure(failure);
    }
  }
  void uploadAllEnded(const UploadAllSummary& summary) override {
    if (!c_.ownSave_) emit c_.uploadAllEnded(summary);
  }
  void failed(const TransferFailure& failure) override { c_.reportFailure(failure); }

 private:
  UploadController& c_;
};

UploadController::UploadController(ByteLink& link, TraceSink& sink, Language language,
                                   QObject* parent)
    : QObject(parent),
      link_(link),
      transfer_(sink),
      language_(language),
      host_(std::make_unique<Host>(*this)) {
  qRegisterMetaType<tracelink::TransferProgress>();
  qRegisterMetaType<tracelink::TransferFailure>();
  qRegisterMetaType<tracelink::UploadAllSummary>();
  replyTimer_.setSingleShot(true);
  connect(&replyTimer_, &QTimer::timeout, this, &UploadController::onTimeout);
  connect(&link_, &ByteLink::bytesReceived, this, &UploadController::onBytes);
  connect(&link_, &ByteLink::lost, this, &UploadController::onLinkLost);
}

UploadController::~UploadController() = default;

void UploadController::uploadCurrent() {
  // An upload with its own save ends as such; any other is abandoned by the start itself.
  if (ownSave_) abandon();
  ownSave_ = nullptr;
  start(kCurrentTraceSelect);
}

void UploadController::uploadAll() {
  if (ownSave_) abandon();
  ownSave_ = nullptr;
  start(kFirstStoredSelect);
}

void UploadController::uploadStoredRange(int first, int last, AutoSaveHook save) {
  abandon();
  ownSave_ = std::move(save);
  lastSelect_ = std::clamp(last, 1, static_cast<int>(kMaxUploadedTraces));
  start(static_cast<std::uint8_t>(std::clamp(first, 1, static_cast<int>(kMaxUploadedTraces))));
}

void UploadController::uploadCurrentWith(AutoSaveHook save) {
  abandon();
  ownSave_ = std::move(save);
  lastSelect_ = kMaxUploadedTraces;
  start(kCurrentTraceSelect);
}

void UploadController::start(std::uint8_t traceSelect) {
  if (!link_.isOpen()) {
    // Nothing could be sent, so the record and the screen keep the trace they show.
    abandon();
    ownSave_ = nullptr;
    reportFailure(makeTransferFailure(FailureReason::NotConnected, traceSelect, kHeaderBlockNo));
    return;
  }
  run(transfer_.startUpload(traceSelect));
}

AbandonedUpload UploadController::abandon() {
  if (!transfer_.busy()) return {};
  TransferActions actions = transfer_.abandon();
  AbandonedUpload abandoned{true, std::nullopt};
  for (const TransferAction& a : actions)
    if (const auto* ended = std::get_if<action::UploadAllEnded>(&a); ended && !ownSave_)
      abandoned.summary = ended->summary;
  run(std::move(actions));
  return abandoned;
}

void UploadController::onBytes(const QByteArray& bytes) {
  if (!transfer_.busy()) return;
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
  run(transfer_.feed(std::span(data, static_cast<std::size_t>(bytes.size()))));
}

void UploadController::onLinkLost(const LinkError& error) {
  run(transfer_.fail(FailureReason::PortLost, error));
}

void UploadController::onTimeout() {
  run(transfer_.fail(FailureReason::TimedOut));
}

void UploadController::reportFailure(const TransferFailure& failure) {
  emit failed(failure);
  emit transferFailed(QString::fromStdString(failureMessage(failure, language_, timeout_)));
}

void UploadController::endRange() {
  rangeDone_ = false;
  // Abandoning hides the progress as the last stored trace would; the Upload All summary
  // it adds is not announced for an upload with its own save.
  runTransferActions(transfer_, transfer_.abandon(), *host_);
}

void UploadController::run(TransferActions actions) {
  runTransferActions(transfer_, std::move(actions), *host_);
  if (rangeDone_) endRange();
  if (transfer_.busy()) {
    running_ = true;
  } else {
    replyTimer_.stop();
    // The caller's save belongs to the upload that has ended.
    ownSave_ = nullptr;
    if (running_) {
      running_ = false;
      emit transferEnded();
    }
  }
}

}  // namespace tracelink
