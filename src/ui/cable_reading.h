#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cable/summary.h"
#include "record/language.h"

namespace tracelink {

// The reading behind the cable view, apart from any window so that a benchmark and a
// test can run it: the trace files of a folder, each read into a CableFile.

// Reads every path on up to `threads` threads, the files in the order given. done counts
// the files read so far (for a progress bar on another thread); once cancel is set the
// reading stops and nothing is returned.
std::optional<std::vector<cable::CableFile>> readCableFiles(const std::vector<std::string>& paths,
                                                            Language language, unsigned threads,
                                                            std::atomic<std::size_t>& done,
                                                            const std::atomic<bool>& cancel);

}  // namespace tracelink
