#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/block_transfer.h"

// A fuzz input for the block transfer: a few settings, then what the instrument sends in
// answer to each request, in order. A reply is written compactly (a header or a data
// block made from a few values) or as raw bytes, with junk ahead of it, cut short or with
// a trailer, so that short inputs reach whole conversations of up to 50 traces:
//
//   byte 0   bit 0: Upload All (else the current trace); bits 1-3: the automatic save that
//            fails (0: none); bit 4: a second upload follows the first, the other kind
//   byte 1   bits 0-2: the largest read the line hands over (a quarter of the reads are
//            of 1..8 bytes); bits 3-7: their random seed
//   then replies, each a tag byte and its values:
//     tag bits 0-1: 0 raw (2-byte big-endian length, then the bytes), 1 header (range
//                   index, stored count high and low, have-test flag, start point), 2 data
//                   block (a 2-byte pattern seed), 3 no answer at all
//     tag bits 2-4: junk bytes ahead of the reply, taken from the input
//     tag bits 5-6: 0 as is, 1 cut to half, 2 cut by the next byte's count, 3 one
//                   trailing byte (the next byte) after it
struct TransferScript {
  bool uploadAll = false;
  int failingSave = 0;
  bool secondUpload = false;
  std::size_t maxRead = 1;
  unsigned seed = 0;
  struct Reply {
    bool silent = false;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Reply> replies;
};

inline constexpr std::array<std::size_t, 8> kMaxReads = {16,   64,   1000, 4001,
                                                         7999, 8001, 9000, 40000};

// The bytes of a reply frame: the sync byte and the words, masked, high byte first.
// The helpers that build frames are not measured for coverage: only the program's code is.
#define TRANSFER_SCRIPT_UNMEASURED __attribute__((no_sanitize("coverage")))

TRANSFER_SCRIPT_UNMEASURED inline std::vector<std::uint8_t> encodeFrame(
    const std::array<std::uint16_t, 4000>& words) {
  std::vector<std::uint8_t> out(tracelink::kBlockBytes + 1);
  out[0] = tracelink::kSyncByte;
  std::uint8_t* p = out.data() + 1;
  for (const std::uint16_t w : words) {
    const auto m = static_cast<std::uint16_t>(w ^ tracelink::kWordMask);
    *p++ = static_cast<std::uint8_t>(m >> 8);
    *p++ = static_cast<std::uint8_t>(m & 0xFF);
  }
  return out;
}

inline std::array<std::uint16_t, 4000> headerWords(std::uint8_t rangeN, std::uint16_t stored,
                                                   bool haveTest, std::uint8_t start) {
  std::array<std::uint16_t, 4000> w{};
  w[2] = rangeN;
  w[3] = start;
  w[4] = 40000;
  w[6] = 3;
  w[8] = 5;
  w[10] = stored;
  w[12] = haveTest ? 170 : 0;
  w[3999] = 0xBEEF;
  return w;
}

TRANSFER_SCRIPT_UNMEASURED inline std::array<std::uint16_t, 4000> dataWords(std::uint16_t seed) {
  std::array<std::uint16_t, 4000> w{};
  for (std::size_t i = 0; i < w.size(); ++i)
    w[i] = static_cast<std::uint16_t>(800 + (seed * 7919u + i * 13u) % 1000u);
  return w;
}

inline TransferScript parseTransferScript(const std::uint8_t* data, std::size_t size) {
  TransferScript s;
  std::size_t at = 0;
  const auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
  const std::uint8_t flags = next();
  s.uploadAll = flags & 1;
  s.failingSave = (flags >> 1) & 7;
  s.secondUpload = flags & 16;
  const std::uint8_t reads = next();
  s.maxRead = kMaxReads[reads & 7];
  s.seed = reads >> 3;
  // Two uploads of 50 traces of 15 requests each, and some to spare.
  while (at < size && s.replies.size() < 1600) {
    const std::uint8_t tag = next();
    TransferScript::Reply reply;
    for (int j = (tag >> 2) & 7; j > 0; --j) reply.bytes.push_back(next());
    std::vector<std::uint8_t> body;
    switch (tag & 3) {
      case 0: {
        const std::size_t n = (std::size_t{next()} << 8) | next();
        const std::size_t take = std::min(n, size - at);
        body.assign(data + at, data + at + take);
        at += take;
        break;
      }
      case 1: {
        const std::uint8_t rangeN = next();
        const auto stored = static_cast<std::uint16_t>((next() << 8) | next());
        const bool haveTest = next() & 1;
        body = encodeFrame(headerWords(rangeN, stored, haveTest, next()));
        break;
      }
      case 2:
        body = encodeFrame(dataWords(static_cast<std::uint16_t>((next() << 8) | next())));
        break;
      default:
        reply.silent = true;
        break;
    }
    switch ((tag >> 5) & 3) {
      case 1:
        body.resize(body.size() / 2);
        break;
      case 2:
        body.resize(body.size() - std::min<std::size_t>(body.size(), next()));
        break;
      case 3:
        body.push_back(next());
        break;
      default:
        break;
    }
    reply.bytes.insert(reply.bytes.end(), body.begin(), body.end());
    s.replies.push_back(std::move(reply));
  }
  return s;
}

// The other way round, for the seed corpus.
struct ScriptWriter {
  std::vector<std::uint8_t> out;
  ScriptWriter(bool uploadAll, int failingSave, bool secondUpload, int maxRead, int seed) {
    out.push_back(static_cast<std::uint8_t>((uploadAll ? 1 : 0) | (failingSave << 1) |
                                            (secondUpload ? 16 : 0)));
    out.push_back(static_cast<std::uint8_t>(maxRead | (seed << 3)));
  }
  ScriptWriter& header(int rangeN, int stored, bool haveTest, int junk = 0, int shape = 0,
                       int shapeValue = 0) {
    out.push_back(static_cast<std::uint8_t>(1 | (junk << 2) | (shape << 5)));
    for (int j = 0; j < junk; ++j) out.push_back(static_cast<std::uint8_t>(0x55 - j));
    out.insert(out.end(),
               {static_cast<std::uint8_t>(rangeN), static_cast<std::uint8_t>(stored >> 8),
                static_cast<std::uint8_t>(stored), static_cast<std::uint8_t>(haveTest), 10});
    if (shape >= 2) out.push_back(static_cast<std::uint8_t>(shapeValue));
    return *this;
  }
  ScriptWriter& data(int seed, int junk = 0, int shape = 0, int shapeValue = 0) {
    out.push_back(static_cast<std::uint8_t>(2 | (junk << 2) | (shape << 5)));
    for (int j = 0; j < junk; ++j) out.push_back(static_cast<std::uint8_t>(j * 37));
    out.push_back(static_cast<std::uint8_t>(seed >> 8));
    out.push_back(static_cast<std::uint8_t>(seed));
    if (shape >= 2) out.push_back(static_cast<std::uint8_t>(shapeValue));
    return *this;
  }
  ScriptWriter& raw(const std::vector<std::uint8_t>& bytes) {
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(bytes.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
    return *this;
  }
  ScriptWriter& silence() {
    out.push_back(3);
    return *this;
  }
};
