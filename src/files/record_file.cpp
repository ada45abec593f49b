#include "files/record_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>

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

Result<std::int32_t> LoadTraceFile(const fs::path& path, TraceRecord& record, HeaderState& header,
                                   ViewWindow& view) {
  std::int32_t blocks = header.BlocksPerTrace;
  // The reader stores nothing unless the whole file is sound, so a failed load leaves the
  // record exactly as it was.
  if (Status read = ReadRecordFile(path, record, blocks); !read) return read.error();
  header.BlocksPerTrace = blocks;
  ApplyHeader(record, header, view);
  return blocks;
}

Result<LoadedTrace> LoadTraceFile(const fs::path& path) {
  LoadedTrace trace;
  Result<std::int32_t> blocks = LoadTraceFile(path, *trace.record, trace.header, trace.view);
  if (!blocks) return blocks.error();
  trace.blocks = *blocks;
  return trace;
}

Result<std::vector<std::uint8_t>> ReadFileBytes(const fs::path& path, std::uintmax_t maxBytes) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec) return codeError(ErrorCode::CannotOpen, path, ec);
  if (fs::is_directory(st)) return pathError(ErrorCode::IsDirectory, path);
  if (!fs::is_regular_file(st)) return pathError(ErrorCode::NotRegularFile, path);
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) return codeError(ErrorCode::CannotRead, path, ec);
  if (size > maxBytes) {
    Error e = pathError(ErrorCode::FileTooLarge, path);
    e.a = static_cast<std::int64_t>(size);
    e.b = static_cast<std::int64_t>(maxBytes);
    return e;
  }
  errno = 0;
  FilePtr file(openFile(path, "rb"));
  if (!file) return errnoError(ErrorCode::CannotOpen, path, errno);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  if (std::ferror(file.get())) return errnoError(ErrorCode::CannotRead, path, errno);
  bytes.resize(got);
  return bytes;
}

Status WriteRecordFile(const fs::path& path, std::string_view text) {
  return WriteFileAtomically(path, text, ExistingFile::Replace);
}

}  // namespace tracelink
