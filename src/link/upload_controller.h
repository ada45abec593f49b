#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>

#include "link/block_transfer.h"
#include "record/language.h"
#include "record/trace_record.h"

namespace tracelink {

class SerialLink;

// Runs the block transfer over the open serial link for the main window.
//
// The window's trace session is handed in as the transfer's sink: received blocks are
// stored in it and each accepted header applied. Everything else the transfer needs from
// the window arrives as a signal, emitted in the order the transfer needs it (connect
// them directly, on the window's thread):
//
//   recordTextCleared()   a new trace request cleared the record: RecordText := empty
//   decodeRecord()        DecodeRecord and redraw; emitted before the trace is saved
//   listSavedTraces()     after each automatic save: ListSavedTraces
//   showNoDatas()         the instrument has no such trace: the "No datas!" box. Show it
//                         without blocking this call (open(), not exec()), or after it
//                         returns: a modal loop would run inside the transfer.
//   progressChanged(s)    show ProgressBar1/2, Label3, Label5 as s says
//   dataPresent()         an upload of the current trace completed: DataPresent := true
//   transferFailed(text)  the status-bar text: not connected, a block timed out (naming the
//                         trace and block), the port failed, or the automatic save failed
//   transferEnded()       no transfer runs any more, however it ended
//
// The automatic save of each stored trace needs an answer, so it is a hook rather than a
// signal (setAutoSaveTrace): it writes the record under the automatic name of traceSelect
// with blockNo sample blocks (BuildRecordText) and returns an error text, or an empty
// string on success. A failed save stops the upload of stored traces.
//
// Command12_Click calls uploadCurrent(), Command4_Click uploadAll(). A click in the file
// list and the disconnect button call abandon() first. Without an open port an upload
// leaves the record alone and reports that the port is not connected.
class UploadController : public QObject {
  Q_OBJECT

 public:
  using AutoSaveHook = std::function<QString(int traceSelect, int blockNo)>;
  // How long a requested block may take to arrive in full; on the line it needs 0.7 s.
  static constexpr std::chrono::milliseconds kReplyTimeout{5000};

  UploadController(SerialLink& link, TraceSink& sink, Language language, QObject* parent = nullptr);

  void setAutoSaveTrace(AutoSaveHook hook) { autoSave_ = std::move(hook); }
  void setReplyTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
  std::chrono::milliseconds replyTimeout() const { return timeout_; }

  // Starts over, whatever ran before: the instrument's current trace / all stored traces.
  void uploadCurrent();
  void uploadAll();
  // Ends a running transfer quietly (progress hidden, nothing decoded or saved from it).
  // Returns whether one was running.
  bool abandon();

  bool busy() const { return transfer_.busy(); }
  // TraceSelect, BlockNo (the block count a manual save writes), StoredCount, progress.
  const BlockTransfer& transfer() const { return transfer_; }

 signals:
  void recordTextCleared();
  void decodeRecord();
  void listSavedTraces();
  void showNoDatas();
  void progressChanged(const tracelink::ProgressState& state);
  void dataPresent();
  void transferFailed(const QString& message);
  void transferEnded();

 private:
  void start(std::uint8_t traceSelect);
  void onBytes(const QByteArray& bytes);
  void onPortLost(const QString& message);
  void onTimeout();
  // Carries out the actions in order; stops them at a failed write or save.
  void run(TransferActions actions);
  // Runs the transfer's failure actions, with detail appended to the message.
  void failWith(FailureReason reason, const QString& detail);
  bool send(const action::Send& request, QString* error);

  SerialLink& link_;
  BlockTransfer transfer_;
  Language language_;
  AutoSaveHook autoSave_;
  std::chrono::milliseconds timeout_ = kReplyTimeout;
  QTimer replyTimer_;
  QString failureDetail_;
  bool running_ = false;  // a transfer ran when the last actions were carried out
};

}  // namespace tracelink

Q_DECLARE_METATYPE(tracelink::ProgressState)
