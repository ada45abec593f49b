#pragma once

#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

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

// The same for many files at once, as a batch export writes them: StageFile writes each
// file's temporary file without waiting for the disk; CommitStagedFiles then has all of
// them reach the disk together (one flush of the file system where the platform has one,
// else one per file) and only then renames each onto its target, so every file still
// appears whole or not at all. One status per file, in order.
struct StagedFile {
  std::filesystem::path target;
  std::filesystem::path temporary;
  ExistingFile existing = ExistingFile::Keep;
};
Result<StagedFile> StageFile(const std::filesystem::path& path, std::string_view bytes,
                             ExistingFile existing);
std::vector<Status> CommitStagedFiles(std::span<const StagedFile> files);

}  // namespace tracelink
