#include "files/record_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "files/atomic_file.h"
#include "files/path_text.h"
#include "files/record_text.h"

namespace tracelink {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kReadPiece = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// fopen with the path's own encoding: wide on Windows, where a narrow name could not reach
// a folder with Chinese letters in it, bytes elsewhere.
std::FILE* openFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  return ::_wfopen(path.c_str(), wideMode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

Error fileError(const fs::path& path, const std::string& what) {
  return Error{pathText(path) + ": " + what};
}

std::string errnoText(int err) {
  return std::strerror(err);
}

}  // namespace

Status ReadRecordFile(const fs::path& path, TraceRecord& record, std::int32_t& BlocksPerTrace) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec) return fileError(path, "cannot open: " + ec.message());
  if (fs::is_directory(st)) return fileError(path, "is a directory, not a trace file");
  // A pipe or a device could block or never end; trace files are plain files.
  if (!fs::is_regular_file(st)) return fileError(path, "is not a regular file");

  errno = 0;
  FilePtr file(openFile(path, "rb"));
  if (!file) return fileError(path, "cannot open: " + errnoText(errno));

  RecordTextParser parser;
  auto piece = std::make_unique<char[]>(kReadPiece);
  for (;;) {
    const std::size_t got = std::fread(piece.get(), 1, kReadPiece, file.get());
    if (got > 0 && !parser.feed(std::string_view(piece.get(), got))) break;
    if (got < kReadPiece) {
      if (std::ferror(file.get())) return fileError(path, "cannot read: " + errnoText(errno));
      break;
    }
  }
  Result<ParsedRecord> parsed = parser.finish();
  if (!parsed) return fileError(path, parsed.error().message);
  StoreParsedRecord(*parsed, record);
  BlocksPerTrace = parsed->blockCount;
  return {};
}

Status WriteRecordFile(const fs::path& path, std::string_view text) {
  return WriteFileAtomically(path, text, true);
}

}  // namespace tracelink
