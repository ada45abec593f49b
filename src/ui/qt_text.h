#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace tracelink {

// The layers below the window speak UTF-8 std::string and std::filesystem::path; the
// window speaks QString. These are the only crossings.
inline QString fromStd(const std::string& s) {
  return QString::fromStdString(s);
}

// UTF-8 through char8_t so a Chinese folder name is taken right on every platform.
inline std::filesystem::path toPath(const QString& s) {
  const QByteArray utf8 = s.toUtf8();
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                                             static_cast<std::size_t>(utf8.size())));
}

inline QString fromPath(const std::filesystem::path& p) {
  const std::u8string u = p.u8string();
  return QString::fromUtf8(reinterpret_cast<const char*>(u.data()),
                           static_cast<qsizetype>(u.size()));
}

}  // namespace tracelink
