#pragma once

#include <string>

#include "record/result.h"

namespace tracelink::sim {

// A pseudo-terminal in raw mode (no echo, no line editing, no character translation), so
// that bytes pass unchanged in both directions. The simulator holds the master side and
// keeps the device side open too, so that a program may connect, disconnect and connect
// again without the terminal going away.
class PtyDevice {
 public:
  static Result<PtyDevice> open();
  PtyDevice(PtyDevice&& other) noexcept;
  PtyDevice& operator=(PtyDevice&&) = delete;
  PtyDevice(const PtyDevice&) = delete;
  ~PtyDevice();

  int masterFd() const { return master_; }
  // The path a program opens, such as /dev/pts/3.
  const std::string& devicePath() const { return path_; }

 private:
  PtyDevice(int master, int device, std::string path);

  int master_ = -1;
  int device_ = -1;
  std::string path_;
};

}  // namespace tracelink::sim
