#include "sim/sim_server.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "link/wire_format.h"

namespace tracelink::sim {

namespace {

using Clock = std::chrono::steady_clock;

// One byte on the line with a start and a stop bit.
constexpr std::chrono::nanoseconds kByteTime{1'000'000'000LL * 10 / kLineBaud};

struct Server {
  Server(int f, const SimInstrument& i, const ServeOptions& o, const volatile std::sig_atomic_t& s)
      : fd(f), instrument(i), options(o), stop(s) {}

  int fd;
  const SimInstrument& instrument;
  const ServeOptions& options;
  const volatile std::sig_atomic_t& stop;
  SplitMix junkSource{options.seed ^ 0x5A5A5A5Aull};
  std::vector<std::uint8_t> pending;  // request bytes not yet paired
  int requests = 0;

  // Waits for input (and for room to write when `writing`). Returns false on stop.
  bool wait(bool writing, int timeoutMs, bool& readable, bool& writable) {
    pollfd p{fd, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
    const int n = poll(&p, 1, timeoutMs);
    readable = n > 0 && (p.revents & POLLIN);
    writable = n > 0 && (p.revents & POLLOUT);
    return !stop;
  }

  void readInput() {
    std::uint8_t buf[256];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) pending.insert(pending.end(), buf, buf + n);
  }

  // Sends a reply; returns early when a new request comes in meanwhile.
  void send(const std::vector<std::uint8_t>& bytes) {
    std::size_t sent = 0;
    const Clock::time_point start = Clock::now();
    while (sent < bytes.size() && !stop) {
      std::size_t allowed = bytes.size();
      if (options.lineRate) {
        allowed = std::min<std::size_t>(bytes.size(), (Clock::now() - start) / kByteTime);
      }
      if (allowed > sent) {
        const ssize_t n = ::write(fd, bytes.data() + sent, allowed - sent);
        if (n > 0) sent += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        if (sent == bytes.size()) return;
      }
      bool readable = false, writable = false;
      const bool blocked = allowed > sent;
      if (!wait(blocked, 1, readable, writable)) return;
      if (readable) {
        readInput();
        if (pending.size() >= kRequestBytes) return;
      }
    }
  }

  void answer(std::uint8_t select, std::uint8_t block) {
    ++requests;
    if (options.log) {
      std::fprintf(options.log, "%02X %02X\n", select, block);
      std::fflush(options.log);
    }
    if (options.silentAfter && requests > *options.silentAfter) return;
    std::vector<std::uint8_t> junk(static_cast<std::size_t>(options.garbage));
    for (auto& b : junk) {
      do b = static_cast<std::uint8_t>(junkSource.next());
      while (b == kSyncByte);
    }
    send(instrument.reply(select, block, junk));
  }

  void run() {
    while (!stop) {
      while (pending.size() >= kRequestBytes) {
        const std::uint8_t select = pending[0], block = pending[1];
        pending.erase(pending.begin(), pending.begin() + kRequestBytes);
        answer(select, block);
      }
      bool readable = false, writable = false;
      if (!wait(false, 200, readable, writable)) return;
      if (readable) readInput();
    }
  }
};

}  // namespace

void serve(int masterFd, const SimInstrument& instrument, const ServeOptions& options,
           const volatile std::sig_atomic_t& stop) {
  Server(masterFd, instrument, options, stop).run();
}

}  // namespace tracelink::sim
