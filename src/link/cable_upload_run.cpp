#include "link/cable_upload_run.h"

#include <QPointer>

#include "files/trace_library.h"
#include "link/transfer_messages.h"

namespace tracelink {

namespace {

UploadTime uploadTimeOf(const QDateTime& moment) {
  const QDateTime local = moment.toLocalTime();
  UploadTime t;
  t.utcSeconds = moment.toSecsSinceEpoch();
  t.year = local.date().year();
  t.month = local.date().month();
  t.day = local.date().day();
  t.hour = local.time().hour();
  t.minute = local.time().minute();
  t.second = local.time().second();
  return t;
}

}  // namespace

CableUploadRun::CableUploadRun(UploadController& controller, const TraceSink& sink,
                               Language language, QObject* parent)
    : QObject(parent), controller_(controller), sink_(sink), language_(language), now_([] {
        return QDateTime::currentDateTime();
      }) {
  qRegisterMetaType<tracelink::CableTraceResult>();
  qRegisterMetaType<tracelink::CableSummary>();
  connect(&controller_, &UploadController::progressChanged, this, &CableUploadRun::onProgress);
  connect(&controller_, &UploadController::failed, this, &CableUploadRun::onFailed);
  connect(&controller_, &UploadController::showNoDatas, this, &CableUploadRun::onNoDatas);
  connect(&controller_, &UploadController::transferEnded, this, &CableUploadRun::onEnded);
}

Status CableUploadRun::start(const CablePlan& plan) {
  CablePlan checked = plan;
  checked.language = language_;
  if (const std::optional<CablePlanProblem> problem = CheckCablePlan(checked))
    return Error(cablePlanProblemText(*problem, language_));
  if (const Status folder = EnsureFolder(checked.folder); !folder)
    return Error(folder.error().text(language_));
  // Whatever ran before ends as itself, before this upload counts anything.
  if (running_) abandon();
  (void)controller_.abandon();

  plan_ = std::move(checked);
  results_.clear();
  abandoned_ = false;
  stopped_ = false;
  stoppedBecause_.clear();
  arriving_ = 0;
  lastTrace_ = 0;
  storedCount_ = -1;
  running_ = true;
  traceClock_.start();

  const QPointer<CableUploadRun> self(this);
  auto save = [self](int traceSelect, int blockNo) -> Status {
    if (!self) return Error{};
    return self->saveTrace(traceSelect, blockNo);
  };
  if (plan_.traces.kind == TraceChoice::Kind::Current) {
    controller_.uploadCurrentWith(save);
  } else {
    controller_.uploadStoredRange(plan_.traces.first, plan_.traces.last, save);
  }
  // Without a port nothing ran, and nothing will end.
  if (running_ && !controller_.busy()) finish();
  return {};
}

void CableUploadRun::abandon() {
  if (!running_) return;
  abandoned_ = true;
  (void)controller_.abandon();
  if (running_) finish();
}

CableSummary CableUploadRun::summary() const {
  CableSummary s = SummarizeCable(results_);
  s.abandoned = abandoned_;
  s.stoppedBecause = stoppedBecause_;
  return s;
}

Status CableUploadRun::saveTrace(int traceSelect, int blockNo) {
  CableTraceResult result = SaveCableTrace(plan_, sink_.record(), sink_.header(), blockNo,
                                           traceSelect, uploadTimeOf(now_()));
  result.blocks = blockNo - 1;
  result.seconds = static_cast<double>(traceClock_.nsecsElapsed()) / 1e9;
  traceClock_.start();
  lastTrace_ = traceSelect;
  const bool failed = result.outcome == CableTraceResult::Outcome::Failed;
  std::string failure = result.failure;
  add(std::move(result));
  // A save that failed stops the upload: the traces after it would go the same way.
  if (failed) return Error(failure);
  return {};
}

void CableUploadRun::onProgress(const TransferProgress& progress) {
  if (!running_ || progress.phase != ProgressPhase::Receiving) return;
  if (progress.counted) storedCount_ = progress.stored;
  if (progress.trace == arriving_) return;
  arriving_ = progress.trace;
  emit fiberStarted(FiberNumber(plan_, arriving_), arriving_);
}

void CableUploadRun::onFailed(const TransferFailure& failure) {
  if (!running_) return;
  stopped_ = true;
  stoppedBecause_ = failureMessage(failure, language_, controller_.replyTimeout());
  // A failed save has its own result already.
  if (failure.reason == FailureReason::SaveFailed) return;
  CableTraceResult result;
  result.traceSelect = failure.traceSelect;
  result.fiber = FiberNumber(plan_, failure.traceSelect);
  result.failure = stoppedBecause_;
  result.failureNamesTrace = failure.reason != FailureReason::NotConnected;
  result.seconds = static_cast<double>(traceClock_.nsecsElapsed()) / 1e9;
  lastTrace_ = failure.traceSelect;
  add(std::move(result));
}

void CableUploadRun::onNoDatas() {
  if (!running_) return;
  stopped_ = true;
  CableTraceResult result;
  if (plan_.traces.kind == TraceChoice::Kind::Current) {
    result.traceSelect = kCurrentTraceSelect;
  } else {
    result.traceSelect = lastTrace_ > 0 ? lastTrace_ + 1 : plan_.traces.first;
  }
  result.fiber = FiberNumber(plan_, result.traceSelect);
  result.failure = cableNoDatasText(language_);
  stoppedBecause_ = cableTraceLine(result, language_);
  lastTrace_ = result.traceSelect;
  add(std::move(result));
}

void CableUploadRun::onEnded() {
  if (!running_) return;
  // The transfer ended on its own only after the last trace it was to fetch; any other
  // end without a failure was someone abandoning it (the disconnect button, a click in
  // the file list, another upload).
  if (!stopped_ && !abandoned_) {
    const bool complete =
        plan_.traces.kind == TraceChoice::Kind::Current
            ? !results_.empty()
            : lastTrace_ > 0 && (lastTrace_ >= plan_.traces.last ||
                                 (storedCount_ >= 0 && lastTrace_ >= storedCount_));
    abandoned_ = !complete;
  }
  finish();
}

void CableUploadRun::finish() {
  // A range that runs past the instrument's last trace: the traces beyond it are named.
  if (!abandoned_ && !stopped_ && plan_.traces.kind == TraceChoice::Kind::Range &&
      storedCount_ >= 0) {
    for (int t = std::max(lastTrace_ + 1, plan_.traces.first); t <= plan_.traces.last; ++t) {
      CableTraceResult result;
      result.traceSelect = t;
      result.fiber = FiberNumber(plan_, t);
      result.failure = cableNotStoredText(t, storedCount_, language_);
      result.failureNamesTrace = true;
      add(std::move(result));
    }
  }
  running_ = false;
  emit finished(summary());
}

void CableUploadRun::add(CableTraceResult result) {
  results_.push_back(std::move(result));
  emit traceDone(results_.back());
}

}  // namespace tracelink
