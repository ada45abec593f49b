#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tracelink::test {

// One run of the built tracelink-cli: its exit status and what it wrote.
struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The built tracelink-cli, found through TRACELINK_BINARY_DIR (which CTest sets); empty
// when it is not there.
inline std::filesystem::path cliBinary() {
  const char* dir = std::getenv("TRACELINK_BINARY_DIR");
  if (dir == nullptr) return {};
  const std::filesystem::path binary =
      std::filesystem::path(dir) / "tools" / "cli" / "tracelink-cli";
  return std::filesystem::exists(binary) ? binary : std::filesystem::path();
}

inline std::string shellWord(const std::filesystem::path& p) {
  std::string quoted = "'";
  for (const char c : p.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs binary with args (shell words, quoted by the caller), env put in front of it (for
// example "env -u XDG_RUNTIME_DIR"); its output goes through files in scratch.
inline CliRun runCli(const std::filesystem::path& binary, const std::string& args,
                     const std::filesystem::path& scratch, const std::string& env = {}) {
  const std::filesystem::path out = scratch / "stdout";
  const std::filesystem::path err = scratch / "stderr";
  const std::string command =
      env + " " + shellWord(binary) + " " + args + " >" + shellWord(out) + " 2>" + shellWord(err);
  const int status = std::system(command.c_str());
  const auto read = [](const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(out), read(err)};
}

}  // namespace tracelink::test
