#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli_trace.h"
#include "record/result.h"
#include "sor/sor_file.h"
#include "trace/trace.h"

namespace tracelink::cli {

// A SOR file given to info, csv or plot: the file as read, and the record when the file
// is one of our own exports (its record block gives the trace back exactly), else the
// Trace of its first trace.
struct SorInput {
  std::string file;
  sor::SorFile sor;
  std::optional<LoadedTrace> record;
  Trace trace;  // another maker's file only
};

// Whether the file's content starts like a SOR file (the name does not matter). False
// for anything that cannot be opened: the .otdr loader then says why.
bool isSorFile(const std::string& path);

// Reads and checks the whole file; the error names the file, block, field and offset.
Result<SorInput> loadSorInput(const std::string& path);

// info --json: the file's blocks as one object.
void writeSorJson(std::ostream& out, const SorInput& input);
// info: a readable summary of another maker's file and its key events.
void writeSorSummary(std::ostream& out, const SorInput& input);

// "2026-12-09T02:45:00Z" for seconds since 1970 (UTC), and back (a trailing Z is optional).
std::string utcText(std::int64_t seconds);
std::optional<std::int64_t> parseUtc(const std::string& text);

}  // namespace tracelink::cli
