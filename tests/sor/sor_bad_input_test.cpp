// Bad input: each case a clear message naming block, field and offset, and never a crash.
#include <gtest/gtest.h>

#include <random>

#include "sor/sor_io.h"
#include "sor/sor_test_support.h"

namespace tracelink::sor {
namespace {

using testing::readBytes;
using testing::samplePath;

// Offsets of each block of a file, from its Map.
std::vector<std::size_t> blockOffsets(const std::vector<std::uint8_t>& bytes, const SorFile& f) {
  std::size_t at = (f.version == 2 ? 4 : 0) + 8;
  for (const Block& b : f.blocks) at += b.ref.name.size() + 1 + 6;
  std::vector<std::size_t> offsets;
  for (const Block& b : f.blocks) {
    offsets.push_back(at);
    at += b.ref.size;
  }
  EXPECT_LE(at, bytes.size());
  return offsets;
}

std::size_t blockAt(const SorFile& f, const std::vector<std::size_t>& offsets,
                    const std::string& name) {
  for (std::size_t i = 0; i < f.blocks.size(); ++i)
    if (f.blocks[i].ref.name == name) return offsets[i];
  ADD_FAILURE() << name;
  return 0;
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = v >> 8;
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}

std::string readError(const std::vector<std::uint8_t>& bytes) {
  Result<SorFile> r = ReadSor(bytes);
  return r.ok() ? std::string("(read)") : r.error().text();
}

TEST(SorBadInput, TruncatedAtEveryBlockBoundary) {
  for (const char* name : {"sample01.sor", "sample04.sor", "sample17.sor"}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> bytes = readBytes(samplePath(name));
    const SorFile f = *ReadSor(bytes);
    const std::vector<std::size_t> offsets = blockOffsets(bytes, f);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
      // Cut where block i starts, and one byte into it.
      for (const std::size_t cut : {offsets[i], offsets[i] + 1}) {
        const std::vector<std::uint8_t> part(bytes.begin(),
                                             bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        const std::string e = readError(part);
        EXPECT_EQ(e.rfind("block " + f.blocks[i].ref.name + ", field size, offset " +
                              std::to_string(offsets[i]) + ": the block's size ",
                          0),
                  0u)
            << e;
        EXPECT_NE(e.find("runs past the end of the file (" + std::to_string(cut - offsets[i]) +
                         " bytes remain)"),
                  std::string::npos)
            << e;
      }
    }
    // Inside the Map itself.
    for (const std::size_t cut : {std::size_t{1}, std::size_t{5}, std::size_t{11}}) {
      const std::vector<std::uint8_t> part(bytes.begin(),
                                           bytes.begin() + static_cast<std::ptrdiff_t>(cut));
      EXPECT_EQ(readError(part).rfind("block Map, field ", 0), 0u) << readError(part);
    }
  }
}

TEST(SorBadInput, EachFaultNamesBlockFieldAndOffset) {
  const std::vector<std::uint8_t> good = readBytes(samplePath("sample01.sor"));
  const SorFile f = *ReadSor(good);
  const std::vector<std::size_t> at = blockOffsets(good, f);
  const std::size_t gen = blockAt(f, at, "GenParams");
  const std::size_t key = blockAt(f, at, "KeyEvents");
  const std::size_t data = blockAt(f, at, "DataPts");
  const std::size_t genSize = f.blocks[0].ref.size;

  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> mutate;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"Map count larger than the file", [](auto& b) { put16(b, 10, 60000); },
       "block Map, field block count, offset 12: 59999 block entries need 419993 bytes, 158 "
       "remain"},
      {"Map size larger than the file", [&](auto& b) { put32(b, 6, 1000000); },
       "block Map, field size, offset 6: the Map claims 1000000 bytes, the file has 54400"},
      {"a block size past the end",
       [&](auto& b) { put32(b, 12 + 10 + 2, static_cast<std::uint32_t>(good.size())); },
       "block GenParams, field size, offset 170: the block's size 54400 runs past the end of the "
       "file (54230 bytes remain)"},
      {"a string with no NUL",
       [&](auto& b) {
         // Everything after the language letters becomes text up to the block's end.
         for (std::size_t i = gen + 12; i < gen + genSize; ++i) b[i] = 'x';
       },
       "block GenParams, field cable ID, offset " + std::to_string(gen + 12) +
           ": the string has no NUL before the block ends"},
      {"a block that does not start with its name", [&](auto& b) { b[gen] = 'g'; },
       "block GenParams, field name, offset 170: the block starts with \"genParams\""},
      {"DataPts with more points than bytes", [&](auto& b) { put32(b, data + 8 + 6, 30000); },
       "block DataPts, field values, offset " + std::to_string(data + 8 + 12) +
           ": 30000 points need 60000 bytes, 50002 remain"},
      {"65535 events", [&](auto& b) { put16(b, key + 10, 65535); },
       "block KeyEvents, field event count, offset " + std::to_string(key + 12) +
           ": 65535 events need 2818005 bytes, 286 remain"},
      {"65535 traces in DataPts", [&](auto& b) { put16(b, data + 8 + 4, 65535); },
       "block DataPts, field trace count, offset " + std::to_string(data + 8 + 6) +
           ": 65535 traces need 393210 bytes, 50008 remain"},
      {"a version that is neither 1 nor 2", [](auto& b) { put16(b, 4, 300); },
       "block Map, field version, offset 4: version 300 is neither 1xx nor 2xx"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> bad = good;
    c.mutate(bad);
    EXPECT_EQ(readError(bad), c.message);
  }
  EXPECT_EQ(readError({}), "block Map, field name, offset 0: the file is empty");
  EXPECT_EQ(readError({'1', '2', '3', ','}),
            "block Map, field size, offset 2: needs 4 bytes, the block has 2 left");
}

TEST(SorBadInput, RandomDamageNeverCrashes) {
  std::mt19937 rng(20261209);
  for (const char* name : {"sample01.sor", "sample04.sor", "sample11.sor", "sample17.sor"}) {
    const std::vector<std::uint8_t> good = readBytes(samplePath(name));
    for (int round = 0; round < 120; ++round) {
      std::vector<std::uint8_t> bad = good;
      // Damage the front (Map and the parameter blocks) most, where sizes and counts live.
      const int hits = 1 + static_cast<int>(rng() % 4);
      for (int h = 0; h < hits; ++h) {
        const std::size_t limit = rng() % 2 ? 600 : bad.size();
        bad[rng() % std::min(limit, bad.size())] = static_cast<std::uint8_t>(rng());
      }
      if (rng() % 3 == 0) bad.resize(rng() % bad.size());
      Result<SorFile> r = ReadSor(bad);
      if (r.ok()) {
        // Whatever reads must also write and read again.
        EXPECT_TRUE(ReadSor(WriteSor(*r)).ok());
      } else {
        EXPECT_EQ(r.error().text().rfind("block ", 0), 0u) << r.error().text();
      }
    }
  }
}

TEST(SorBadInput, AnEmptyFileIsNoTrace) {
  EXPECT_EQ(readError({}), "block Map, field name, offset 0: the file is empty");
}

}  // namespace
}  // namespace tracelink::sor
