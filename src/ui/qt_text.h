#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

#include "files/path_text.h"

namespace tracelink {

// The layers below the window speak UTF-8 std::string and std::filesystem::path; the
// window speaks QString. These are the only crossings.
inline QString fromStd(const std::string& s) {
  return QString::fromStdString(s);
}
inline QString fromStd(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Paths cross as UTF-8, through the program's one pair of path conversions, so a Chinese
// folder name is taken right on every platform.
inline std::filesystem::path toPath(const QString& s) {
  return pathFromText(s.toStdString());
}

inline QString fromPath(const std::filesystem::path& p) {
  return QString::fromStdString(pathText(p));
}

}  // namespace tracelink
