#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tracelink {

// SHA-256 of a file's bytes, so that a trace names exactly what it was read from: two
// files with the same name and different contents never pass for one another.
class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;

  Sha256();
  // Takes the next bytes; the message may come in pieces of any size.
  void update(std::span<const std::uint8_t> bytes);
  void update(std::string_view text);
  // The digest of everything taken. The object is spent afterwards.
  Digest finish();

  static std::string hex(const Digest& digest);  // 64 lowercase hex digits

 private:
  void compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes taken
};

// The digest of bytes as 64 lowercase hex digits.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace tracelink
