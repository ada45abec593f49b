#include "link/upload_controller.h"

#include <span>
#include <type_traits>

#include "link/serial_link.h"
#include "link/transfer_messages.h"

namespace tracelink {

UploadController::UploadController(SerialLink& link, TraceSink& sink, Language language,
                                   QObject* parent)
    : QObject(parent), link_(link), transfer_(sink), language_(language) {
  qRegisterMetaType<tracelink::ProgressState>();
  replyTimer_.setSingleShot(true);
  connect(&replyTimer_, &QTimer::timeout, this, &UploadController::onTimeout);
  connect(&link_, &SerialLink::bytesReceived, this, &UploadController::onBytes);
  connect(&link_, &SerialLink::portLost, this, &UploadController::onPortLost);
}

void UploadController::uploadCurrent() {
  start(kCurrentTraceSelect);
}

void UploadController::uploadAll() {
  start(kFirstStoredSelect);
}

void UploadController::start(std::uint8_t traceSelect) {
  if (!link_.isOpen()) {
    // Nothing could be sent, so the record and the screen keep the trace they show.
    abandon();
    emit transferFailed(QString::fromStdString(failureMessage(
        {FailureReason::NotConnected, traceSelect, kHeaderBlockNo}, language_, timeout_)));
    return;
  }
  run(transfer_.startUpload(traceSelect));
}

bool UploadController::abandon() {
  if (!transfer_.busy()) return false;
  run(transfer_.abandon());
  return true;
}

void UploadController::onBytes(const QByteArray& bytes) {
  if (!transfer_.busy()) return;
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
  run(transfer_.feed(std::span(data, static_cast<std::size_t>(bytes.size()))));
}

void UploadController::onPortLost(const QString& message) {
  failWith(FailureReason::PortLost, message);
}

void UploadController::onTimeout() {
  failWith(FailureReason::TimedOut, {});
}

void UploadController::failWith(FailureReason reason, const QString& detail) {
  failureDetail_ = detail;
  run(transfer_.fail(reason));
  failureDetail_.clear();
}

bool UploadController::send(const action::Send& request, QString* error) {
  if (request.discardPendingInput) link_.discardInput();
  // One write per byte, as the instrument has always been spoken to. The port queues
  // each byte until the line has taken it; nothing here empties that queue.
  for (const std::uint8_t byte : request.request) {
    if (!link_.write(QByteArray(1, static_cast<char>(byte)), error)) return false;
  }
  return true;
}

void UploadController::run(TransferActions actions) {
  for (std::size_t i = 0; i < actions.size(); ++i) {
    // Copied: a NextTrace action appends to the list while it is walked.
    const TransferAction current = actions[i];
    std::visit(
        [&](const auto& a) {
          using A = std::decay_t<decltype(a)>;
          if constexpr (std::is_same_v<A, action::Send>) {
            QString error;
            if (!send(a, &error)) {
              failureDetail_ = error;
              actions.resize(i + 1);
              const TransferActions failed = transfer_.fail(FailureReason::PortLost);
              actions.insert(actions.end(), failed.begin(), failed.end());
              return;
            }
            replyTimer_.start(timeout_);
          } else if constexpr (std::is_same_v<A, action::ClearRecordText>) {
            emit recordTextCleared();
          } else if constexpr (std::is_same_v<A, action::Decode>) {
            emit decodeRecord();
          } else if constexpr (std::is_same_v<A, action::AutoSave>) {
            const QString error = autoSave_ ? autoSave_(a.traceSelect, a.blockNo)
                                            : tr("automatic saving is not available");
            if (!error.isEmpty()) {
              // Later traces would be fetched only to be lost the same way.
              failureDetail_ = error;
              actions.resize(i + 1);
              TransferActions failed = transfer_.fail(FailureReason::SaveFailed);
              if (failed.empty()) {
                // The last stored trace: its transfer has ended already, so its own
                // final progress (everything hidden) stands, and the reason is still told.
                failed = {action::Progress{transfer_.progress()},
                          action::Failed{{FailureReason::SaveFailed, a.traceSelect, a.blockNo}}};
              }
              actions.insert(actions.end(), failed.begin(), failed.end());
            }
          } else if constexpr (std::is_same_v<A, action::ListSaved>) {
            emit listSavedTraces();
          } else if constexpr (std::is_same_v<A, action::ShowNoDatas>) {
            emit showNoDatas();
          } else if constexpr (std::is_same_v<A, action::Progress>) {
            emit progressChanged(a.state);
          } else if constexpr (std::is_same_v<A, action::DataPresent>) {
            emit dataPresent();
          } else if constexpr (std::is_same_v<A, action::NextTrace>) {
            const TransferActions next = transfer_.RequestNextTrace();
            actions.insert(actions.end(), next.begin(), next.end());
          } else if constexpr (std::is_same_v<A, action::Failed>) {
            emit transferFailed(QString::fromStdString(
                failureMessage(a.failure, language_, timeout_, failureDetail_.toStdString())));
          }
        },
        current);
  }
  if (transfer_.busy()) {
    running_ = true;
  } else {
    replyTimer_.stop();
    if (running_) {
      running_ = false;
      emit transferEnded();
    }
  }
}

}  // namespace tracelink
