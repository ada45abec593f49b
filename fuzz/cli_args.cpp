// tracelink-cli's argument handling, in-process, with fuzzed argument vectors over a small
// folder of traces. It exits 0 or 2, a failure says so in one line (one per failed file of
// a batch), and nothing
// but the outputs the arguments name is written: every other file stays as it was.
//
// The input is a list of arguments separated by NUL bytes. An argument whose first byte is
// below 0x20 is a word from the list below; any other is taken as it is, with "/" turned
// into "_" (and ".." into "_..") so that every path the arguments can name lies inside
// the folder. The target runs with that folder as its working directory.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli_run.h"
#include "fuzz_check.h"

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 50> kWords = {
    "info",        "csv",      "plot",  "sor",    "report",   "measure",  "--help",
    "--lang",      "en",       "zh",    "--json", "--record", "--out",    "--out-dir",
    "--force",     "--from",   "--to",  "--dark", "--a",      "--b",      "--event",
    "--time",      "--jobs",   "2",     "t.otdr", "s.sor",    "bad.otdr", "empty.otdr",
    "o.csv",       "o.png",    "o.pdf", "o.sor",  "analyse",  "identity", "--cable",
    "--splice-db", "--end-db", "0.1",   "bidir",  "bends",    "--ours",   "--tolerance",
    "--delta-db",  "--pdf",    "cable", "verify", "--limits", "--csv",    "--xlsx",
    "--pattern",
};

struct Entry {
  std::uintmax_t size = 0;
  fs::file_time_type time;
  bool operator==(const Entry&) const = default;
};

std::map<std::string, Entry> snapshot(const fs::path& dir) {
  std::map<std::string, Entry> out;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    const std::string name = fs::relative(e.path(), dir).string();
    out[name] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
  }
  return out;
}

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Folder {
  fs::path dir;
  std::map<std::string, std::string> inputs;  // name, contents

  Folder() {
    std::string pattern = (fs::temp_directory_path() / "tracelink-fuzz-cli-XXXXXX").string();
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    dir = pattern;
    const fs::path src = TRACELINK_SOURCE_DIR;
    inputs["t.otdr"] = readAll(src / "samples/sample_02_range4.otdr");
    inputs["s.sor"] = readAll(src / "tests/data/sor/sample04.sor");
    inputs["bad.otdr"] = inputs["t.otdr"].substr(0, 20000);
    inputs["empty.otdr"] = "";
    FUZZ_CHECK(!inputs["t.otdr"].empty() && !inputs["s.sor"].empty());
    restore();
    fs::current_path(dir);
  }
  ~Folder() {
    std::error_code ec;
    fs::current_path(dir.parent_path(), ec);
    fs::remove_all(dir, ec);
  }

  // Back to the inputs alone, as they were.
  void restore() {
    for (const auto& e : fs::directory_iterator(dir))
      if (!inputs.count(e.path().filename().string())) fs::remove_all(e.path());
    for (const auto& [name, contents] : inputs) {
      const fs::path p = dir / name;
      if (fs::is_regular_file(p) && fs::file_size(p) == contents.size() && readAll(p) == contents)
        continue;
      fs::remove_all(p);
      std::ofstream(p, std::ios::binary) << contents;
    }
  }
};

std::vector<std::string> argumentsOf(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args;
  std::string current;
  const auto push = [&] {
    if (!current.empty() && static_cast<unsigned char>(current[0]) < 0x20) {
      args.emplace_back(kWords[static_cast<unsigned char>(current[0]) % kWords.size()]);
    } else {
      for (char& c : current)
        if (c == '/') c = '_';
      if (current == "..") current = "_..";
      args.push_back(current);
    }
    current.clear();
  };
  for (std::size_t i = 0; i < size && args.size() < 24; ++i) {
    if (data[i] == 0) {
      push();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (!current.empty() && args.size() < 24) push();
  return args;
}

}  // namespace

// The target works inside its folder, so the paths libFuzzer is given (corpus folders,
// inputs, the artifact prefix) are made absolute before it changes there.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static std::vector<std::string> kept;
  static std::vector<char*> args;
  kept.reserve(static_cast<std::size_t>(*argc));
  for (int i = 0; i < *argc; ++i) {
    std::string a = (*argv)[i];
    const std::string prefix = "-artifact_prefix=";
    if (i > 0 && !a.empty() && a[0] != '-') {
      a = fs::absolute(a).string();
    } else if (a.rfind(prefix, 0) == 0) {
      const std::string value = a.substr(prefix.size());
      // A prefix ending in "/" names a folder; absolute() would keep the slash anyway.
      a = prefix + fs::absolute(value).string() + (value.ends_with('/') ? "/" : "");
    }
    kept.push_back(a);
  }
  for (std::string& a : kept) args.push_back(a.data());
  args.push_back(nullptr);
  *argv = args.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Folder folder;
  const std::vector<std::string> args = argumentsOf(data, size);
  const auto before = snapshot(folder.dir);

  std::ostringstream out;
  std::ostringstream err;
  const int status = tracelink::cli::runCli(args, out, err);

  const std::string e = err.str();
  if (status != 0 && status != 2) std::fprintf(stderr, "exit status %d\n", status);
  FUZZ_CHECK(status == 0 || status == 2);
  // A failure is told in one line; a batch of files (report, sor) tells each file that
  // failed in a line of its own and goes on with the others. Success says nothing there.
  std::size_t lines = 0;
  bool shaped = true;
  for (std::size_t at = 0; at < e.size(); ++lines) {
    const std::size_t end = e.find('\n', at);
    shaped = shaped && end != std::string::npos && e.compare(at, 15, "tracelink-cli: ") == 0;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  if (!shaped || (status == 2 && lines == 0) || (status == 0 && lines != 0) ||
      lines > std::max<std::size_t>(1, args.size()))
    std::fprintf(stderr, "exit %d, stderr: [%s]\n", status, e.c_str());
  FUZZ_CHECK(shaped);
  FUZZ_CHECK(status == 0 ? lines == 0 : lines >= 1);
  FUZZ_CHECK(lines <= std::max<std::size_t>(1, args.size()));

  // Every change is an output the arguments name, or inside a folder they name.
  const auto named = [&](const std::string& path) {
    for (const std::string& a : args) {
      if (a.empty()) continue;
      const std::string norm = fs::path(a).lexically_normal().string();
      if (path == norm || path.rfind(norm + "/", 0) == 0 || norm == ".") return true;
    }
    return false;
  };
  const auto after = snapshot(folder.dir);
  for (const auto& [name, entry] : after) {
    const auto was = before.find(name);
    if (was != before.end() && was->second == entry) continue;
    if (!named(name)) std::fprintf(stderr, "written without being named: %s\n", name.c_str());
    FUZZ_CHECK(named(name));
  }
  for (const auto& [name, entry] : before) {
    if (after.count(name)) continue;
    if (!named(name)) std::fprintf(stderr, "removed without being named: %s\n", name.c_str());
    FUZZ_CHECK(named(name));
  }
  folder.restore();
  return 0;
}
