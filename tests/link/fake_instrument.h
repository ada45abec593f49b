#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// Answers requests the way the instrument does, from traces given as the words it sends
// (data words already lifted by 800). Written independently of the program's decoding so
// that the tests check it rather than repeat it.
struct WireTrace {
  std::array<std::uint16_t, 4000> header{};
  std::vector<std::array<std::uint16_t, 4000>> blocks;  // data blocks 1, 2, ...
};

inline WireTrace makeWireTrace(int rangeN, int datanum, bool haveTest, int seed) {
  static constexpr int kBlocks[] = {1, 1, 1, 1, 2, 3, 8, 12};
  WireTrace t;
  t.header[2] = static_cast<std::uint16_t>(rangeN);
  t.header[3] = static_cast<std::uint16_t>(10 + seed);  // StartPoint
  t.header[4] = 40000;                                  // rangeline
  t.header[6] = 3;
  t.header[8] = 5;
  t.header[10] = static_cast<std::uint16_t>(datanum);
  t.header[12] = haveTest ? 170 : 0;
  t.header[3999] = static_cast<std::uint16_t>(0xBEEF + seed);
  const int blocks = rangeN >= 0 && rangeN <= 7 ? kBlocks[rangeN] : 14;
  for (int b = 0; b < blocks; ++b) {
    std::array<std::uint16_t, 4000> words{};
    for (int i = 0; i < 4000; ++i)
      words[i] = static_cast<std::uint16_t>(800 + (seed * 7919 + b * 4000 + i * 13) % 1000);
    t.blocks.push_back(words);
  }
  return t;
}

class FakeInstrument {
 public:
  std::optional<WireTrace> current;
  std::map<int, WireTrace> stored;

  // The reply to one request: 0x55 and the block's words, masked, high byte first. An
  // unknown trace answers with an empty header naming the stored count.
  std::vector<std::uint8_t> reply(std::uint8_t select, std::uint8_t block) const {
    const WireTrace* trace = nullptr;
    if (select == 170 && current) trace = &*current;
    if (select != 170 && stored.count(select)) trace = &stored.at(select);
    std::array<std::uint16_t, 4000> words{};
    if (block == 15) {
      if (trace) {
        words = trace->header;
      } else {
        words[10] = static_cast<std::uint16_t>(stored.size());
        words[12] = current ? 170 : 0;
      }
    } else if (trace && block >= 1 && block <= trace->blocks.size()) {
      words = trace->blocks[block - 1];
    }
    return encode(words);
  }

  static std::vector<std::uint8_t> encode(const std::array<std::uint16_t, 4000>& words) {
    std::vector<std::uint8_t> out{0x55};
    for (const std::uint16_t w : words) {
      const std::uint16_t m = w ^ 0x2B69;
      out.push_back(static_cast<std::uint8_t>(m >> 8));
      out.push_back(static_cast<std::uint8_t>(m & 0xFF));
    }
    return out;
  }
};
