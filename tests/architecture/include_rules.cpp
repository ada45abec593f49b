#include "architecture/include_rules.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace tracelink::arch {

namespace {

// Standard library only: no Qt, and so only rooms that are themselves standard library.
const std::set<std::string, std::less<>> kStdOnlyRooms = {
    "record", "files", "sor", "trace", "measure", "analysis", "compare", "cable"};
// Files in a Qt room that stay standard library only, so that the command line, the
// simulator and the other rooms can use them without Qt (path prefixes under the root).
const std::vector<std::string> kStdOnlyFiles = {"src/session/view_window.",
                                                "src/link/wire_format."};
const std::set<std::string, std::less<>> kSourceExtensions = {
    ".h", ".hh", ".hpp", ".hxx", ".c", ".cc", ".cpp", ".cxx", ".inl", ".ipp"};

struct Include {
  int line = 0;
  bool angled = false;
  std::string path;
};

// `#include "x"` and `#include <x>`, spaces allowed around '#'. Lines that merely mention
// an include (comments, strings) do not start with '#'.
std::vector<Include> includesOf(std::string_view text) {
  std::vector<Include> found;
  int lineNo = 0;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++lineNo;
    auto skipSpace = [&line] {
      while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front())))
        line.remove_prefix(1);
    };
    skipSpace();
    if (line.empty() || line.front() != '#') continue;
    line.remove_prefix(1);
    skipSpace();
    if (!line.starts_with("include")) continue;
    line.remove_prefix(7);
    skipSpace();
    if (line.empty() || (line.front() != '"' && line.front() != '<')) continue;
    const bool angled = line.front() == '<';
    const std::size_t close = line.find(angled ? '>' : '"', 1);
    if (close == std::string_view::npos) continue;
    found.push_back({lineNo, angled, std::string(line.substr(1, close - 1))});
  }
  return found;
}

int roomIndex(std::string_view room) {
  const auto it = std::find(kRoomOrder.begin(), kRoomOrder.end(), room);
  return it == kRoomOrder.end() ? -1 : static_cast<int>(it - kRoomOrder.begin());
}

// The room an include names ("ui" for "ui/main_window.h"), or empty.
std::string roomOf(std::string_view includePath) {
  const std::size_t slash = includePath.find('/');
  if (slash == std::string_view::npos) return {};
  const std::string first(includePath.substr(0, slash));
  return roomIndex(first) >= 0 ? first : std::string{};
}

bool isStdOnlyFile(std::string_view file) {
  return std::any_of(kStdOnlyFiles.begin(), kStdOnlyFiles.end(),
                     [&](const std::string& prefix) { return file.starts_with(prefix); });
}

bool isQtHeader(const Include& inc) {
  return inc.angled && !inc.path.empty() && inc.path.front() == 'Q';
}

std::string shown(const Include& inc) {
  return inc.angled ? "<" + inc.path + ">" : "\"" + inc.path + "\"";
}

void checkSrcFile(const std::string& file, const std::vector<Include>& includes,
                  std::vector<Violation>& out) {
  const std::size_t slash = file.find('/', 4);
  const std::string room = slash == std::string::npos ? "" : file.substr(4, slash - 4);
  const int index = roomIndex(room);
  if (index < 0) {
    out.push_back({file, 0, "",
                   "src/" + room +
                       " is no room of the layer order; place it in the order "
                       "(docs/ARCHITECTURE.md) first"});
    return;
  }
  const bool stdOnlyRoom = kStdOnlyRooms.contains(room);
  const bool stdOnly = stdOnlyRoom || isStdOnlyFile(file);
  for (const Include& inc : includes) {
    if (isQtHeader(inc) && stdOnly) {
      out.push_back({file, inc.line, shown(inc),
                     stdOnlyRoom ? room + "/ is standard library only"
                                 : "this file of " + room + "/ is standard library only"});
      continue;
    }
    const std::string target = roomOf(inc.path);
    if (target.empty()) continue;
    if ((room == "render" && target == "session") || (room == "session" && target == "render")) {
      out.push_back({file, inc.line, shown(inc), "render/ and session/ never include each other"});
    } else if (roomIndex(target) > index) {
      out.push_back(
          {file, inc.line, shown(inc),
           room + "/ includes only rooms to its left, and " + target + "/ stands to its right"});
    } else if (stdOnly && !kStdOnlyRooms.contains(target) && !isStdOnlyFile("src/" + inc.path)) {
      out.push_back({file, inc.line, shown(inc),
                     "a standard-library-only file includes " + target + "/, which uses Qt"});
    }
  }
}

}  // namespace

std::string describe(const Violation& v) {
  if (v.line == 0) return v.file + ": " + v.rule;
  return v.file + ":" + std::to_string(v.line) + ": #include " + v.include + ": " + v.rule;
}

std::vector<Violation> checkIncludes(const std::string& file, std::string_view text) {
  std::vector<Violation> out;
  const std::vector<Include> includes = includesOf(text);
  if (file.starts_with("src/")) {
    checkSrcFile(file, includes, out);
  } else if (file.starts_with("tools/") || file.starts_with("fuzz/")) {
    for (const Include& inc : includes)
      if (roomOf(inc.path) == "ui")
        out.push_back({file, inc.line, shown(inc),
                       "tools/ and fuzz/ link the libraries and never include ui/"});
  }
  return out;
}

std::vector<std::string> checkedSources(const std::filesystem::path& root) {
  std::vector<std::string> files;
  for (const char* top : {"src", "tools", "fuzz"}) {
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(root / top, ec), end; !ec && it != end;
         it.increment(ec)) {
      if (!it->is_regular_file()) continue;
      if (!kSourceExtensions.contains(it->path().extension().string())) continue;
      files.push_back(std::filesystem::relative(it->path(), root).generic_string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace tracelink::arch
