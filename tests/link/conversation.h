#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "link/block_transfer.h"
#include "link/fake_instrument.h"

// Runs the block transfer against a FakeInstrument: every request is answered by queuing
// the instrument's reply on the "line", and the line is fed to the transfer in pieces of a
// chosen size. Everything the transfer asks for is written to a log, so that two runs can
// be compared as a whole.
struct Conversation {
  const FakeInstrument& instrument;
  std::size_t chunk = 8001;
  std::vector<std::uint8_t> junk;  // sent ahead of every reply

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
  std::vector<tracelink::ProgressState> progress;
  std::vector<std::pair<int, int>> saves;                 // traceSelect, blockNo
  std::vector<std::vector<std::int32_t>> decodedRecords;  // positions 0..59999 at each decode
  std::vector<tracelink::TransferFailure> failures;
  bool answer = true;  // false: the instrument stays silent

  explicit Conversation(const FakeInstrument& i, std::size_t c = 8001) : instrument(i), chunk(c) {}

  static std::string hex(const std::array<std::uint8_t, 2>& r) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X %02X", r[0], r[1]);
    return buf;
  }

  void run(tracelink::TransferActions actions) {
    namespace a = tracelink::action;
    for (std::size_t i = 0; i < actions.size(); ++i) {
      const tracelink::TransferAction act = actions[i];
      if (const auto* s = std::get_if<a::Send>(&act)) {
        if (s->discardPendingInput) line.clear();
        requests.push_back(hex(s->request));
        log.push_back("send " + hex(s->request) + (s->discardPendingInput ? " discard" : ""));
        if (answer) {
          line.insert(line.end(), junk.begin(), junk.end());
          const auto reply = instrument.reply(s->request[0], s->request[1]);
          line.insert(line.end(), reply.begin(), reply.end());
        }
      } else if (std::holds_alternative<a::ClearRecordText>(act)) {
        log.push_back("clear text");
      } else if (std::holds_alternative<a::Decode>(act)) {
        log.push_back("decode");
        decodedRecords.emplace_back(record->words.begin(), record->words.begin() + 60000);
      } else if (const auto* save = std::get_if<a::AutoSave>(&act)) {
        log.push_back("save " + std::to_string(save->traceSelect) +
                      " N=" + std::to_string(save->blockNo));
        saves.emplace_back(save->traceSelect, save->blockNo);
      } else if (std::holds_alternative<a::ListSaved>(act)) {
        log.push_back("list");
      } else if (std::holds_alternative<a::ShowNoDatas>(act)) {
        log.push_back("No datas!");
      } else if (const auto* p = std::get_if<a::Progress>(&act)) {
        progress.push_back(p->state);
        log.push_back("progress");
      } else if (std::holds_alternative<a::DataPresent>(act)) {
        log.push_back("present");
      } else if (std::holds_alternative<a::NextTrace>(act)) {
        log.push_back("next");
        const auto more = transfer.RequestNextTrace();
        actions.insert(actions.end(), more.begin(), more.end());
      } else if (const auto* f = std::get_if<a::Failed>(&act)) {
        log.push_back("failed");
        failures.push_back(f->failure);
      }
    }
  }

  // Feeds the line in pieces of `chunk` bytes until it is empty.
  void pump() {
    while (!line.empty()) {
      const std::size_t n = std::min(chunk, line.size());
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
