#pragma once

#include <filesystem>
#include <string_view>

#include "record/result.h"

namespace tracelink {

// Whether a save may take the place of a file that is already there.
enum class ExistingFile { Replace, Keep };

// Writes bytes as the whole content of the file at path. They go to a temporary file in
// the same folder first, are pushed to the disk, and the temporary file is then renamed
// onto the target: a failed or interrupted save leaves the previous file as it was and
// never a truncated one. With ExistingFile::Keep the rename refuses to take the place of
// a file that exists (checked by the rename itself, so no other writer can slip in
// between). The error names the file and the reason.
Status WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                           ExistingFile existing);

}  // namespace tracelink
