#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "cli_sor_input.h"

namespace tracelink::cli {

// plot for a SOR file of another maker: its first trace at its own spacing, points from
// .. to (all of them without), on the canvas our traces are drawn on.
int plotSorFile(const SorInput& input, const std::string& png, bool dark,
                std::optional<std::int32_t> from, std::optional<std::int32_t> to,
                std::ostream& err);

}  // namespace tracelink::cli
