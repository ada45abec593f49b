#pragma once

#include "record/language.h"

namespace tracelink {

// Runs the program in the language its build was made for. Each build's main() calls
// this with its own language; nothing changes it at run time.
int runTracelink(int argc, char** argv, Language language);

}  // namespace tracelink
