#pragma once

#include <string>
#include <string_view>

#include "compare/bends.h"
#include "compare/bidir.h"
#include "record/language.h"

namespace tracelink::compare {

// The comparison's refusals and warnings in either language (UTF-8), with the files named:
// the window's status line and dialogs and the command line say the same.
std::string problemText(const BidirProblem& problem, std::string_view fileA,
                        std::string_view fileB, Language language);
std::string warningText(const BidirNote& note, std::string_view fileA, std::string_view fileB,
                        Language language);
std::string problemText(const BendProblem& problem, std::string_view first,
                        std::string_view second, Language language);
// Nine traces or more: "at most 8 ..." naming the count.
std::string tooManyText(std::size_t count, Language language);

}  // namespace tracelink::compare
