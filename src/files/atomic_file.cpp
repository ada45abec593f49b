#include "files/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#include "files/path_text.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tracelink {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

Error saveError(ErrorCode code, const fs::path& path, int err = 0) {
  return fileError(code, pathText(path), err, err ? std::string(std::strerror(err)) : "");
}

std::FILE* createFile(const fs::path& path) {
  return openFile(path, "wbx");  // never reuse an existing file
}

// Pushes the file's data to the disk, so a rename cannot land there before it.
int syncFile(std::FILE* f) {
#ifdef _WIN32
  return ::_commit(::_fileno(f));
#else
  return ::fsync(::fileno(f));
#endif
}

// A name in the target's folder that no listing of saved traces picks up (it does not end
// in the target's extension) and that is unlikely to exist already.
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

// 0 when the bytes are written (and on the disk when sync is set), else the errno.
int writeAll(std::FILE* f, std::string_view bytes, bool sync) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return errno;
  if (std::fflush(f) != 0) return errno;
  if (sync && syncFile(f) != 0) return errno;
  return 0;
}

// Renames from onto to only when to does not exist: 0 on success, else the system's
// error number (EEXIST when the name is taken).
int renameKeeping(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
  const DWORD e = ::GetLastError();
  if (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS) return EEXIST;
  return EIO;
#else
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
  // A hard link fails when the name is taken, just as the rename above; file systems
  // without either leave no atomic way, and say so.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  return errno;
#endif
}

}  // namespace

namespace {

// The temporary file with the bytes in it, pushed to the disk when sync is set.
Result<fs::path> writeTemporary(const fs::path& path, std::string_view bytes, ExistingFile existing,
                                bool sync) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return saveError(ErrorCode::SaveIsDirectory, path);
  // Early, so that a refused file costs no writing; the rename checks again.
  if (existing == ExistingFile::Keep && fs::exists(fs::symlink_status(path, ec)))
    return saveError(ErrorCode::AlreadyExists, path);

  std::random_device device;
  std::mt19937_64 salt(
      (static_cast<std::uint64_t>(device()) << 32) ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::path temporary;
  FilePtr file;
  for (int attempt = 0; attempt < 8 && !file; ++attempt) {
    temporary = temporaryPath(path, salt());
    errno = 0;
    file.reset(createFile(temporary));
    if (!file && errno != EEXIST) break;
  }
  if (!file) return saveError(ErrorCode::CannotCreate, path, errno);

  int failed = writeAll(file.get(), bytes, sync);
  if (std::fclose(file.release()) != 0 && failed == 0) failed = errno;
  if (failed != 0) {
    fs::remove(temporary, ec);
    return saveError(ErrorCode::CannotWrite, path, failed);
  }
  return temporary;
}

// Renames the temporary file onto the target; removes it when that fails.
Status placeTemporary(const fs::path& temporary, const fs::path& path, ExistingFile existing) {
  std::error_code ec;
  if (existing == ExistingFile::Keep) {
    const int problem = renameKeeping(temporary, path);
    if (problem == 0) return {};
    fs::remove(temporary, ec);
    if (problem == EEXIST) return saveError(ErrorCode::AlreadyExists, path);
    return saveError(ErrorCode::CannotCreate, path, problem);
  }
  fs::rename(temporary, path, ec);
  if (ec) {
    const Error e = fileError(ErrorCode::CannotReplace, pathText(path), ec.value(), ec.message());
    fs::remove(temporary, ec);
    return e;
  }
  return {};
}

// Pushes a closed file's data to the disk.
bool syncPath(const fs::path& path) {
#ifdef _WIN32
  FilePtr f(openFile(path, "r+b"));
  return f && syncFile(f.get()) == 0;
#else
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
#endif
}

}  // namespace

Status WriteFileAtomically(const fs::path& path, std::string_view bytes, ExistingFile existing) {
  Result<fs::path> temporary = writeTemporary(path, bytes, existing, true);
  if (!temporary) return temporary.error();
  return placeTemporary(*temporary, path, existing);
}

Result<StagedFile> StageFile(const fs::path& path, std::string_view bytes, ExistingFile existing) {
  Result<fs::path> temporary = writeTemporary(path, bytes, existing, false);
  if (!temporary) return temporary.error();
  return StagedFile{path, *temporary, existing};
}

std::vector<Status> CommitStagedFiles(std::span<const StagedFile> files) {
  std::vector<Status> results(files.size());
#if defined(__linux__)
  // One flush of each file system holding a staged file, instead of one wait per file.
  std::vector<fs::path> folders;
  for (const StagedFile& f : files) {
    const fs::path folder = f.temporary.has_parent_path() ? f.temporary.parent_path() : ".";
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  }
  bool flushed = true;
  for (const fs::path& folder : folders) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || ::syncfs(fd) != 0) flushed = false;
    if (fd >= 0) ::close(fd);
  }
#else
  const bool flushed = false;
#endif
  for (std::size_t i = 0; i < files.size(); ++i) {
    const StagedFile& f = files[i];
    if (!flushed && !syncPath(f.temporary)) {
      const int reason = errno;
      std::error_code ec;
      fs::remove(f.temporary, ec);
      results[i] = saveError(ErrorCode::CannotWrite, f.target, reason);
      continue;
    }
    results[i] = placeTemporary(f.temporary, f.target, f.existing);
  }
  return results;
}

}  // namespace tracelink
