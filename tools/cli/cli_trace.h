#pragma once

#include <string>
#include <string_view>

#include "files/record_file.h"
#include "record/result.h"

namespace tracelink::cli {

// A trace file loaded the way the window loads one (LoadTraceFile: a cleared record, the
// block count taken as BlocksPerTrace, then the header applied), or one of our own SOR
// exports, whose record block gives the same trace back.
Result<LoadedTrace> loadTrace(const std::string& path);

// A JSON string literal for UTF-8 text, quotes included.
std::string jsonString(std::string_view text);

}  // namespace tracelink::cli
