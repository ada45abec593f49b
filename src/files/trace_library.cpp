#include "files/trace_library.h"

#include "files/path_text.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace tracelink {

namespace fs = std::filesystem;

namespace {

bool endsWithOtdr(const std::string& name) {
  static constexpr char kExt[] = ".otdr";
  constexpr std::size_t kLen = sizeof kExt - 1;
  if (name.size() <= kLen) return false;
  for (std::size_t i = 0; i < kLen; ++i) {
    char c = name[name.size() - kLen + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kExt[i]) return false;
  }
  return true;
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
    if (endsWithOtdr(name)) names.push_back(std::move(name));
  }
  return names;
}

}  // namespace tracelink
