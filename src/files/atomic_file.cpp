#include "files/atomic_file.h"

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
#include <stdio.h>
#else
#include <unistd.h>
#endif

namespace tracelink {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

Error atomicError(const fs::path& path, const std::string& what) {
  return Error{pathText(path) + ": " + what};
}

std::string errnoText(int err) {
  return std::strerror(err);
}

std::FILE* createNew(const fs::path& path) {
#ifdef _WIN32
  return ::_wfopen(path.c_str(), L"wbx");
#else
  return std::fopen(path.c_str(), "wbx");
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

// A hidden name in the target's folder, so that listings of saved files do not pick it up
// (it ends in ".tmp") and that is unlikely to exist already.
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

Status writeAll(std::FILE* f, std::string_view bytes) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
    return Error{errnoText(errno)};
  if (std::fflush(f) != 0) return Error{errnoText(errno)};
  if (syncFile(f) != 0) return Error{errnoText(errno)};
  return {};
}

// Gives the temporary file the target's name without replacing a file that is there: a
// hard link fails when the name exists, in one step, where a test before a rename would
// leave a gap for another writer.
std::error_code publishNew(const fs::path& temporary, const fs::path& target) {
  std::error_code ec;
#ifdef _WIN32
  if (::_wrename(temporary.c_str(), target.c_str()) != 0)
    ec = std::error_code(errno, std::generic_category());
#else
  if (::link(temporary.c_str(), target.c_str()) != 0) {
    ec = std::error_code(errno, std::generic_category());
  } else {
    fs::remove(temporary, ec);
    ec.clear();  // the target is complete; a leftover hidden temporary is harmless
  }
#endif
  return ec;
}

}  // namespace

Status WriteFileAtomically(const fs::path& path, std::string_view bytes, bool overwrite) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return atomicError(path, "cannot save: it is a directory");
  if (!overwrite && fs::exists(fs::symlink_status(path, ec)))
    return atomicError(path, "already exists");

  std::random_device device;
  std::mt19937_64 salt(
      (static_cast<std::uint64_t>(device()) << 32) ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::path temporary;
  FilePtr file;
  for (int attempt = 0; attempt < 8 && !file; ++attempt) {
    temporary = temporaryPath(path, salt());
    errno = 0;
    file.reset(createNew(temporary));  // never reuse an existing file
    if (!file && errno != EEXIST) break;
  }
  if (!file) return atomicError(path, "cannot create: " + errnoText(errno));

  Status written = writeAll(file.get(), bytes);
  if (std::fclose(file.release()) != 0 && written) written = Error{errnoText(errno)};
  if (!written) {
    fs::remove(temporary, ec);
    return atomicError(path, "cannot write: " + written.error().message);
  }
  if (overwrite) {
    fs::rename(temporary, path, ec);
  } else {
    ec = publishNew(temporary, path);
  }
  if (ec) {
    const bool exists = ec == std::errc::file_exists;
    const std::string reason = ec.message();
    fs::remove(temporary, ec);
    return atomicError(path, exists ? "already exists" : "cannot replace: " + reason);
  }
  return {};
}

}  // namespace tracelink
