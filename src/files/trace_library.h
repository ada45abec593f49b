#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "record/result.h"

namespace tracelink {

// Makes folder a folder that exists, creating it and the folders above it when missing.
// A folder that is there already is taken as it is. Else CannotCreateFolder naming it,
// with the system's reason (ENOTDIR when a file stands where a folder has to be).
Status EnsureFolder(const std::filesystem::path& folder);

// The automatic name of a trace saved while uploading all stored traces: the trace number
// as "#00", "_", then year, month, day, hour, minute and second without padding, ".otdr".
// Trace 12 at 2019-12-01 10:05:07 gives "12_20191211057.otdr".
std::string AutoSaveFileName(int traceSelect, int year, int month, int day, int hour, int minute,
                             int second);

// folder/fileName, or when that exists already the first free of folder/stem-2.ext,
// stem-3.ext, ... Unpadded dates can name two moments alike (1 Nov and 11 Jan); this keeps
// the later trace from replacing the earlier one.
std::filesystem::path UniqueSavePath(const std::filesystem::path& folder,
                                     const std::string& fileName);

// The names (without folder) of the normal files in folder whose name ends in ".otdr" or
// ".sor" (in any letter case, as the instrument's Windows folders match it), in name order
// as those folders list them: letters compared without case, then byte by byte. Hidden
// files are left out. A missing or unreadable folder gives an empty list.
std::vector<std::string> ListSavedTraces(const std::filesystem::path& folder);

// True when a comes before b in the trace folder's name order (see ListSavedTraces).
bool NameOrderLess(const std::string& a, const std::string& b);

// How many files the recent list keeps.
inline constexpr std::size_t kRecentFilesLimit = 10;

// The recent list after path was opened: path first, an earlier entry for the same path
// dropped, at most limit entries. Empty paths are never listed.
std::vector<std::string> RememberRecent(std::vector<std::string> recent, const std::string& path,
                                        std::size_t limit = kRecentFilesLimit);

// The recent list without path (a file that is gone).
std::vector<std::string> ForgetRecent(std::vector<std::string> recent, const std::string& path);

}  // namespace tracelink
