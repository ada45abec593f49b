#include "ui_test_support.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace tracelink::test {

FakePort::FakePort(bool withHardware) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) return;
  grantpt(master_);
  if (withHardware) unlockpt(master_);
  device_ = QString::fromLocal8Bit(ptsname(master_));
}

FakePort::~FakePort() {
  if (master_ >= 0) ::close(master_);
}

TraceRecord makeRecord(std::int32_t rangeN, std::int32_t reglw, std::int32_t wendu) {
  TraceRecord r;
  r[slot::kRangeN] = rangeN;
  r[slot::kStartPoint] = 1;
  r[slot::kRangeLine] = 40000;
  r[slot::kReglw] = reglw;
  r[slot::kWendu] = wendu;
  r[slot::kEventCount] = 2;
  const std::int32_t events[2][4] = {{1000, 1, 2000, 1850}, {3000, 2, 1700, 1600}};
  for (int i = 0; i < 2; ++i)
    for (int w = 0; w < 4; ++w)
      r[static_cast<std::size_t>(slot::kEventList + 4 * i + w)] = events[i][w];
  for (int s = 0; s < kMaxDataBlocks * kBlockWords; ++s)
    r[static_cast<std::size_t>(s)] = 900 - s / 100;
  return r;
}

MainWindowOptions Harness::options(const QString& saveFolder,
                                   std::function<QString(int)> mapping) const {
  MainWindowOptions o;
  o.saveFolder = saveFolder;
  o.clock = clock;
  o.saveDialog = dialog;
  o.messages = messages;
  o.portMapping = std::move(mapping);
  // The machine's own serial adapters must not change what the tests see in the port box.
  o.systemPorts = [] { return std::vector<SystemPort>{}; };
  return o;
}

}  // namespace tracelink::test
