#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "files/path_text.h"
#include "record/trace_record.h"

namespace tracelink::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("tracelink-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / pathFromText(name);
  }

 private:
  std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& p, const std::string& content) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << content;
}

inline std::string readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A record whose every position holds a distinct 16-bit word derived from seed.
inline std::unique_ptr<TraceRecord> patternRecord(std::uint32_t seed) {
  auto record = std::make_unique<TraceRecord>();
  for (std::size_t p = 0; p < record->words.size(); ++p)
    record->words[p] = static_cast<std::int32_t>((p * 2654435761u + seed) & 0xFFFF);
  return record;
}

// The text of a file: the given unmasked words, each masked and followed by ",".
inline std::string fileText(const std::vector<std::int32_t>& words) {
  std::string text;
  for (const std::int32_t w : words) text += std::to_string(w ^ kWordMask) + ",";
  return text;
}

}  // namespace tracelink::test
