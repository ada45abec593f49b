#include "sor/record_block.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>

namespace tracelink::sor {

namespace {

void putU16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void putU32(std::string& out, std::uint32_t v) {
  putU16(out, v & 0xFFFF);
  putU16(out, v >> 16);
}

void putWords(std::string& out, const TraceRecord& record, std::size_t from, std::size_t to) {
  const std::size_t at = out.size();
  out.resize(at + 2 * (to - from));
  char* p = out.data() + at;
  for (std::size_t q = from; q < to; ++q) {
    *p++ = static_cast<char>(record[q] & 0xFF);
    *p++ = static_cast<char>((record[q] >> 8) & 0xFF);
  }
}

// The sample words that the data points do not cover: those before them and those after,
// up to the end of the record's sample blocks.
struct OtherWords {
  std::size_t before = 0;     // positions 0..before
  std::size_t afterFrom = 0;  // and afterFrom..sampleWords
  std::size_t sampleWords = 0;
  std::size_t count() const { return before + (sampleWords - afterFrom); }
};

OtherWords otherWords(std::size_t first, std::size_t count, std::size_t sampleWords) {
  OtherWords o;
  o.sampleWords = sampleWords;
  o.before = std::min(first, sampleWords);
  o.afterFrom = std::max(std::min(first + count, sampleWords), o.before);
  return o;
}

// Reads the block's little-endian fields. The first that does not fit stops it: it keeps
// that problem and every later read returns zero.
class BlockReader {
 public:
  BlockReader(const Block& block, std::size_t pos)
      : raw_(block.raw), base_(block.offset), pos_(pos) {}

  bool ok() const { return !problem_; }
  const SorProblem& problem() const { return *problem_; }
  std::size_t pos() const { return pos_; }

  void fail(SorCode code, const char* field, std::int64_t a = 0, std::int64_t b = 0,
            std::size_t at = npos) {
    if (problem_) return;
    SorProblem p;
    p.code = code;
    p.block = kRecordBlockName;
    p.field = field;
    p.offset = base_ + (at == npos ? pos_ : at);
    p.a = a;
    p.b = b;
    problem_ = std::move(p);
  }
  bool need(const char* field, std::size_t n) {
    if (problem_) return false;
    if (pos_ <= raw_.size() && n <= raw_.size() - pos_) return true;
    fail(SorCode::RecordTooShort, field, static_cast<std::int64_t>(n),
         static_cast<std::int64_t>(raw_.size() - std::min(pos_, raw_.size())));
    return false;
  }
  std::uint32_t u8(const char* field) {
    if (!need(field, 1)) return 0;
    return static_cast<unsigned char>(raw_[pos_++]);
  }
  std::uint32_t u16(const char* field) {
    if (!need(field, 2)) return 0;
    const auto v = static_cast<std::uint32_t>(static_cast<unsigned char>(raw_[pos_]) |
                                              (static_cast<unsigned char>(raw_[pos_ + 1]) << 8));
    pos_ += 2;
    return v;
  }
  std::uint32_t u32(const char* field) {
    const std::uint32_t lo = u16(field);
    return lo | (u16(field) << 16);
  }

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  const std::string& raw_;
  std::size_t base_;
  std::size_t pos_;
  std::optional<SorProblem> problem_;
};

// The fields before the words: what the rest of the block is read by.
struct RecordHead {
  std::int32_t blockCount = 0;
  std::array<std::uint16_t, kBlockWords> headerWords{};
  std::uint32_t top = 0;
  std::uint32_t first = 0;
  std::uint32_t count = 0;
};

void readHead(BlockReader& in, RecordHead& head) {
  const std::uint32_t format = in.u16("format");
  if (in.ok() && format != kRecordFormat) in.fail(SorCode::RecordFormat, "format", format);
  head.blockCount = static_cast<std::int32_t>(in.u16("block count"));
  if (in.ok() && (head.blockCount < 1 || head.blockCount > 15))
    in.fail(SorCode::RecordBlockCount, "block count", head.blockCount);
  if (in.need("header words", 2 * kBlockWords))
    for (std::uint16_t& w : head.headerWords)
      w = static_cast<std::uint16_t>(in.u16("header words"));
  head.top = in.u32("top level");
  head.first = in.u32("first position");
  head.count = in.u32("point count");
}

// The head against the record and the file's DataPts, and the count of other words.
void checkHead(BlockReader& in, const RecordHead& head, const DataTrace* points) {
  if (head.top > 0xFFFF) in.fail(SorCode::RecordTopLevel, "top level", head.top);
  if (head.first > kRecordWords || head.count > kRecordWords - head.first)
    in.fail(SorCode::RecordPointsOutside, "point count", head.first,
            std::int64_t{head.first} + head.count);
  if (in.ok() && (!points || points->values.size() != head.count))
    in.fail(SorCode::RecordPointsMismatch, "point count", head.count);
  const std::size_t sampleWords = static_cast<std::size_t>(head.blockCount) * kBlockWords;
  const std::size_t expected = otherWords(head.first, head.count, sampleWords).count();
  const std::uint32_t others = in.u32("other words");
  if (in.ok() && others != expected)
    in.fail(SorCode::RecordOtherWords, "other words", others, static_cast<std::int64_t>(expected));
}

// The levels of the data points: from DataPts where it holds them exactly, else from the
// block.
void readLevels(BlockReader& in, const RecordHead& head, const DataTrace& points,
                TraceRecord& record) {
  const bool exact = in.u8("exact") != 0;
  if (!in.ok()) return;
  if (!exact) {
    for (std::size_t i = 0; i < head.count && in.ok(); ++i)
      record[head.first + i] = static_cast<std::int32_t>(in.u16("levels"));
    return;
  }
  for (std::size_t i = 0; i < head.count; ++i) {
    const std::uint32_t v = points.values[i];
    if (points.scaleFactor != kBaseScaleFactor || v % 10 != 0 || v / 10 > head.top) {
      in.fail(SorCode::RecordLevelMismatch, "exact", static_cast<std::int64_t>(i), 0, in.pos() - 1);
      return;
    }
    record[head.first + i] = static_cast<std::int32_t>(head.top - v / 10);
  }
}

}  // namespace

Block EncodeRecordBlock(const TraceRecord& record, std::int32_t blockCount,
                        const RecordPoints& points) {
  const std::size_t sampleWords = static_cast<std::size_t>(blockCount) * kBlockWords;
  const OtherWords others = otherWords(points.first, points.count, sampleWords);
  std::string raw = std::string(kRecordBlockName) + '\0';
  raw.reserve(raw.size() + 2 * kBlockWords + 32 + 2 * sampleWords +
              (points.exact ? 0 : 2 * points.count));
  putU16(raw, kRecordFormat);
  putU16(raw, static_cast<std::uint32_t>(blockCount));
  putWords(raw, record, kHeaderStart, kHeaderEnd);
  putU32(raw, static_cast<std::uint32_t>(points.top));
  putU32(raw, static_cast<std::uint32_t>(points.first));
  putU32(raw, static_cast<std::uint32_t>(points.count));
  putU32(raw, static_cast<std::uint32_t>(others.count()));
  putWords(raw, record, 0, others.before);
  putWords(raw, record, others.afterFrom, sampleWords);
  raw += static_cast<char>(points.exact ? 1 : 0);
  if (!points.exact) putWords(raw, record, points.first, points.first + points.count);

  Block block;
  block.ref = BlockRef{kRecordBlockName, kRecordBlockVersion, 0};
  block.kind = BlockKind::Other;
  block.raw = std::move(raw);
  return block;
}

SorResult<RecordFromSor> DecodeRecordBlock(const Block& block, int version,
                                           const DataTrace* points) {
  // A version 2 block starts with its name.
  BlockReader in(block, version == 2 ? std::strlen(kRecordBlockName) + 1 : 0);
  RecordHead head;
  readHead(in, head);
  if (in.ok()) checkHead(in, head, points);
  if (!in.ok()) return in.problem();

  RecordFromSor out;
  out.blockCount = head.blockCount;
  TraceRecord& record = *out.record;
  const std::size_t sampleWords = static_cast<std::size_t>(head.blockCount) * kBlockWords;
  for (std::size_t p = 0; p < sampleWords; ++p)
    if (p < head.first || p >= head.first + head.count)
      record[p] = static_cast<std::int32_t>(in.u16("other words"));
  readLevels(in, head, *points, record);
  if (!in.ok()) return in.problem();
  for (std::size_t k = 0; k < kBlockWords; ++k) record[kHeaderStart + k] = head.headerWords[k];
  return out;
}

}  // namespace tracelink::sor
