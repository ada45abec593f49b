#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "record/result.h"
#include "record/trace_record.h"

namespace tracelink {

// Loads a trace file into the record, all or nothing. The file is read in pieces into a
// scratch copy and checked completely (every field a plain decimal 0..65535, a block count
// of 1..15, enough fields for it); only then are positions 0..N*4000-1 and 56000..59999
// copied into the record and BlocksPerTrace set to N. On any error the record and
// BlocksPerTrace are untouched and the message names the file and what is wrong, e.g.
// "save/a.otdr: field 4001 is not a number". Fields after the last one the block count
// calls for are never read, so a huge file costs no more than the largest valid one.
Status ReadRecordFile(const std::filesystem::path& path, TraceRecord& record,
                      std::int32_t& BlocksPerTrace);

// A trace file loaded and its header applied, as the window shows a file: the file's block
// count became BlocksPerTrace, then start point, range line and full view were taken out
// of its header (ApplyHeader, which may set BlocksPerTrace again from the range index).
struct LoadedTrace {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  std::int32_t blocks = 0;  // the file's block count N, which a save of it writes again
  HeaderState header;
  ViewWindow view;
};

// Loads the trace file at path over what record, header and view hold (the window's own
// trace, whose words outside the file's blocks stay as they were) and applies its header.
// Returns the file's block count. On failure nothing changes and the error names the file.
Result<std::int32_t> LoadTraceFile(const std::filesystem::path& path, TraceRecord& record,
                                   HeaderState& header, ViewWindow& view);
// The same into a cleared record and a fresh header, as a window that has shown nothing
// loads it; the command-line tool reads every file this way.
Result<LoadedTrace> LoadTraceFile(const std::filesystem::path& path);

// The bytes of a whole file, refused before it is read when it is a folder, not a regular
// file, or larger than maxBytes (FileTooLarge, naming both sizes). A file that shrinks
// while it is read gives what was there.
Result<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                std::uintmax_t maxBytes);

// Writes text as the whole content of the file at path, replacing any file of that name.
// The text goes to a temporary file in the same folder first, which is then renamed over
// the target: a failed or interrupted save leaves the previous file as it was and never a
// truncated one. The error names the file and the reason.
Status WriteRecordFile(const std::filesystem::path& path, std::string_view text);

}  // namespace tracelink
