#pragma once

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "sim/sim_instrument.h"
#include "sim/trace_generator.h"

namespace tracelink::sim {

struct ServeOptions {
  int garbage = 0;                 // junk bytes ahead of every sync byte
  std::optional<int> silentAfter;  // answer this many requests, then none
  bool lineRate = false;           // pace replies at 115200 baud, 10 bits a byte
  std::FILE* log = nullptr;        // every request pair, in hex, one a line
  std::uint64_t seed = 1;          // for the junk bytes
};

// Answers the requests that arrive on the pseudo-terminal's master side, one reply per
// two-byte request, until stop is set (by a signal handler). A request that arrives while
// a reply is still going out ends that reply: the program has given up on it.
void serve(int masterFd, const SimInstrument& instrument, const ServeOptions& options,
           const volatile std::sig_atomic_t& stop);

}  // namespace tracelink::sim
