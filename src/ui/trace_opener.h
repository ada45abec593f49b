#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "record/result.h"
#include "session/trace_file.h"

class QThread;

namespace tracelink {

// Reads trace files on a worker thread, so that a large file never freezes the window,
// and hands each result back on the thread that asked for it. Only the latest request
// counts: a result that a later request (or cancel) overtook is dropped unseen.
class TraceOpener : public QObject {
  Q_OBJECT

 public:
  using Read = std::function<Result<OpenedTrace>()>;
  using Done = std::function<void(Result<OpenedTrace>)>;

  explicit TraceOpener(QObject* parent = nullptr);
  // Waits for the readers still running; their results are dropped.
  ~TraceOpener() override;

  // Runs read on a worker; done gets its result here unless another start or cancel came
  // first. Past slowAfterMs of reading, slow() is announced once for this request.
  void start(Read read, Done done, int slowAfterMs = 100);
  // Forgets the request under way, if any.
  void cancel();
  bool busy() const { return busy_; }
  // Waits until every reader has returned; their results are then queued here, to be
  // taken (or dropped, when overtaken) by this thread's event loop.
  void waitForReaders();

 signals:
  // The request under way has taken longer than its slowAfterMs.
  void slow();
  // The request under way finished or was forgotten.
  void idle();

 private:
  void finish(std::uint64_t request, std::shared_ptr<Result<OpenedTrace>> result);
  void reap();

  std::uint64_t request_ = 0;
  bool busy_ = false;
  Done done_;
  QTimer slowTimer_;
  std::vector<QThread*> workers_;
};

}  // namespace tracelink
