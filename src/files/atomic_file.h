#pragma once

#include <filesystem>
#include <string_view>

#include "record/result.h"

namespace tracelink {

// Writes bytes as the whole content of the file at path. They go to a temporary file in
// the same folder first, pushed to the disk, and only then take the target's name: a
// failed or interrupted write leaves whatever was there before and never a truncated file.
// With overwrite false an existing file of that name is kept and reported, and a file that
// appears there while the bytes are written is not replaced either. The error names the
// file and the reason ("out/a.pdf: already exists", "…: cannot create: Permission denied").
Status WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                           bool overwrite);

}  // namespace tracelink
