#include "ui/trace_opener.h"

#include <QThread>
#include <algorithm>

namespace tracelink {

TraceOpener::TraceOpener(QObject* parent) : QObject(parent) {
  slowTimer_.setSingleShot(true);
  connect(&slowTimer_, &QTimer::timeout, this, [this] {
    if (busy_) emit slow();
  });
}

TraceOpener::~TraceOpener() {
  // A worker only reads a file into its own memory; it is waited for, never cut off.
  waitForReaders();
  for (QThread* worker : workers_) delete worker;
}

void TraceOpener::waitForReaders() {
  for (QThread* worker : workers_) worker->wait();
}

void TraceOpener::start(Read read, Done done, int slowAfterMs) {
  const std::uint64_t request = ++request_;
  busy_ = true;
  done_ = std::move(done);
  slowTimer_.start(slowAfterMs);
  QThread* worker = QThread::create([this, request, read = std::move(read)] {
    auto result = std::make_shared<Result<OpenedTrace>>(read());
    // Back on the opener's thread; the opener outlives its workers (it waits for them).
    QMetaObject::invokeMethod(
        this, [this, request, result] { finish(request, result); }, Qt::QueuedConnection);
  });
  workers_.push_back(worker);
  connect(worker, &QThread::finished, this, &TraceOpener::reap, Qt::QueuedConnection);
  worker->start();
}

void TraceOpener::cancel() {
  if (!busy_) return;
  ++request_;
  busy_ = false;
  done_ = {};
  slowTimer_.stop();
  emit idle();
}

void TraceOpener::finish(std::uint64_t request, std::shared_ptr<Result<OpenedTrace>> result) {
  if (request != request_ || !busy_) return;  // overtaken by a later request
  busy_ = false;
  slowTimer_.stop();
  const Done done = std::move(done_);
  done_ = {};
  emit idle();
  done(std::move(*result));
}

void TraceOpener::reap() {
  const auto finished = std::stable_partition(workers_.begin(), workers_.end(),
                                              [](QThread* w) { return !w->isFinished(); });
  for (auto it = finished; it != workers_.end(); ++it) delete *it;
  workers_.erase(finished, workers_.end());
}

}  // namespace tracelink
