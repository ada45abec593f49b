#include "files/trace_library.h"

#include "files/path_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace tracelink {

namespace fs = std::filesystem;

namespace {

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether name is more than the extension ext (lower case, with its dot) and ends in it.
bool endsWithExtension(const std::string& name, std::string_view ext) {
  if (name.size() <= ext.size()) return false;
  for (std::size_t i = 0; i < ext.size(); ++i)
    if (lowerAscii(name[name.size() - ext.size() + i]) != ext[i]) return false;
  return true;
}

bool isTraceFileName(const std::string& name) {
  return endsWithExtension(name, ".otdr") || endsWithExtension(name, ".sor");
}

bool pathExists(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

}  // namespace

Status EnsureFolder(const fs::path& folder) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return {};
  fs::create_directories(folder, ec);
  // Without an error the folder may still be missing: a file standing in its place is not
  // an error to every implementation.
  if (!ec && fs::is_directory(folder, ec)) return {};
  if (!ec) ec = std::make_error_code(std::errc::not_a_directory);
  return fileError(ErrorCode::CannotCreateFolder, pathText(folder), ec.value(), ec.message());
}

std::string AutoSaveFileName(int traceSelect, int year, int month, int day, int hour, int minute,
                             int second) {
  // "#00": at least two digits, the sign in front of them.
  std::string number = std::to_string(std::abs(static_cast<long>(traceSelect)));
  if (number.size() < 2) number.insert(0, 2 - number.size(), '0');
  if (traceSelect < 0) number.insert(0, 1, '-');
  return number + "_" + std::to_string(year) + std::to_string(month) + std::to_string(day) +
         std::to_string(hour) + std::to_string(minute) + std::to_string(second) + ".otdr";
}

fs::path UniqueSavePath(const fs::path& folder, const std::string& fileName) {
  const fs::path name = pathFromText(fileName);
  fs::path candidate = folder / name;
  if (!pathExists(candidate)) return candidate;
  for (unsigned k = 2;; ++k) {
    candidate = folder / name.stem();
    // Appended on its own: GCC 12 warns falsely (-Wrestrict) on "-" + to_string at -O3.
    std::string suffix = "-";
    suffix += std::to_string(k);
    candidate += suffix;
    candidate += name.extension();
    if (!pathExists(candidate)) return candidate;
  }
}

std::vector<std::string> ListSavedTraces(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return names;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    std::error_code typeEc;
    if (!it->is_regular_file(typeEc) || typeEc) continue;
    std::string name = pathText(it->path().filename());
    // Hidden files are not listed, as the trace folder always listed only normal files.
    if (name.front() == '.') continue;
    if (isTraceFileName(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), NameOrderLess);
  return names;
}

bool NameOrderLess(const std::string& a, const std::string& b) {
  // Folded to upper case as the instrument's Windows folders fold names: "B.otdr" after
  // "a.otdr", and "_" after the letters.
  const auto folded = [](const std::string& s) {
    std::string out = s;
    for (char& c : out)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
  };
  const std::string fa = folded(a);
  const std::string fb = folded(b);
  if (fa != fb) {
    return std::lexicographical_compare(
        fa.begin(), fa.end(), fb.begin(), fb.end(), [](char x, char y) {
          return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
  }
  return a < b;
}

std::vector<std::string> RememberRecent(std::vector<std::string> recent, const std::string& path,
                                        std::size_t limit) {
  recent = ForgetRecent(std::move(recent), path);
  if (!path.empty()) recent.insert(recent.begin(), path);
  std::erase(recent, std::string());
  if (recent.size() > limit) recent.resize(limit);
  return recent;
}

std::vector<std::string> ForgetRecent(std::vector<std::string> recent, const std::string& path) {
  std::erase(recent, path);
  return recent;
}

}  // namespace tracelink
