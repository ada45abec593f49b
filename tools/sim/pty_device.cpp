#include "sim/pty_device.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tracelink::sim {

namespace {

Error systemError(const std::string& what) {
  return Error{what + ": " + std::strerror(errno)};
}

}  // namespace

Result<PtyDevice> PtyDevice::open() {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) return systemError("posix_openpt");
  if (grantpt(master) != 0 || unlockpt(master) != 0) {
    Error e = systemError("grantpt/unlockpt");
    ::close(master);
    return e;
  }
  const char* name = ptsname(master);
  if (name == nullptr) {
    Error e = systemError("ptsname");
    ::close(master);
    return e;
  }
  std::string path = name;
  const int device = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (device < 0) {
    Error e = systemError(path);
    ::close(master);
    return e;
  }
  termios tio{};
  if (tcgetattr(device, &tio) == 0) {
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    tcsetattr(device, TCSANOW, &tio);
  }
  // The serving loop never blocks on a terminal nobody reads.
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  return PtyDevice(master, device, std::move(path));
}

PtyDevice::PtyDevice(int master, int device, std::string path)
    : master_(master), device_(device), path_(std::move(path)) {}

PtyDevice::PtyDevice(PtyDevice&& other) noexcept
    : master_(other.master_), device_(other.device_), path_(std::move(other.path_)) {
  other.master_ = -1;
  other.device_ = -1;
}

PtyDevice::~PtyDevice() {
  if (device_ >= 0) ::close(device_);
  if (master_ >= 0) ::close(master_);
}

}  // namespace tracelink::sim
