#pragma once

// What every batch command (sor, report, …) shares: a pool of threads that works on the
// inputs and hands the outcomes back in input order, and the progress line a terminal
// shows meanwhile.
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "files/atomic_file.h"
#include "record/result.h"

namespace tracelink::cli {

// The threads a batch of `inputs` works on: `jobs` (0: one per core), never more than
// there are inputs.
unsigned batchThreads(unsigned jobs, std::size_t inputs);

// Whether err is this process's standard error and a terminal shows it: the progress
// line is for a person watching, never for a file, a pipe or a caller's stream.
bool showsProgress(const std::ostream& err);

// One line "VERB 37/500 name" on a terminal, rewritten in place (a name's line breaks as
// escapes, so that it stays one line); nothing when not shown.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, std::string_view verb, std::size_t total, bool shown);
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  void step(std::size_t done, const std::string& file);
  // A failure line ("tracelink-cli: ..."), written above the progress line.
  void message(std::string_view line);
  // Takes the progress line away, leaving the cursor at the start of an empty line.
  void clear();

 private:
  void put(const std::string& line);
  std::ostream& err_;
  std::string verb_;
  std::size_t total_;
  bool shown_;
  std::size_t width_ = 0;
};

// Runs work(i) for every input 0 .. count-1 on `threads` threads and hands the outcomes to
// the caller in input order as they become ready. At most `ahead` outcomes (at least 4,
// or twice the threads) wait to be taken, so a long batch does not hold them all at once.
// Leaving outcomes untaken is fine: the destructor starts no more work and waits for the
// work under way.
template <class T>
class OrderedPool {
 public:
  OrderedPool(std::size_t count, unsigned threads, std::function<T(std::size_t)> work)
      : work_(std::move(work)), results_(count), ahead_(std::max<std::size_t>(2 * threads, 4)) {
    for (unsigned t = 0; t < threads; ++t) threads_.emplace_back([this] { run(); });
  }
  OrderedPool(const OrderedPool&) = delete;
  OrderedPool& operator=(const OrderedPool&) = delete;
  ~OrderedPool() {
    {
      const std::lock_guard lock(mutex_);
      next_ = results_.size();  // nothing more is started
      taken_ = results_.size();
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  // Waits for outcome i; outcomes are taken once each, in order.
  T take(std::size_t i) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return results_[i].has_value(); });
    T value = std::move(*results_[i]);
    results_[i].reset();
    taken_ = i + 1;
    changed_.notify_all();
    return value;
  }

 private:
  void run() {
    for (;;) {
      std::size_t i = 0;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return next_ >= results_.size() || next_ < taken_ + ahead_; });
        if (next_ >= results_.size()) return;
        i = next_++;
      }
      T value = work_(i);
      {
        const std::lock_guard lock(mutex_);
        results_[i] = std::move(value);
      }
      changed_.notify_all();
    }
  }

  std::function<T(std::size_t)> work_;
  std::vector<std::optional<T>> results_;
  std::size_t ahead_;
  std::size_t next_ = 0;
  std::size_t taken_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> threads_;
};

// A whole batch: work(i) on the pool for each of `files`, then on the calling thread, in
// input order, the progress line's step and done(i, outcome). The progress line is gone
// when it returns.
template <class T>
void runBatch(const std::vector<std::string>& files, unsigned jobs, ProgressLine& progress,
              std::function<T(std::size_t)> work,
              const std::function<void(std::size_t, T&&)>& done) {
  {
    OrderedPool<T> pool(files.size(), batchThreads(jobs, files.size()), std::move(work));
    for (std::size_t i = 0; i < files.size(); ++i) {
      T outcome = pool.take(i);
      progress.step(i + 1, files[i]);
      done(i, std::move(outcome));
    }
  }
  progress.clear();
}

// The files of a batch brought to the disk a group at a time. Waiting for the disk once
// per file held each worker up for a journal commit, and the workers' commits queued
// behind one another, so that a second worker gained nothing. Instead the workers only
// stage their files (StageFile) and the batch's thread hands them here: a thread of its
// own commits whatever has gathered with one flush (CommitStagedFiles), so the groups
// grow as long as a flush takes and no worker waits for the disk.
//
// Each entry's outcome, a failure to stage included, is settled on the thread that adds
// the entries and in the order they were added, so failures are told in input order.
class GroupedSaves {
 public:
  // settled(i, status) for entry i once its file has its name or has failed.
  explicit GroupedSaves(std::function<void(std::size_t, const Status&)> settled);
  // Waits for every entry and settles it, as finish does.
  ~GroupedSaves();
  GroupedSaves(const GroupedSaves&) = delete;
  GroupedSaves& operator=(const GroupedSaves&) = delete;

  // Hands entry i over, then settles the entries that are already committed.
  void add(std::size_t i, Result<StagedFile> staged);
  // Waits until every entry is committed and settles them.
  void finish();

 private:
  struct Entry {
    std::size_t index;
    Result<StagedFile> staged;
  };
  struct Settled {
    std::size_t index;
    Status status;
  };
  void commitLoop();
  void settle(bool waitForAll);

  std::function<void(std::size_t, const Status&)> settled_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Entry> waiting_;  // handed over, not yet taken by the committing thread
  std::vector<Settled> done_;   // committed, not yet settled
  std::size_t added_ = 0;
  std::size_t settledCount_ = 0;
  bool closing_ = false;
  std::thread committer_;  // last, so that it starts once the members above exist
};

}  // namespace tracelink::cli
