#pragma once

#include <cstddef>
#include <cstdint>

#include "record/trace_record.h"

namespace tracelink {

// What goes over the serial line between the program and the instrument, as both ends
// must agree on it. The program asks with a request of two bytes, the trace selector and
// the block number (1..14 data, kHeaderBlockNo the header); the instrument answers with a
// reply frame: a sync byte, then one block of 4000 big-endian words, each masked with
// kWordMask (the same mask as the words of a trace file).
inline constexpr std::size_t kRequestBytes = 2;
inline constexpr std::uint8_t kSyncByte = 0x55;
inline constexpr std::size_t kBlockBytes = 2 * kBlockWords;
// Trace selectors: the instrument's current trace, or stored traces 1, 2, ...
inline constexpr std::uint8_t kCurrentTraceSelect = 170;
inline constexpr std::uint8_t kFirstStoredSelect = 1;
// The instrument lifts every sample by this much on the line.
inline constexpr std::uint16_t kSampleOffset = 800;
// The line runs at 115200 baud, 8 data bits, no parity, one stop bit.
inline constexpr std::int32_t kLineBaud = 115200;

// The 16-bit word of a reply: big-endian, unmasked.
inline std::uint16_t UnmaskWord(std::uint8_t high, std::uint8_t low) {
  return static_cast<std::uint16_t>(((high << 8) | low) ^ kWordMask);
}

// The record value of a received data word: the offset removed, never below 0.
inline std::int32_t SampleFromWire(std::uint16_t w) {
  return w > kSampleOffset ? std::int32_t{w} - kSampleOffset : 0;
}

}  // namespace tracelink
