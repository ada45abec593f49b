#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "link/block_transfer.h"
#include "record/language.h"
#include "record/result.h"
#include "record/trace_record.h"

namespace tracelink {

class ByteLink;

// What UploadController::abandon() ended.
struct AbandonedUpload {
  bool wasRunning = false;  // a transfer was running
  // It was an upload of all stored traces: how many of them it saved.
  std::optional<UploadAllSummary> summary;
  explicit operator bool() const { return wasRunning; }
};

// Runs the block transfer over an open byte link (the serial port) for the main window.
//
// The window's trace session is handed in as the transfer's sink: received blocks are
// stored in it and each accepted header applied. Everything else the transfer needs from
// the window arrives as a signal, emitted in the order the transfer needs it (connect
// them directly, on the window's thread):
//
//   decodeRecord()        DecodeRecord and redraw; emitted before the trace is saved
//   listSavedTraces()     after each automatic save: ListSavedTraces
//   showNoDatas()         the instrument has no such trace: the "No datas!" box. Show it
//                         without blocking this call (open(), not exec()), or after it
//                         returns: a modal loop would run inside the transfer.
//   progressChanged(p)    how far the transfer has come (trace k of n, block j of m)
//   dataPresent()         an upload of the current trace completed: DataPresent := true
//   failed(f)             the transfer ended early: not connected, a block timed out, the
//                         port failed, the automatic save failed, or a header named no
//                         block count; as data (failureMessage() words it), and at once
//   transferFailed(text)  the same in the build's language, for the status line
//   uploadAllEnded(s)     an Upload All stopped at the 50-trace limit with more stored, or
//                         was abandoned; uploadAllSummaryMessage() words it
//   transferEnded()       no transfer runs any more, however it ended
//
// The automatic save of each stored trace needs an answer, so it is a hook rather than a
// signal (setAutoSaveTrace): it writes the record under the automatic name of traceSelect
// with blockNo sample blocks (BuildRecordText) and returns its Status. A failed save stops
// the upload of stored traces, and the failure carries the hook's error.
//
// Command12_Click calls uploadCurrent(), Command4_Click uploadAll(). A click in the file
// list and the disconnect button call abandon() first, and show the summary it returns
// with what they did. Without an open port an upload leaves the record alone and reports
// that the port is not connected.
class UploadController : public QObject {
  Q_OBJECT

 public:
  using AutoSaveHook = std::function<Status(int traceSelect, int blockNo)>;
  // How long a requested block may take to arrive in full; on the line it needs 0.7 s.
  static constexpr std::chrono::milliseconds kReplyTimeout{5000};

  UploadController(ByteLink& link, TraceSink& sink, Language language, QObject* parent = nullptr);
  ~UploadController() override;

  void setAutoSaveTrace(AutoSaveHook hook) { autoSave_ = std::move(hook); }
  void setReplyTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
  std::chrono::milliseconds replyTimeout() const { return timeout_; }

  // Starts over, whatever ran before: the instrument's current trace / all stored traces.
  void uploadCurrent();
  void uploadAll();
  // The same transfers for a caller that saves each trace itself (the cable upload):
  // `save` takes the place of the automatic save for this upload only. The stored traces
  // first..last (or up to the last stored one) are saved as they complete; the current
  // trace once it is decoded, after dataPresent(). Such an upload never announces an
  // Upload All summary, and abandon() returns none for it: the caller tells its own.
  void uploadStoredRange(int first, int last, AutoSaveHook save);
  void uploadCurrentWith(AutoSaveHook save);
  // Ends a running transfer quietly (progress hidden, nothing decoded or saved from it).
  // An Upload All it ends is announced as ever, and its summary is also returned, for the
  // caller to show beside what it does next.
  AbandonedUpload abandon();

  bool busy() const { return transfer_.busy(); }
  // BlockNo (the block count a manual save writes), the phase and the progress.
  const BlockTransfer& transfer() const { return transfer_; }

 signals:
  void decodeRecord();
  void listSavedTraces();
  void showNoDatas();
  void progressChanged(const tracelink::TransferProgress& progress);
  void dataPresent();
  void failed(const tracelink::TransferFailure& failure);
  void transferFailed(const QString& message);
  void uploadAllEnded(const tracelink::UploadAllSummary& summary);
  void transferEnded();

 private:
  class Host;

  void start(std::uint8_t traceSelect);
  void onBytes(const QByteArray& bytes);
  void onLinkLost(const LinkError& error);
  void onTimeout();
  void reportFailure(const TransferFailure& failure);
  // Carries out the actions in order; stops them at a failed write or save.
  void run(TransferActions actions);

  // Ends an upload of a range once its last trace is complete.
  void endRange();

  ByteLink& link_;
  BlockTransfer transfer_;
  Language language_;
  AutoSaveHook autoSave_;
  std::chrono::milliseconds timeout_ = kReplyTimeout;
  QTimer replyTimer_;
  std::unique_ptr<Host> host_;
  bool running_ = false;  // a transfer ran when the last actions were carried out
  // Of an upload started with its own save: the save, the last trace of its range, and
  // whether the request for the trace after it was held back.
  AutoSaveHook ownSave_;
  int lastSelect_ = kMaxUploadedTraces;
  bool rangeDone_ = false;
};

}  // namespace tracelink

Q_DECLARE_METATYPE(tracelink::TransferProgress)
Q_DECLARE_METATYPE(tracelink::TransferFailure)
Q_DECLARE_METATYPE(tracelink::UploadAllSummary)
