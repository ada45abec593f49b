#pragma once

#include <string>
#include <string_view>

#include "cable/limits.h"
#include "cable/verdict.h"
#include "record/language.h"

namespace tracelink::cable {

// The cable's texts in either language (UTF-8), so that the window, the report, the sheets
// and the command line name a failing item and a refused limits file in the same words.

// "splice at 1234.5 m: 0.42 dB > 0.30 dB (from A)"; a passing item with "≤" (or "≥").
std::string judgementText(const Judgement& judgement, Language language);

// The verdict's first failing item, or empty when it passes: the CSV's firstFailure.
std::string firstFailureText(const Verdict& verdict, Language language);

// "pass" / "fail" (English), "合格" / "不合格" (Chinese).
std::string_view verdictWord(bool pass, Language language);

// Why a limits file was refused, naming the file, the key and the byte:
// "limits.json: "spliceLossMaxDb" must be a number (byte 42)".
std::string limitsProblemText(const LimitsProblem& problem, std::string_view file,
                              Language language);

}  // namespace tracelink::cable
