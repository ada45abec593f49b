#include "cli_batch.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

#include <iostream>

#include "cli_command.h"

namespace tracelink::cli {

unsigned batchThreads(unsigned jobs, std::size_t inputs) {
  const unsigned wanted = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::min<std::size_t>(wanted, inputs));
}

bool showsProgress(const std::ostream& err) {
  return &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
}

ProgressLine::ProgressLine(std::ostream& err, std::string_view verb, std::size_t total, bool shown)
    : err_(err), verb_(verb), total_(total), shown_(shown) {}

void ProgressLine::step(std::size_t done, const std::string& file) {
  if (!shown_) return;
  put(verb_ + " " + std::to_string(done) + "/" + std::to_string(total_) + " " + oneLine(file));
}

void ProgressLine::message(std::string_view line) {
  clear();
  fail(err_, line);
}

void ProgressLine::clear() {
  if (shown_ && width_ > 0) put("");
  width_ = 0;
}

void ProgressLine::put(const std::string& line) {
  err_ << '\r' << line;
  // A shorter line blanks what is left of the longer one before it.
  if (line.size() < width_) err_ << std::string(width_ - line.size(), ' ') << '\r' << line;
  if (line.empty()) err_ << '\r';
  err_.flush();
  width_ = line.size();
}

GroupedSaves::GroupedSaves(std::function<void(std::size_t, const Status&)> settled)
    : settled_(std::move(settled)), committer_([this] { commitLoop(); }) {}

GroupedSaves::~GroupedSaves() {
  finish();
  {
    const std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  committer_.join();
}

void GroupedSaves::add(std::size_t i, Result<StagedFile> staged) {
  {
    const std::lock_guard lock(mutex_);
    waiting_.push_back({i, std::move(staged)});
    ++added_;
  }
  changed_.notify_all();
  settle(false);
}

void GroupedSaves::finish() {
  settle(true);
}

void GroupedSaves::commitLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return closing_ || !waiting_.empty(); });
    if (waiting_.empty()) return;  // closing, with nothing left
    std::vector<Entry> group = std::move(waiting_);
    waiting_.clear();
    lock.unlock();
    std::vector<StagedFile> files;
    for (const Entry& e : group)
      if (e.staged) files.push_back(*e.staged);
    const std::vector<Status> committed = CommitStagedFiles(files);
    std::vector<Settled> outcomes;
    std::size_t k = 0;
    for (const Entry& e : group)
      outcomes.push_back({e.index, e.staged ? committed[k++] : Status(e.staged.error())});
    lock.lock();
    for (Settled& s : outcomes) done_.push_back(std::move(s));
    changed_.notify_all();
  }
}

void GroupedSaves::settle(bool waitForAll) {
  std::vector<Settled> ready;
  {
    std::unique_lock lock(mutex_);
    if (waitForAll) changed_.wait(lock, [&] { return settledCount_ + done_.size() == added_; });
    ready = std::move(done_);
    done_.clear();
    settledCount_ += ready.size();
  }
  // Outside the lock: the caller's words may take their time.
  for (const Settled& s : ready) settled_(s.index, s.status);
}

}  // namespace tracelink::cli
