#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <vector>

#include "link/cable_upload.h"
#include "link/upload_controller.h"
#include "record/result.h"
#include "record/trace_sink.h"

namespace tracelink {

// One cable upload over the upload controller: the traces the plan chooses, fetched by
// the same block transfer as Upload All, each saved as the plan names it as soon as it is
// complete. The window and the command line both run it; what it saved stays saved
// however the upload ends.
//
//   fiberStarted(f, t)  trace t (fibre f) is arriving: its header was accepted
//   traceDone(r)        what became of one trace (saved, skipped, failed)
//   finished(s)         the upload is over; the summary counts every trace of the plan,
//                       with why it stopped when it did
//
// The controller's own signals (progress, decode, "No datas!", the failure's words) reach
// their usual listeners as well.
class CableUploadRun : public QObject {
  Q_OBJECT

 public:
  CableUploadRun(UploadController& controller, const TraceSink& sink, Language language,
                 QObject* parent = nullptr);

  // The upload time of each trace; the system clock unless replaced.
  void setClock(std::function<QDateTime()> now) { now_ = std::move(now); }

  // Starts the plan's upload, ending whatever the controller was doing. An error, in the
  // plan's language, when the plan cannot be uploaded or its folder cannot be made;
  // nothing is asked of the instrument then. An upload that ends at once (no port) has
  // announced finished() before this returns.
  Status start(const CablePlan& plan);
  // Ends a running cable upload; what it saved stays, and finished() says so.
  void abandon();

  bool running() const { return running_; }
  const CablePlan& plan() const { return plan_; }
  const std::vector<CableTraceResult>& results() const { return results_; }
  CableSummary summary() const;

 signals:
  void fiberStarted(int fiber, int traceSelect);
  void traceDone(const tracelink::CableTraceResult& result);
  void finished(const tracelink::CableSummary& summary);

 private:
  Status saveTrace(int traceSelect, int blockNo);
  void onProgress(const TransferProgress& progress);
  void onFailed(const TransferFailure& failure);
  void onNoDatas();
  void onEnded();
  void finish();
  void add(CableTraceResult result);

  UploadController& controller_;
  const TraceSink& sink_;
  Language language_;
  std::function<QDateTime()> now_;
  CablePlan plan_;
  std::vector<CableTraceResult> results_;
  QElapsedTimer traceClock_;
  bool running_ = false;
  bool abandoned_ = false;
  bool stopped_ = false;  // the transfer failed or found no trace
  std::string stoppedBecause_;
  int arriving_ = 0;      // the trace whose header came last
  int lastTrace_ = 0;     // the last trace that completed or failed
  int storedCount_ = -1;  // the instrument's count, once a header told it
};

}  // namespace tracelink

Q_DECLARE_METATYPE(tracelink::CableTraceResult)
Q_DECLARE_METATYPE(tracelink::CableSummary)
