// What several benchmarks need alike: the Qt application drawing takes, a folder of their
// own in the temporary directory, and a quiet run of a command. The benchmarks are built
// on Linux only (the Windows build is the core without them).
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tracelink::bench {

// The application drawing needs, made on first use and kept to the end: App is
// QGuiApplication, or QApplication where widgets are made. It runs on the offscreen
// platform unless QT_QPA_PLATFORM names another. name is the program's own (argv[0]).
template <typename App>
void ensureApp(const char* name) {
  static std::string program = name;
  static int argc = 1;
  static char* argv[] = {program.data(), nullptr};
  if (App::instance() != nullptr) return;
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || *platform == '\0') ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  new App(argc, argv);
}

// A folder of the temporary directory, emptied and filled when made, removed when the
// program ends. Kept in a function's static, it is made once, on first use.
class ScratchFolder {
 public:
  ScratchFolder(std::string_view name,
                const std::function<void(const std::filesystem::path&)>& fill)
      : path_(std::filesystem::temp_directory_path() / name) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    fill(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Runs command through the shell (so that it may hold patterns such as "in/*.sor") with
// its output thrown away. True only when it ran to its end with exit status 0: status 2,
// a bad file or a mismatch found, is a failure of the benchmark too.
inline bool runQuiet(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tracelink::bench
