#pragma once

#include <filesystem>

#include "record/result.h"
#include "sor/sor_file.h"
#include "trace/trace.h"

namespace tracelink {

// A trace file of either format, told apart by its content (a SOR file starts with its
// Map), never by its name:
// - an .otdr file is loaded as the window loads it (the same checks and messages, the
//   header applied) and gives TraceFromRecord; its date is the file's modification time;
// - one of our own SOR exports gives the trace of the record it carries, with the texts,
//   instrument and date the file states;
// - any other SOR file gives TraceFromSor.
// The origin names the file, its format and the SHA-256 of its bytes. The error names the
// file and what is wrong, as the command line prints it.
Result<Trace> LoadTrace(const std::filesystem::path& path);

// Whether the file's first bytes are a SOR Map: how a file is told to be SOR. False for
// anything that cannot be read; the .otdr reader then says why.
bool StartsLikeSor(const std::filesystem::path& path);

// The trace a SOR file's content gives, as LoadTrace takes it (the origin left empty). An
// error when the file carries a record block of ours that does not fit the rest of it.
Result<Trace> TraceOfSorFile(const sor::SorFile& file);

}  // namespace tracelink
