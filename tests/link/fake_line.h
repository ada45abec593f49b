#pragma once

#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "link/byte_link.h"
#include "link/fake_instrument.h"

// An in-process line to a FakeInstrument. Each two-byte request queues the instrument's
// reply, which arrives through the event loop in reads of a chosen size, as a serial
// driver might cut it. The instrument can fall silent, and the line can be lost halfway
// through a reply.
class FakeLine : public tracelink::ByteLink {
 public:
  explicit FakeLine(const FakeInstrument& instrument) : instrument_(instrument) {
    delivery_.setSingleShot(true);
    delivery_.setInterval(0);
    connect(&delivery_, &QTimer::timeout, this, &FakeLine::deliver);
  }

  std::size_t chunk = 8001;  // the largest read
  // Reads of random sizes 1..chunk, from seed.
  void randomReads(unsigned seed) {
    random_.seed(seed);
    randomReads_ = true;
  }
  std::vector<std::uint8_t> junk;
  int silentAfter = -1;  // requests answered before the instrument falls silent
  int loseAt = -1;       // the request whose reply stops halfway, and the line is lost
  int refuseAfter = -1;  // requests taken before every write is refused
  std::vector<std::string> requests;

  void open() {
    open_ = true;
    emit openChanged(true);
  }
  void close() {
    open_ = false;
    queued_.clear();
    emit openChanged(false);
  }
  std::size_t queuedBytes() const { return queued_.size(); }

  bool isOpen() const override { return open_; }
  QString portName() const override { return QStringLiteral("/dev/fake"); }
  std::optional<tracelink::LinkError> write(const QByteArray& bytes) override {
    if (!open_) return tracelink::makeLinkError(tracelink::LinkErrorCode::NotConnected, "");
    if (refuseAfter >= 0 && static_cast<int>(requests.size()) >= refuseAfter)
      return tracelink::makeLinkError(tracelink::LinkErrorCode::WriteRefused, "/dev/fake");
    for (const char b : bytes) {
      request_.push_back(static_cast<std::uint8_t>(b));
      if (request_.size() == 2) answer();
    }
    return std::nullopt;
  }
  void discardInput() override { queued_.clear(); }

 private:
  void answer() {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X %02X", request_[0], request_[1]);
    requests.emplace_back(hex);
    const int n = static_cast<int>(requests.size());
    auto reply = instrument_.reply(request_[0], request_[1]);
    request_.clear();
    if (silentAfter >= 0 && n > silentAfter) return;
    queued_.insert(queued_.end(), junk.begin(), junk.end());
    if (n == loseAt) {
      reply.resize(reply.size() / 2);
      loseWhenDelivered_ = true;
    }
    queued_.insert(queued_.end(), reply.begin(), reply.end());
    delivery_.start();
  }

  void deliver() {
    if (!queued_.empty()) {
      std::size_t n = std::min(chunk, queued_.size());
      if (randomReads_)
        n = std::min(std::uniform_int_distribution<std::size_t>(1, chunk)(random_), n);
      QByteArray piece(static_cast<qsizetype>(n), '\0');
      std::copy_n(queued_.begin(), n, piece.begin());
      queued_.erase(queued_.begin(), queued_.begin() + static_cast<long>(n));
      emit bytesReceived(piece);
    }
    if (!queued_.empty()) {
      delivery_.start();
    } else if (loseWhenDelivered_) {
      loseWhenDelivered_ = false;
      open_ = false;
      emit lost(tracelink::makeLinkError(tracelink::LinkErrorCode::DeviceGone, "/dev/fake", 9,
                                         "Input/output error"));
      emit openChanged(false);
    }
  }

  const FakeInstrument& instrument_;
  bool open_ = true;
  std::vector<std::uint8_t> request_;
  std::deque<std::uint8_t> queued_;
  bool loseWhenDelivered_ = false;
  QTimer delivery_;
  bool randomReads_ = false;
  std::mt19937 random_;
};
