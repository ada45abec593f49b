#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/path_text.h"

namespace tracelink::sor::testing {

inline std::filesystem::path samplePath(const std::string& name) {
  return pathFromText(TRACELINK_SOR_SAMPLES) / pathFromText(name);
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
}

}  // namespace tracelink::sor::testing
