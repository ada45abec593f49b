#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tracelink::arch {

// The rooms of src/, left to right: a room includes only itself and rooms to its left.
inline const std::vector<std::string> kRoomOrder = {
    "record", "files", "sor",    "trace",   "measure", "analysis", "compare",
    "cable",  "link",  "render", "session", "report",  "ui"};

// One #include that breaks a rule.
struct Violation {
  std::string file;     // relative to the source root, with '/'
  int line = 0;         // 1-based
  std::string include;  // as written, e.g. "ui/main_window.h" or <QObject>
  std::string rule;     // what it breaks

  bool operator==(const Violation&) const = default;
};

// "src/sor/a.cpp:12: #include "ui/x.h": <rule>"
std::string describe(const Violation& v);

// The violations in the text of one file; `file` is its path under the source root
// ("src/ui/trace_view.cpp", "tools/cli/cli_plot.cpp", "fuzz/sor_read.cpp").
std::vector<Violation> checkIncludes(const std::string& file, std::string_view text);

// Every C++ source under src/, tools/ and fuzz/ of the source root, relative to it, sorted.
std::vector<std::string> checkedSources(const std::filesystem::path& root);

}  // namespace tracelink::arch
