#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "trace/trace.h"

namespace tracelink::cli {

// plot for a trace that is not one of our records (another maker's SOR file): at its own
// spacing, points from .. to (all of them without), on the canvas our traces are drawn on.
// `file` names it in messages.
int plotTrace(const Trace& trace, const std::string& file, const std::string& png, bool dark,
              std::optional<std::int32_t> from, std::optional<std::int32_t> to, std::ostream& err);

}  // namespace tracelink::cli
