// Our record block: encoded and decoded as a pair, its refusals with the field and file
// offset they name, and the offsets the reader keeps for every block.
#include "sor/record_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "sor/sor_io.h"
#include "sor/sor_test_support.h"
#include "sor/trace_sor.h"

namespace tracelink::sor {
namespace {

using testing::readBytes;
using testing::samplePath;

// A record whose words are 16-bit values; the samples stay within 655 dB of each other
// only when narrow, so that DataPts can hold them exactly.
std::unique_ptr<TraceRecord> makeRecord(std::uint32_t seed, bool narrow) {
  auto r = std::make_unique<TraceRecord>();
  std::mt19937 rng(seed);
  for (std::size_t p = 0; p < kRecordWords; ++p)
    r->words[p] =
        static_cast<std::int32_t>(narrow && p < kHeaderStart ? 3000 + rng() % 6000 : rng() % 65536);
  return r;
}

// The DataPts trace and the points as an export makes them: levels below the top in
// 0.001 dB when exact, else values the block does not rely on.
struct Points {
  RecordPoints points;
  DataTrace trace;
};

Points pointsOf(const TraceRecord& r, std::size_t first, std::size_t count, bool exact) {
  Points p;
  p.points.first = first;
  p.points.count = count;
  p.points.exact = exact;
  for (std::size_t i = 0; i < count; ++i) p.points.top = std::max(p.points.top, r[first + i]);
  p.trace.scaleFactor = exact ? kBaseScaleFactor : 7000;
  for (std::size_t i = 0; i < count; ++i)
    p.trace.values.push_back(
        static_cast<std::uint16_t>(exact ? (p.points.top - r[first + i]) * 10 : i % 65536));
  return p;
}

TEST(RecordBlock, EncodedAndDecodedGiveTheRecordBack) {
  const struct {
    const char* what;
    std::int32_t blocks;
    std::size_t first;
    std::size_t count;
    bool exact;
  } cases[] = {
      {"points inside the samples", 3, 36, 8001, true},
      {"points from position 0", 1, 0, 4001, true},
      {"points running past the sample blocks", 2, 7000, 4000, true},
      {"points wholly after the sample blocks", 1, 12000, 40000, true},
      {"every block, the points rounded", 15, 100, 48000, false},
      {"no points", 4, 500, 0, true},
      {"points up to the record's end", 15, 12099, 48001, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto record = makeRecord(static_cast<std::uint32_t>(c.first + c.count), c.exact);
    const Points p = pointsOf(*record, c.first, c.count, c.exact);
    Block block = EncodeRecordBlock(*record, c.blocks, p.points);
    EXPECT_EQ(block.ref.name, kRecordBlockName);
    EXPECT_EQ(block.ref.version, kRecordBlockVersion);
    EXPECT_EQ(block.kind, BlockKind::Other);
    ASSERT_EQ(block.raw.rfind(std::string(kRecordBlockName) + '\0', 0), 0u);
    block.offset = 4096;
    const SorResult<RecordFromSor> back = DecodeRecordBlock(block, 2, &p.trace);
    ASSERT_TRUE(back.ok()) << back.error().text();
    EXPECT_EQ(back->blockCount, c.blocks);
    const std::size_t sampleWords = static_cast<std::size_t>(c.blocks) * kBlockWords;
    for (std::size_t q = 0; q < kRecordWords; ++q) {
      const bool kept = q < sampleWords || (q >= c.first && q < c.first + c.count) ||
                        (q >= kHeaderStart && q < kHeaderEnd);
      ASSERT_EQ((*back->record)[q], kept ? (*record)[q] : 0) << q;
    }
  }
}

// Offsets inside the block: its name (16 bytes), format, block count, 4000 header words,
// top level, first position, point count, other words.
constexpr std::size_t kFormatAt = 16;
constexpr std::size_t kBlockCountAt = 18;
constexpr std::size_t kTopAt = 20 + 2 * kBlockWords;
constexpr std::size_t kFirstAt = kTopAt + 4;
constexpr std::size_t kCountAt = kTopAt + 8;
constexpr std::size_t kOthersAt = kTopAt + 12;

void put16(std::string& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}

TEST(RecordBlock, DamageIsRefusedNamingFieldAndFileOffset) {
  const auto record = makeRecord(5, true);
  const std::size_t first = 20, count = 4001;
  const Points good = pointsOf(*record, first, count, true);
  Block encoded = EncodeRecordBlock(*record, 2, good.points);
  const std::size_t base = 70000;  // where the block starts in its file
  encoded.offset = base;
  const std::size_t exactAt = kOthersAt + 4 + 2 * (2 * kBlockWords - count);
  const std::size_t levelsAt = exactAt + 1;

  struct Case {
    const char* what;
    std::function<void(std::string& raw, DataTrace& trace, const DataTrace*& points)> damage;
    SorCode code;
    const char* field;
    std::size_t at;  // offset in the block
    std::int64_t a;
    std::int64_t b;
  };
  const Case cases[] = {
      {"cut inside the header words", [](std::string& raw, auto&, auto&) { raw.resize(30); },
       SorCode::RecordTooShort, "header words", kBlockCountAt + 2, 2 * kBlockWords, 10},
      {"a format of another program",
       [](std::string& raw, auto&, auto&) { put16(raw, kFormatAt, 2); }, SorCode::RecordFormat,
       "format", kFormatAt + 2, 2, 0},
      {"no block", [](std::string& raw, auto&, auto&) { put16(raw, kBlockCountAt, 0); },
       SorCode::RecordBlockCount, "block count", kBlockCountAt + 2, 0, 0},
      {"16 blocks", [](std::string& raw, auto&, auto&) { put16(raw, kBlockCountAt, 16); },
       SorCode::RecordBlockCount, "block count", kBlockCountAt + 2, 16, 0},
      {"a top level beyond a word",
       [](std::string& raw, auto&, auto&) { put32(raw, kTopAt, 70000); }, SorCode::RecordTopLevel,
       "top level", kOthersAt, 70000, 0},
      {"points beyond the record",
       [](std::string& raw, auto&, auto&) { put32(raw, kFirstAt, 60000); },
       SorCode::RecordPointsOutside, "point count", kOthersAt, 60000, 60000 + 4001},
      {"DataPts one point short", [](auto&, DataTrace& trace, auto&) { trace.values.pop_back(); },
       SorCode::RecordPointsMismatch, "point count", kOthersAt, 4001, 0},
      {"no DataPts", [](auto&, auto&, const DataTrace*& points) { points = nullptr; },
       SorCode::RecordPointsMismatch, "point count", kOthersAt, 4001, 0},
      {"a point count that is not DataPts'",
       [](std::string& raw, auto&, auto&) { put32(raw, kCountAt, 4000); },
       SorCode::RecordPointsMismatch, "point count", kOthersAt, 4000, 0},
      {"one other word too many",
       [](std::string& raw, auto&, auto&) { put32(raw, kOthersAt, 2 * kBlockWords - 4001 + 1); },
       SorCode::RecordOtherWords, "other words", kOthersAt + 4, 2 * kBlockWords - 4001 + 1,
       2 * kBlockWords - 4001},
      {"cut inside the other words",
       [](std::string& raw, auto&, auto&) { raw.resize(kOthersAt + 9); }, SorCode::RecordTooShort,
       "other words", kOthersAt + 8, 2, 1},
      {"cut before the exact flag", [=](std::string& raw, auto&, auto&) { raw.resize(exactAt); },
       SorCode::RecordTooShort, "exact", exactAt, 1, 0},
      {"a point between two levels", [](auto&, DataTrace& trace, auto&) { trace.values[17] += 5; },
       SorCode::RecordLevelMismatch, "exact", exactAt, 17, 0},
      {"a point below the level 0",
       [](std::string& raw, DataTrace& trace, auto&) {
         put32(raw, kTopAt, 0);
         std::fill(trace.values.begin(), trace.values.end(), 0);
         trace.values[3] = 10;
       },
       SorCode::RecordLevelMismatch, "exact", exactAt, 3, 0},
      {"DataPts at another scale", [](auto&, DataTrace& trace, auto&) { trace.scaleFactor = 1001; },
       SorCode::RecordLevelMismatch, "exact", exactAt, 0, 0},
      {"rounded points without their levels",
       [=](std::string& raw, auto&, auto&) {
         raw[exactAt] = 0;
         raw.resize(levelsAt + 2 * 100 + 1);
       },
       SorCode::RecordTooShort, "levels", levelsAt + 2 * 100, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Block block = encoded;
    DataTrace trace = good.trace;
    const DataTrace* points = &trace;
    c.damage(block.raw, trace, points);
    const SorResult<RecordFromSor> r = DecodeRecordBlock(block, 2, points);
    ASSERT_FALSE(r.ok());
    const SorProblem& p = r.problem();
    EXPECT_EQ(p.code, c.code) << r.error().text();
    EXPECT_EQ(p.block, kRecordBlockName);
    EXPECT_EQ(p.field, c.field);
    EXPECT_EQ(p.offset, base + c.at) << r.error().text();
    EXPECT_EQ(p.a, c.a);
    EXPECT_EQ(p.b, c.b);
  }
  // Undamaged, the same block reads.
  EXPECT_TRUE(DecodeRecordBlock(encoded, 2, &good.trace).ok());
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST(BlockOffsets, EachBlockKeepsWhereItStartsInTheFile) {
  for (const char* name : {"sample01.sor", "sample04.sor", "sample11.sor", "sample17.sor"}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> bytes = readBytes(samplePath(name));
    const SorResult<SorFile> f = ReadSor(bytes);
    ASSERT_TRUE(f.ok()) << f.error().text();
    // The first block follows the Map, whose size the file states.
    std::size_t at = le32(bytes, f->version == 2 ? 6 : 2);
    for (const Block& b : f->blocks) {
      SCOPED_TRACE(b.ref.name);
      EXPECT_EQ(b.offset, at);
      if (f->version == 2) {
        EXPECT_EQ(std::memcmp(bytes.data() + b.offset, b.ref.name.c_str(), b.ref.name.size() + 1),
                  0);
      }
      at += b.ref.size;
    }
    EXPECT_EQ(at + f->trailing.size(), bytes.size());
  }
}

// A fault in our block found after reading names the offset in the file where it lies.
TEST(BlockOffsets, ARecordBlockFaultNamesItsPlaceInTheFile) {
  const auto record = makeRecord(9, true);
  (*record)[slot::kRangeN] = 3;
  (*record)[slot::kStartPoint] = 1;
  (*record)[slot::kRangeLine] = 3000;
  HeaderState header;
  header.BlocksPerTrace = 1;
  ViewWindow view;
  ApplyHeader(*record, header, view);
  SorExportOptions o;
  o.comment = "a comment that moves every later block";
  const SorResult<std::vector<std::uint8_t>> written = WriteTraceAsSor(*record, header, view, 1, o);
  ASSERT_TRUE(written.ok()) << written.error().text();
  std::vector<std::uint8_t> bytes = *written;
  const SorResult<SorFile> f = ReadSor(bytes);
  ASSERT_TRUE(f.ok());
  const Block& ours = f->blocks.at(5);
  ASSERT_EQ(ours.ref.name, kRecordBlockName);
  // Format 9 in the file's bytes.
  bytes[ours.offset + kFormatAt] = 9;
  const std::optional<SorResult<RecordFromSor>> back = RecordOf(*ReadSor(bytes));
  ASSERT_TRUE(back.has_value());
  ASSERT_FALSE(back->ok());
  EXPECT_EQ(back->problem().code, SorCode::RecordFormat);
  EXPECT_EQ(back->problem().a, 9);
  // The offset is that of the byte after the field, as the reader names every field.
  EXPECT_EQ(back->problem().offset, ours.offset + kFormatAt + 2);
  EXPECT_EQ(bytes[back->problem().offset - 2], 9);
}

}  // namespace
}  // namespace tracelink::sor
