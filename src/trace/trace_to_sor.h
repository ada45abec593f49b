#pragma once

#include <cstdint>
#include <vector>

#include "trace/trace.h"

namespace tracelink {

// Any trace as a SOR file (version 2) that reads back through LoadTrace as the same trace:
// the levels, spacing and origin, the acquisition, the identity, the key events (their
// codes kept where they are SOR codes, else made from the type), the total loss and ORL.
// Levels are stored below the highest one when any lies above 0 dB, and a level more than
// 65.535 dB below the top is stored at the bottom of the scale; a text is written as UTF-8.
// Made for files generated from traces (tests, benchmarks, a cable of traces made in
// memory); an instrument's own file is better rewritten than converted.
std::vector<std::uint8_t> WriteTraceSor(const Trace& trace);

}  // namespace tracelink
