#pragma once

#include <concepts>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tracelink {

// Every table of texts marks its values as {0}, {1}, ... {9}, in whatever order the
// language puts them; fillIn puts the values in. A mark with no value, and any other
// brace, stays as written, and a value is never searched for marks itself, so a path
// holding "{1}" comes out as it is.
std::string fillIn(std::string_view pattern, std::span<const std::string_view> values);

inline std::string fillIn(std::string_view pattern,
                          std::initializer_list<std::string_view> values) {
  return fillIn(pattern, std::span<const std::string_view>(values.begin(), values.size()));
}

// The same for the window's own string type, which converts to and from UTF-8 (QString);
// written here so that the window's tables are filled by this one filler too.
template <class Text>
requires requires(const Text& t) {
  { t.toStdString() } -> std::convertible_to<std::string>;
  Text::fromStdString(std::string());
}
Text fillIn(const Text& pattern, std::initializer_list<std::type_identity_t<Text>> values) {
  std::vector<std::string> utf8;
  utf8.reserve(values.size());
  for (const Text& v : values) utf8.push_back(v.toStdString());
  const std::vector<std::string_view> views(utf8.begin(), utf8.end());
  return Text::fromStdString(fillIn(pattern.toStdString(), views));
}

}  // namespace tracelink
