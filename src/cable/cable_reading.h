#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cable/summary.h"
#include "record/language.h"

namespace tracelink::cable {

// The reading behind the cable view and verify: trace files, each read into a CableFile with
// our analysis of it, on several threads.

// Reads every path on up to `threads` threads, the files in the order given. done counts
// the files read so far (for a progress bar on another thread); once cancel is set the
// reading stops and nothing is returned.
std::optional<std::vector<CableFile>> readCableFiles(const std::vector<std::string>& paths,
                                                     Language language, unsigned threads,
                                                     std::atomic<std::size_t>& done,
                                                     const std::atomic<bool>& cancel);

}  // namespace tracelink::cable
