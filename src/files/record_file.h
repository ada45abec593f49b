#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

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

// Writes text as the whole content of the file at path, replacing any file of that name.
// The text goes to a temporary file in the same folder first, which is then renamed over
// the target: a failed or interrupted save leaves the previous file as it was and never a
// truncated one. The error names the file and the reason.
Status WriteRecordFile(const std::filesystem::path& path, std::string_view text);

}  // namespace tracelink
