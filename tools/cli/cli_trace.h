#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "record/result.h"
#include "record/trace_record.h"

namespace tracelink::cli {

// A trace file loaded the way the window loads one: read into a cleared record, the block
// count taken as BlocksPerTrace, then the header applied (start point, range line, block
// count and full view).
struct LoadedTrace {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  std::int32_t blocks = 0;  // the file's block count N
  HeaderState header;
  ViewWindow view;
};

Result<LoadedTrace> loadTrace(const std::string& path);

// A JSON string literal for UTF-8 text, quotes included.
std::string jsonString(std::string_view text);

}  // namespace tracelink::cli
