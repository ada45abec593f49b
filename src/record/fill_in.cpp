#include "record/fill_in.h"

namespace tracelink {

std::string fillIn(std::string_view pattern, std::span<const std::string_view> values) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' &&
        pattern[i + 1] >= '0' && pattern[i + 1] <= '9') {
      const auto k = static_cast<std::size_t>(pattern[i + 1] - '0');
      if (k < values.size()) {
        out += values[k];
        i += 2;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

}  // namespace tracelink
