#include "trace/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace tracelink {
namespace {

std::string digestOf(std::string_view text) {
  Sha256 sha;
  sha.update(text);
  return Sha256::hex(sha.finish());
}

TEST(Sha256, GivesTheFips180Digests) {
  const struct {
    std::string message;
    const char* digest;
  } cases[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      // 56 bytes: the length no longer fits the block, a second block carries it.
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqr"
       "lmnopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(digestOf(c.message), c.digest) << c.message.size() << " bytes";
    EXPECT_EQ(Sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(c.message.data()),
                                  c.message.size())),
              c.digest);
  }
}

TEST(Sha256, AMessageInPiecesHasTheDigestOfTheWhole) {
  std::string message;
  for (int i = 0; i < 3000; ++i) message += static_cast<char>(i * 131 % 251);
  // Lengths around the block and the padding boundaries, fed in pieces of many sizes.
  for (const std::size_t length : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 3000u}) {
    const std::string whole = digestOf(std::string_view(message).substr(0, length));
    for (const std::size_t piece : {1u, 3u, 63u, 64u, 65u, 1000u}) {
      Sha256 sha;
      for (std::size_t at = 0; at < length; at += piece)
        sha.update(std::string_view(message).substr(at, std::min(piece, length - at)));
      EXPECT_EQ(Sha256::hex(sha.finish()), whole) << length << " in pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace tracelink
