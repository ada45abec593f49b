#pragma once

#include <filesystem>
#include <string>

namespace tracelink {

// A path as UTF-8 text, for messages and lists. path::string() would convert to the
// Windows code page there and throw on a name it cannot represent.
inline std::string pathText(const std::filesystem::path& path) {
  const std::u8string u = path.u8string();
  return std::string(u.begin(), u.end());
}

}  // namespace tracelink
