#include "files/record_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#include "files/path_text.h"
#include "files/record_text.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

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

// Pushes the file's data to the disk, so a rename cannot land there before it.
int syncFile(std::FILE* f) {
#ifdef _WIN32
  return ::_commit(::_fileno(f));
#else
  return ::fsync(::fileno(f));
#endif
}

Error pathError(ErrorCode code, const fs::path& path, int sysError = 0,
                std::string systemText = {}) {
  return fileError(code, pathText(path), sysError, std::move(systemText));
}

Error errnoError(ErrorCode code, const fs::path& path, int err) {
  return pathError(code, path, err, std::strerror(err));
}

Error codeError(ErrorCode code, const fs::path& path, const std::error_code& ec) {
  return pathError(code, path, ec.value(), ec.message());
}

// A name in the target's folder that no listing of saved traces picks up (it does not end
// in ".otdr") and that is unlikely to exist already.
fs::path temporaryPath(const fs::path& target, std::uint64_t salt) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  char tag[17];
  std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(salt));
  // Built as a path, so the target's own name keeps its encoding on every platform.
  fs::path name(".");
  name += target.filename();
  name += ".";
  name += tag;
  name += ".tmp";
  return folder / name;
}

// 0 when the text is on the disk, else the system's error number.
int writeAll(std::FILE* f, std::string_view text) {
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f) != text.size()) return errno;
  if (std::fflush(f) != 0) return errno;
  if (syncFile(f) != 0) return errno;
  return 0;
}

}  // namespace

Status ReadRecordFile(const fs::path& path, TraceRecord& record, std::int32_t& BlocksPerTrace) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec) return codeError(ErrorCode::CannotOpen, path, ec);
  if (fs::is_directory(st)) return pathError(ErrorCode::IsDirectory, path);
  // A pipe or a device could block or never end; trace files are plain files.
  if (!fs::is_regular_file(st)) return pathError(ErrorCode::NotRegularFile, path);

  errno = 0;
  FilePtr file(openFile(path, "rb"));
  if (!file) return errnoError(ErrorCode::CannotOpen, path, errno);

  RecordTextParser parser;
  auto piece = std::make_unique<char[]>(kReadPiece);
  for (;;) {
    const std::size_t got = std::fread(piece.get(), 1, kReadPiece, file.get());
    if (got > 0 && !parser.feed(std::string_view(piece.get(), got))) break;
    if (got < kReadPiece) {
      if (std::ferror(file.get())) return errnoError(ErrorCode::CannotRead, path, errno);
      break;
    }
  }
  Result<ParsedRecord> parsed = parser.finish();
  if (!parsed) {
    Error e = parsed.error();
    e.path = pathText(path);
    return e;
  }
  StoreParsedRecord(*parsed, record);
  BlocksPerTrace = parsed->blockCount;
  return {};
}

Status WriteRecordFile(const fs::path& path, std::string_view text) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return pathError(ErrorCode::SaveIsDirectory, path);

  std::random_device device;
  std::mt19937_64 salt(
      (static_cast<std::uint64_t>(device()) << 32) ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::path temporary;
  FilePtr file;
  for (int attempt = 0; attempt < 8 && !file; ++attempt) {
    temporary = temporaryPath(path, salt());
    errno = 0;
    file.reset(openFile(temporary, "wbx"));  // never reuse an existing file
    if (!file && errno != EEXIST) break;
  }
  if (!file) return errnoError(ErrorCode::CannotCreate, path, errno);

  int failed = writeAll(file.get(), text);
  if (std::fclose(file.release()) != 0 && failed == 0) failed = errno;
  if (failed != 0) {
    fs::remove(temporary, ec);
    return errnoError(ErrorCode::CannotWrite, path, failed);
  }
  fs::rename(temporary, path, ec);
  if (ec) {
    const Error e = codeError(ErrorCode::CannotReplace, path, ec);
    fs::remove(temporary, ec);
    return e;
  }
  return {};
}

}  // namespace tracelink
