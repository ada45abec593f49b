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

}  // namespace tracelink::cli
