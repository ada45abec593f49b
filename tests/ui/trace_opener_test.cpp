// Reading on a worker: the result comes back on the asking thread, slow reads say so, and
// only the latest request is answered. Every wait is on an event, never on the clock.
#include "ui/trace_opener.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>
#include <future>

namespace tracelink {
namespace {

Result<OpenedTrace> traceWithPoints(std::size_t n) {
  Trace t;
  t.levels.assign(n, 0);
  t.spacingM = 1;
  return OpenedTrace{std::move(t)};
}

std::size_t pointsOf(const Result<OpenedTrace>& r) {
  return r.ok() && !r->isRecord() ? std::get<Trace>(r->content).size() : 0;
}

TEST(TraceOpener, ASlowReadIsAnnouncedAndItsResultComesBackHere) {
  TraceOpener opener;
  QSignalSpy slow(&opener, &TraceOpener::slow);
  QSignalSpy idle(&opener, &TraceOpener::idle);
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  QThread* readOn = nullptr;
  std::size_t got = 0;
  QThread* doneOn = nullptr;
  opener.start(
      [&readOn, released] {
        readOn = QThread::currentThread();
        released.wait();
        return traceWithPoints(7);
      },
      [&](Result<OpenedTrace> r) {
        got = pointsOf(r);
        doneOn = QThread::currentThread();
      },
      0);
  EXPECT_TRUE(opener.busy());
  ASSERT_TRUE(slow.wait());  // the read is still held
  EXPECT_EQ(idle.count(), 0);
  release.set_value();
  ASSERT_TRUE(idle.wait());
  EXPECT_EQ(got, 7u);
  EXPECT_EQ(doneOn, QThread::currentThread());
  EXPECT_NE(readOn, QThread::currentThread());
  EXPECT_FALSE(opener.busy());
  EXPECT_EQ(slow.count(), 1);
}

TEST(TraceOpener, TheLaterRequestWinsAndAnOvertakenOneIsNeverAnswered) {
  TraceOpener opener;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::vector<std::size_t> answers;
  const auto done = [&](Result<OpenedTrace> r) { answers.push_back(pointsOf(r)); };
  opener.start(
      [released] {
        released.wait();
        return traceWithPoints(1);
      },
      done);
  opener.start([] { return traceWithPoints(2); }, done);
  QSignalSpy idle(&opener, &TraceOpener::idle);
  ASSERT_TRUE(idle.wait());
  EXPECT_EQ(answers, std::vector<std::size_t>{2});
  // The first one returns after all; its result is dropped.
  release.set_value();
  opener.waitForReaders();
  QCoreApplication::sendPostedEvents(&opener);
  EXPECT_EQ(answers, std::vector<std::size_t>{2});

  // A cancelled request is not answered either.
  opener.start([] { return traceWithPoints(3); }, done);
  opener.cancel();
  EXPECT_FALSE(opener.busy());
  opener.waitForReaders();
  QCoreApplication::sendPostedEvents(&opener);
  EXPECT_EQ(answers, std::vector<std::size_t>{2});
}

}  // namespace
}  // namespace tracelink
