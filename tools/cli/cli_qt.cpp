#include "cli_qt.h"

#include <QBuffer>
#include <QByteArray>

#include "files/atomic_file.h"
#include "files/path_text.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace tracelink::cli {

namespace {

namespace fs = std::filesystem;

bool hasDisplay() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

#ifndef _WIN32
// What Qt accepts as a runtime folder without a word: an absolute path to a real folder
// of ours that only we may enter.
bool usableRuntimeDir(const char* path) {
  if (path == nullptr || path[0] != '/') return false;
  struct stat st {};
  if (::lstat(path, &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) == 0700;
}

// While the application starts, Qt looks into the runtime folder once (for a sandbox
// marker). Without a usable one it warns on standard error and makes a folder of its own
// in /tmp that outlives the command. A private empty folder stands in for that one look
// and is gone again before the command does any work.
class RuntimeDirStandIn {
 public:
  RuntimeDirStandIn() {
    const char* current = std::getenv("XDG_RUNTIME_DIR");
    if (usableRuntimeDir(current)) return;
    if (current != nullptr) previous_ = current;
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "tracelink-cli-XXXXXX").string();
    if (ec) pattern = "/tmp/tracelink-cli-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  }
  ~RuntimeDirStandIn() {
    if (folder_.empty()) return;
    if (previous_) {
      ::setenv("XDG_RUNTIME_DIR", previous_->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  RuntimeDirStandIn(const RuntimeDirStandIn&) = delete;
  RuntimeDirStandIn& operator=(const RuntimeDirStandIn&) = delete;

 private:
  std::string folder_;
  std::optional<std::string> previous_;
};
#else
// Windows has no runtime folder to stand in for.
struct RuntimeDirStandIn {};
#endif

}  // namespace

std::unique_ptr<QGuiApplication> startGuiApplication() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !hasDisplay())
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tracelink-cli";
  static char* argv[] = {name, nullptr};
  const RuntimeDirStandIn runtime;
  return std::make_unique<QGuiApplication>(argc, argv);
}

std::optional<std::string> writePng(const QImage& image, const std::string& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return "the image could not be encoded as PNG";
  const Status written = WriteFileAtomically(
      pathFromText(path),
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
      ExistingFile::Replace);
  if (!written) return written.error().text();
  return std::nullopt;
}

}  // namespace tracelink::cli
