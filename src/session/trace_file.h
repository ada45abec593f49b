#pragma once

#include <filesystem>
#include <variant>

#include "files/record_file.h"
#include "record/language.h"
#include "record/result.h"
#include "trace/trace.h"

namespace tracelink {

// What a trace file holds, told by its content: a record (an .otdr file, or one of our own
// SOR exports, which carries the record it was made from) or another maker's trace.
struct OpenedTrace {
  std::variant<LoadedTrace, Trace> content;

  bool isRecord() const { return std::holds_alternative<LoadedTrace>(content); }
};

// Reads the file at path by its content. A record is read over `base` (a copy of the
// record, header and window on screen), exactly as the window always loaded a file over
// its record: only the file's blocks and the header are replaced, and the header is
// applied. Another maker's trace must have two points at a positive spacing to be shown.
// The error is one line in the language naming the file and what is wrong with it (for a
// damaged SOR file the block, field and offset). Touches no session, so it may run on any
// thread.
Result<OpenedTrace> ReadTraceByContent(const std::filesystem::path& path, Language language,
                                       LoadedTrace base);

}  // namespace tracelink
