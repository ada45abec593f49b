#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "compare/bidir.h"
#include "record/language.h"
#include "trace/trace.h"

namespace tracelink::cli {

// plot for a trace that is not one of our records (another maker's SOR file): at its own
// spacing, points from .. to (all of them without), on the canvas our traces are drawn on.
// `file` names it in messages.
int plotTrace(const Trace& trace, const std::string& file, const std::string& png, bool dark,
              std::optional<std::int32_t> from, std::optional<std::int32_t> to, std::ostream& err);

// plot of two to eight files: their traces over each other, each at its own spacing and in
// its own colour, as the Compare window draws them; the full view, or fromM..toM metres
// along the plot's axis (which counts from the earliest first point).
// bidir --pdf: the two-direction report page of A and B written to pdf, atomically; an
// existing file only with force. What went wrong, naming the file; empty when written.
std::string writeBidirPdf(const std::string& pdf, bool force, const Trace& a, const Trace& b,
                          const compare::BidirResult& both, const std::string& fileA,
                          const std::string& fileB, Language language);

int plotOverlay(const std::vector<std::string>& files, const std::string& png, bool dark,
                std::optional<double> fromM, std::optional<double> toM, std::ostream& err);

}  // namespace tracelink::cli
