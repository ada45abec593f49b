#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

#include "sor/sor_io.h"

namespace tracelink::sor {

namespace {

SorProblem problemAt(SorCode code, std::string_view block, std::string_view field,
                     std::size_t offset, std::int64_t a = 0, std::int64_t b = 0) {
  SorProblem p;
  p.code = code;
  p.block = std::string(block);
  p.field = std::string(field);
  p.offset = offset;
  p.a = a;
  p.b = b;
  return p;
}

// Reads little-endian fields inside one block. The first field that does not fit stops
// the cursor: it keeps that problem and every later read returns zero without moving.
class Cursor {
 public:
  Cursor(std::span<const std::uint8_t> file, std::size_t begin, std::size_t end, std::string block)
      : file_(file), pos_(begin), end_(end), block_(std::move(block)) {}

  bool ok() const { return !problem_; }
  const SorProblem& problem() const { return *problem_; }
  std::size_t pos() const { return pos_; }
  std::size_t remaining() const { return end_ - pos_; }

  void fail(SorProblem p) {
    if (!problem_) problem_ = std::move(p);
    pos_ = end_;
  }
  void fail(SorCode code, std::string_view field, std::int64_t a = 0, std::int64_t b = 0) {
    fail(problemAt(code, block_, field, pos_, a, b));
  }
  bool need(std::string_view field, std::size_t n) {
    if (!ok()) return false;
    if (n <= remaining()) return true;
    fail(SorCode::FieldTooShort, field, static_cast<std::int64_t>(n),
         static_cast<std::int64_t>(remaining()));
    return false;
  }

  std::uint64_t uint(std::string_view field, int bytes) {
    if (!need(field, static_cast<std::size_t>(bytes))) return 0;
    std::uint64_t v = 0;
    for (int k = bytes - 1; k >= 0; --k) v = (v << 8) | file_[pos_ + static_cast<std::size_t>(k)];
    pos_ += static_cast<std::size_t>(bytes);
    return v;
  }
  std::uint16_t u16(std::string_view f) { return static_cast<std::uint16_t>(uint(f, 2)); }
  std::uint32_t u32(std::string_view f) { return static_cast<std::uint32_t>(uint(f, 4)); }
  std::int16_t i16(std::string_view f) { return static_cast<std::int16_t>(u16(f)); }
  std::int32_t i32(std::string_view f) { return static_cast<std::int32_t>(u32(f)); }

  // n values whose room has been checked.
  std::vector<std::uint16_t> u16s(std::size_t n) {
    std::vector<std::uint16_t> v(n);
    const std::uint8_t* p = file_.data() + pos_;
    for (std::size_t i = 0; i < n; ++i, p += 2)
      v[i] = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    pos_ += 2 * n;
    return v;
  }
  std::string chars(std::string_view field, std::size_t n) {
    if (!need(field, n)) return {};
    std::string s(reinterpret_cast<const char*>(file_.data() + pos_), n);
    pos_ += n;
    return s;
  }
  // Fixed-width letters as valid UTF-8 text.
  std::string letters(std::string_view field, std::size_t n) {
    return DecodeText(chars(field, n)).text;
  }
  // A NUL-terminated string that has to end inside the block.
  std::string rawString(std::string_view field) {
    if (!ok()) return {};
    const std::uint8_t* begin = file_.data() + pos_;
    const void* nul = std::memchr(begin, 0, remaining());
    if (!nul) {
      fail(SorCode::NoNul, field);
      return {};
    }
    const auto n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - begin);
    std::string s(reinterpret_cast<const char*>(begin), n);
    pos_ += n + 1;
    return s;
  }
  SorString text(std::string_view field) { return DecodeText(rawString(field)); }
  std::string rest() {
    if (!ok()) return {};
    std::string s(reinterpret_cast<const char*>(file_.data() + pos_), remaining());
    pos_ = end_;
    return s;
  }
  // A count of items of itemBytes each, checked against what the block still holds.
  bool countFits(std::string_view field, std::uint64_t count, std::size_t itemBytes,
                 SorItems items) {
    if (!ok()) return false;
    if (count * itemBytes <= remaining()) return true;
    SorProblem p =
        problemAt(SorCode::CountTooLarge, block_, field, pos_, static_cast<std::int64_t>(count),
                  static_cast<std::int64_t>(count * itemBytes));
    p.c = static_cast<std::int64_t>(remaining());
    p.items = items;
    fail(std::move(p));
    return false;
  }

 private:
  std::span<const std::uint8_t> file_;
  std::size_t pos_;
  std::size_t end_;
  std::string block_;
  std::optional<SorProblem> problem_;
};

GenParams readGenParams(Cursor& c, int version) {
  GenParams g;
  g.language = c.letters("language", 2);
  g.cableId = c.text("cable ID");
  g.fiberId = c.text("fiber ID");
  if (version == 2) g.fiberType = c.u16("fiber type");
  g.wavelengthNm = c.u16("wavelength");
  g.locationA = c.text("location A");
  g.locationB = c.text("location B");
  g.cableCode = c.text("cable code");
  g.buildCondition = c.letters("build condition", 2);
  g.userOffset = c.i32("user offset");
  if (version == 2) g.userOffsetDistance = c.i32("user offset distance");
  g.operatorName = c.text("operator");
  g.comment = c.text("comment");
  g.tail = c.rest();
  return g;
}

SupParams readSupParams(Cursor& c) {
  SupParams s;
  s.supplier = c.text("supplier");
  s.otdr = c.text("OTDR");
  s.otdrSerial = c.text("OTDR serial number");
  s.module = c.text("module");
  s.moduleSerial = c.text("module serial number");
  s.software = c.text("software");
  s.other = c.text("other");
  s.tail = c.rest();
  return s;
}

FxdParams readFxdParams(Cursor& c, int version) {
  FxdParams f;
  f.dateTime = c.u32("date/time");
  f.units = c.letters("units", 2);
  f.wavelength = c.u16("wavelength");
  f.acquisitionOffset = c.i32("acquisition offset");
  if (version == 2) f.acquisitionOffsetDistance = c.i32("acquisition offset distance");
  const std::uint16_t widths = c.u16("pulse width count");
  // Each pulse width takes 2 + 4 + 4 bytes.
  if (c.countFits("pulse width count", widths, 10, SorItems::PulseWidths)) {
    for (int k = 0; k < widths; ++k) f.pulseWidths.push_back(c.u16("pulse widths"));
    for (int k = 0; k < widths; ++k) f.dataSpacing.push_back(c.u32("data spacing"));
    for (int k = 0; k < widths; ++k) f.pointCounts.push_back(c.u32("data points"));
  }
  f.groupIndex = c.u32("group index");
  f.backscatter = c.u16("backscatter coefficient");
  f.averages = c.u32("averages");
  if (version == 2) f.averagingTime = c.u16("averaging time");
  f.acquisitionRange = c.u32("acquisition range");
  if (version == 2) f.acquisitionRangeDistance = c.i32("acquisition range distance");
  f.frontPanelOffset = c.i32("front panel offset");
  f.noiseFloor = c.u16("noise floor level");
  f.noiseFloorScale = c.i16("noise floor scale factor");
  f.powerOffset = c.u16("power offset");
  f.lossThreshold = c.u16("loss threshold");
  f.reflectanceThreshold = c.u16("reflectance threshold");
  f.endOfFiberThreshold = c.u16("end-of-fiber threshold");
  if (version == 2) {
    f.traceType = c.letters("trace type", 2);
    for (std::int32_t& w : f.window) w = c.i32("window coordinates");
  }
  f.tail = c.rest();
  return f;
}

KeyEvents readKeyEvents(Cursor& c, int version) {
  KeyEvents k;
  const std::uint16_t count = c.u16("event count");
  // The smallest event: 2 + 4 + 2 + 2 + 4 + 6 + 2 bytes, the markers, an empty comment.
  const std::size_t smallest = 22 + (version == 2 ? 20 : 0) + 1;
  if (c.countFits("event count", count, smallest, SorItems::Events)) {
    k.events.reserve(count);
    for (int i = 0; i < count && c.ok(); ++i) {
      KeyEvent e;
      e.number = c.u16("event number");
      e.time = c.u32("event time");
      e.slope = c.i16("attenuation coefficient");
      e.spliceLoss = c.i16("event loss");
      e.reflectance = c.i32("event reflectance");
      e.code = c.letters("event code", 6);
      e.technique = c.letters("loss measurement technique", 2);
      if (version == 2)
        for (std::int32_t& m : e.markers) m = c.i32("marker locations");
      e.comment = c.text("event comment");
      k.events.push_back(std::move(e));
    }
  }
  k.totalLoss = c.i32("end-to-end loss");
  k.lossStart = c.i32("end-to-end loss start");
  k.lossEnd = c.u32("end-to-end loss end");
  k.orl = c.u16("optical return loss");
  k.orlStart = c.i32("optical return loss start");
  k.orlEnd = c.u32("optical return loss end");
  k.tail = c.rest();
  return k;
}

DataPts readDataPts(Cursor& c, std::vector<std::string>& notes) {
  DataPts d;
  d.pointCount = c.u32("data point count");
  const std::uint16_t traces = c.u16("trace count");
  if (c.countFits("trace count", traces, 6, SorItems::Traces)) {
    for (int t = 0; t < traces && c.ok(); ++t) {
      DataTrace trace;
      const std::uint32_t n = c.u32("points of the trace");
      trace.scaleFactor = c.u16("scale factor");
      if (!c.countFits("values", n, 2, SorItems::Points)) break;
      trace.values = c.u16s(n);
      d.traces.push_back(std::move(trace));
    }
  }
  d.tail = c.rest();
  if (c.ok() && d.traces.size() > 1)
    notes.push_back("DataPts holds " + std::to_string(d.traces.size()) +
                    " traces; the first is used");
  if (c.ok() && !d.traces.empty() && d.traces.front().values.size() != d.pointCount)
    notes.push_back("DataPts says " + std::to_string(d.pointCount) +
                    " points, its first trace has " +
                    std::to_string(d.traces.front().values.size()));
  return d;
}

BlockKind kindOf(const std::string& name) {
  if (name == "GenParams") return BlockKind::GenParams;
  if (name == "SupParams") return BlockKind::SupParams;
  if (name == "FxdParams") return BlockKind::FxdParams;
  if (name == "KeyEvents") return BlockKind::KeyEvents;
  if (name == "DataPts") return BlockKind::DataPts;
  if (name == "Cksum") return BlockKind::Cksum;
  return BlockKind::Other;
}

struct MapRead {
  int version = 2;
  std::uint16_t mapVersion = 0;
  std::uint32_t size = 0;
  std::vector<BlockRef> refs;
};

SorResult<MapRead> readMap(std::span<const std::uint8_t> bytes) {
  MapRead m;
  Cursor head(bytes, 0, bytes.size(), "Map");
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "Map\0", 4) == 0) {
    head.chars("name", 4);
  } else {
    m.version = 1;
  }
  m.mapVersion = head.u16("version");
  m.size = head.u32("size");
  const std::uint16_t count = head.u16("block count");
  if (!head.ok()) return head.problem();
  if (m.version == 2 && (m.mapVersion < 200 || m.mapVersion > 299))
    return problemAt(SorCode::MapVersion, "Map", "version", 4, m.mapVersion);
  if (m.version == 1 && (m.mapVersion < 100 || m.mapVersion > 199))
    return problemAt(SorCode::NotAMap, "Map", "version", 0);
  if (m.size > bytes.size())
    return problemAt(SorCode::MapPastEnd, "Map", "size", head.pos() - 6, m.size,
                     static_cast<std::int64_t>(bytes.size()));
  if (m.size < head.pos())
    return problemAt(SorCode::MapTooSmall, "Map", "size", head.pos() - 6, m.size);
  if (count == 0) return problemAt(SorCode::NoBlocks, "Map", "block count", head.pos() - 2);
  Cursor c(bytes, head.pos(), m.size, "Map");
  // Every entry takes at least its name's NUL, a version and a size.
  if (!c.countFits("block count", count - 1u, 7, SorItems::BlockEntries)) return c.problem();
  for (int i = 1; i < count; ++i) {
    BlockRef ref;
    ref.name = DecodeText(c.rawString("block name")).text;
    ref.version = c.u16("block version");
    ref.size = c.u32("block size");
    if (!c.ok()) return c.problem();
    m.refs.push_back(std::move(ref));
  }
  return m;
}

// Whether the file already has the block of that kind: a second one is kept as it is, and
// the first one is the one shown.
bool alreadyRead(const SorFile& file, BlockKind kind) {
  switch (kind) {
    case BlockKind::GenParams:
      return file.genParams.has_value();
    case BlockKind::SupParams:
      return file.supParams.has_value();
    case BlockKind::FxdParams:
      return file.fxdParams.has_value();
    case BlockKind::KeyEvents:
      return file.keyEvents.has_value();
    case BlockKind::DataPts:
      return file.dataPts.has_value();
    case BlockKind::Cksum:
    case BlockKind::Other:
      break;
  }
  return false;
}

// The fields of a block this program knows, into their struct in the file. Where the
// checksum is, when the block is Cksum.
std::optional<SorProblem> readKnownBlock(std::span<const std::uint8_t> bytes, const Block& block,
                                         SorFile& file, std::optional<std::size_t>& checksumAt,
                                         std::size_t& checksumBlockAt) {
  const std::size_t end = block.offset + block.ref.size;
  Cursor c(bytes, block.offset, end, block.ref.name);
  if (file.version == 2) {
    const std::string name = c.rawString("name");
    if (c.ok() && name != block.ref.name) {
      SorProblem p = problemAt(SorCode::BlockNameMismatch, block.ref.name, "name", block.offset);
      p.found = DecodeText(name).text;
      return p;
    }
  }
  switch (block.kind) {
    case BlockKind::GenParams:
      file.genParams = readGenParams(c, file.version);
      break;
    case BlockKind::SupParams:
      file.supParams = readSupParams(c);
      break;
    case BlockKind::FxdParams:
      file.fxdParams = readFxdParams(c, file.version);
      break;
    case BlockKind::KeyEvents:
      file.keyEvents = readKeyEvents(c, file.version);
      break;
    case BlockKind::DataPts:
      file.dataPts = readDataPts(c, file.notes);
      break;
    case BlockKind::Cksum:
      if (!c.need("checksum", 2)) break;
      checksumAt = end - 2;
      checksumBlockAt = block.offset;
      file.checksum.stored = static_cast<std::uint16_t>(bytes[end - 2] | (bytes[end - 1] << 8));
      break;
    case BlockKind::Other:
      break;
  }
  if (!c.ok()) return c.problem();
  return std::nullopt;
}

// Bytes after the last block are kept, and said.
void keepTrailing(std::span<const std::uint8_t> bytes, std::size_t end, SorFile& file) {
  if (end >= bytes.size()) return;
  file.trailing.assign(reinterpret_cast<const char*>(bytes.data() + end), bytes.size() - end);
  file.notes.push_back(std::to_string(file.trailing.size()) +
                       " bytes after the last block are kept but not read");
}

void checkChecksum(std::span<const std::uint8_t> bytes, std::optional<std::size_t> at,
                   std::size_t blockAt, SorFile& file) {
  if (!at) return;
  file.checksum = CheckChecksum(bytes, *at, blockAt);
}

// The CRC register is linear in its start value: after the same bytes, the registers of
// two starts differ by what the difference alone becomes after as many zero bytes. So one
// pass over a file gives every start's value; the zero bytes take a handful of 16 x 16 bit
// matrix products however long the file is.
using BitMatrix = std::array<std::uint16_t, 16>;  // column k: the image of bit k

std::uint16_t apply(const BitMatrix& m, std::uint16_t v) {
  std::uint16_t r = 0;
  for (std::size_t k = 0; k < 16; ++k)
    if ((v >> k) & 1) r ^= m[k];
  return r;
}

// The register after n zero bytes from v.
std::uint16_t afterZeros(std::uint16_t v, std::size_t n) {
  static constexpr std::uint8_t kZero[1] = {0};
  BitMatrix step{};
  for (std::size_t k = 0; k < 16; ++k)
    step[k] = Crc16(std::span<const std::uint8_t>(kZero), static_cast<std::uint16_t>(1u << k));
  for (; n > 0; n >>= 1) {
    if (n & 1) v = apply(step, v);
    BitMatrix twice{};
    for (std::size_t k = 0; k < 16; ++k) twice[k] = apply(step, step[k]);
    step = twice;
  }
  return v;
}

}  // namespace

ChecksumReport CheckChecksum(std::span<const std::uint8_t> bytes, std::size_t valueAt,
                             std::size_t blockAt) {
  ChecksumReport r;
  r.stored = static_cast<std::uint16_t>(bytes[valueAt] | (bytes[valueAt + 1] << 8));
  // One pass: the register at the block's start is carried on over its name to the value.
  const std::uint16_t standardBlock = Crc16(bytes.first(blockAt));
  const std::uint16_t standard = Crc16(bytes.subspan(blockAt, valueAt - blockAt), standardBlock);
  r.computed = standard;
  if (standard == r.stored) {
    r.status = ChecksumStatus::Ok;
    return r;
  }
  // A start of 0 differs from 0xFFFF by 0xFFFF after as many zero bytes.
  const std::uint16_t zeroBlock = standardBlock ^ afterZeros(0xFFFF, blockAt);
  const std::uint16_t zero = standard ^ afterZeros(0xFFFF, valueAt);
  // Before the block is before the value when the block holds nothing else (version 1).
  const bool hasName = blockAt != valueAt;
  const std::pair<bool, ChecksumVariant> ways[] = {
      {zero == r.stored, ChecksumVariant::StartZero},
      {hasName && standardBlock == r.stored, ChecksumVariant::BeforeBlock},
      {hasName && zeroBlock == r.stored, ChecksumVariant::StartZeroBeforeBlock}};
  for (const auto& [matches, variant] : ways) {
    if (!matches) continue;
    r.status = ChecksumStatus::OkVariant;
    r.variant = variant;
    return r;
  }
  r.status = r.stored == 0 ? ChecksumStatus::NotSet : ChecksumStatus::Mismatch;
  return r;
}

std::uint16_t ChecksumOf(std::span<const std::uint8_t> bytes, std::size_t valueAt,
                         std::size_t blockAt, ChecksumVariant variant) {
  const bool zero =
      variant == ChecksumVariant::StartZero || variant == ChecksumVariant::StartZeroBeforeBlock;
  const bool beforeBlock =
      variant == ChecksumVariant::BeforeBlock || variant == ChecksumVariant::StartZeroBeforeBlock;
  return Crc16(bytes.first(beforeBlock ? blockAt : valueAt), zero ? 0 : 0xFFFF);
}

bool LooksLikeSor(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "Map\0", 4) == 0) return true;
  if (bytes.size() < 10) return false;
  const unsigned version = bytes[0] | (bytes[1] << 8);
  if (version < 100 || version > 199) return false;
  // The first entry's name: letters up to a NUL.
  std::size_t i = 8;
  while (i < bytes.size() && i < 8 + 32 && bytes[i] >= 0x20 && bytes[i] < 0x7F) ++i;
  return i > 8 && i < bytes.size() && bytes[i] == 0;
}

SorResult<SorFile> ReadSor(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return problemAt(SorCode::FileEmpty, "Map", "name", 0);
  SorResult<MapRead> map = readMap(bytes);
  if (!map) return map.problem();
  SorFile file;
  file.version = map->version;
  file.mapVersion = map->mapVersion;

  std::size_t offset = map->size;
  std::optional<std::size_t> checksumAt;
  std::size_t checksumBlockAt = 0;
  file.blocks.reserve(map->refs.size());
  for (const BlockRef& ref : map->refs) {
    if (ref.size > bytes.size() - offset)
      return problemAt(SorCode::BlockPastEnd, ref.name, "size", offset, ref.size,
                       static_cast<std::int64_t>(bytes.size() - offset));
    Block block;
    block.ref = ref;
    block.offset = offset;
    block.kind = kindOf(ref.name);
    if (alreadyRead(file, block.kind)) {
      file.notes.push_back("a second " + ref.name + " block is kept but not read");
      block.kind = BlockKind::Other;
    }
    if (block.kind == BlockKind::Other) {
      block.raw.assign(reinterpret_cast<const char*>(bytes.data() + offset), ref.size);
    } else if (std::optional<SorProblem> p =
                   readKnownBlock(bytes, block, file, checksumAt, checksumBlockAt)) {
      return std::move(*p);
    }
    file.blocks.push_back(std::move(block));
    offset += ref.size;
  }
  keepTrailing(bytes, offset, file);
  checkChecksum(bytes, checksumAt, checksumBlockAt, file);
  if (file.fxdParams && file.fxdParams->pulseWidths.size() > 1)
    file.notes.push_back(std::to_string(file.fxdParams->pulseWidths.size()) +
                         " pulse widths; the first is shown");
  return file;
}

}  // namespace tracelink::sor
