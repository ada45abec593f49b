#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "link/block_transfer.h"
#include "link/fake_instrument.h"

// Runs the block transfer against a FakeInstrument: every request is answered by queuing
// the instrument's reply on the "line", and the line is fed to the transfer in pieces of a
// chosen size. Everything the transfer asks for is written to a log, so that two runs can
// be compared as a whole. The actions are carried out by the program's own action loop;
// this host only says how each one is done here.
struct Conversation {
  // Whatever is on the line in one read.
  static constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();

  const FakeInstrument& instrument;
  std::size_t chunk = 8001;
  // When not 0: reads of random sizes 1..chunk, from this seed.
  unsigned randomSeed = 0;
  std::mt19937 random;
  std::vector<std::uint8_t> junk;     // sent ahead of every reply
  std::vector<std::uint8_t> trailer;  // sent after every reply

  // The record starts non-zero so that clearing shows.
  std::unique_ptr<tracelink::TraceRecord> record = [] {
    auto r = std::make_unique<tracelink::TraceRecord>();
    r->words.fill(7);
    return r;
  }();
  tracelink::HeaderState header;
  tracelink::ViewWindow view;
  tracelink::PlainTraceSink sink{*record, header, view};
  tracelink::BlockTransfer transfer{sink};

  std::deque<std::uint8_t> line;
  std::vector<std::string> log;
  std::vector<std::string> requests;
  std::vector<tracelink::TransferProgress> progress;
  std::vector<std::pair<int, int>> saves;                 // traceSelect, blockNo
  std::vector<std::vector<std::int32_t>> decodedRecords;  // positions 0..59999 at each decode
  std::vector<tracelink::TransferFailure> failures;
  std::vector<tracelink::UploadAllSummary> summaries;
  bool answer = true;  // false: the instrument stays silent

  explicit Conversation(const FakeInstrument& i, std::size_t c = 8001, unsigned seed = 0)
      : instrument(i), chunk(c), randomSeed(seed), random(seed) {}

  static std::string hex(const std::array<std::uint8_t, 2>& r) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X %02X", r[0], r[1]);
    return buf;
  }

  // Carries out each action on this conversation.
  struct Host : tracelink::TransferHost {
    Conversation& c;
    explicit Host(Conversation& conversation) : c(conversation) {}

    std::optional<tracelink::LinkError> send(const tracelink::action::Send& s) override {
      c.line.clear();
      c.requests.push_back(hex(s.request));
      c.log.push_back("send " + hex(s.request));
      if (c.answer) {
        c.line.insert(c.line.end(), c.junk.begin(), c.junk.end());
        const auto reply = c.instrument.reply(s.request[0], s.request[1]);
        c.line.insert(c.line.end(), reply.begin(), reply.end());
        c.line.insert(c.line.end(), c.trailer.begin(), c.trailer.end());
      }
      return std::nullopt;
    }
    void decode() override {
      c.log.push_back("decode");
      c.decodedRecords.emplace_back(c.record->words.begin(), c.record->words.begin() + 60000);
    }
    tracelink::Status autoSave(std::int32_t traceSelect, std::int32_t blockNo) override {
      c.log.push_back("save " + std::to_string(traceSelect) + " N=" + std::to_string(blockNo));
      c.saves.emplace_back(traceSelect, blockNo);
      if (c.failSaves) return tracelink::Error{"disk full"};
      return {};
    }
    void listSaved() override { c.log.push_back("list"); }
    void showNoDatas() override { c.log.push_back("No datas!"); }
    void progress(const tracelink::TransferProgress& p) override {
      c.progress.push_back(p);
      c.log.push_back("progress");
    }
    void dataPresent() override { c.log.push_back("present"); }
    void uploadAllEnded(const tracelink::UploadAllSummary& s) override {
      c.log.push_back("summary");
      c.summaries.push_back(s);
    }
    void failed(const tracelink::TransferFailure& f) override {
      c.log.push_back("failed");
      c.failures.push_back(f);
    }
  };
  Host host{*this};
  bool failSaves = false;

  void run(tracelink::TransferActions actions) {
    tracelink::runTransferActions(transfer, std::move(actions), host);
  }

  std::size_t nextPiece() {
    if (randomSeed == 0) return std::min(chunk, line.size());
    std::uniform_int_distribution<std::size_t> size(1, chunk);
    return std::min(size(random), line.size());
  }

  // Feeds the line in pieces until it is empty.
  void pump() {
    while (!line.empty()) {
      const std::size_t n = nextPiece();
      std::vector<std::uint8_t> piece(line.begin(), line.begin() + static_cast<long>(n));
      line.erase(line.begin(), line.begin() + static_cast<long>(n));
      run(transfer.feed(piece));
    }
  }

  void upload(std::uint8_t select) {
    run(transfer.startUpload(select));
    pump();
  }
};
