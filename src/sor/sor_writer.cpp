#include <array>
#include <cstring>

#include "sor/sor_io.h"

namespace tracelink::sor {

namespace {

// Slicing by sixteen: table k gives the register after a byte and k zero bytes, so sixteen
// bytes take sixteen independent lookups instead of a chain of sixteen.
constexpr std::size_t kSlices = 16;
using CrcTables = std::array<std::array<std::uint16_t, 256>, kSlices>;
constexpr CrcTables makeCrcTables() {
  CrcTables t{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i << 8;
    for (int b = 0; b < 8; ++b) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    t[0][i] = static_cast<std::uint16_t>(crc);
  }
  for (std::size_t k = 1; k < kSlices; ++k)
    for (unsigned i = 0; i < 256; ++i) {
      const unsigned r = t[k - 1][i];
      t[k][i] = static_cast<std::uint16_t>((r << 8) ^ t[0][r >> 8]);
    }
  return t;
}
constexpr CrcTables kCrc = makeCrcTables();

class Out {
 public:
  explicit Out(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  void uint(std::uint64_t v, int n) {
    for (int k = 0; k < n; ++k) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
  }
  void u16(std::uint16_t v) { uint(v, 2); }
  void u32(std::uint32_t v) { uint(v, 4); }
  void i16(std::int16_t v) { uint(static_cast<std::uint16_t>(v), 2); }
  void i32(std::int32_t v) { uint(static_cast<std::uint32_t>(v), 4); }
  void bytes(std::string_view s) {
    if (s.empty()) return;
    const std::size_t at = bytes_.size();
    bytes_.resize(at + s.size());
    std::memcpy(bytes_.data() + at, s.data(), s.size());
  }
  void u16s(const std::vector<std::uint16_t>& values) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + 2 * values.size());
    std::uint8_t* p = bytes_.data() + at;
    for (const std::uint16_t v : values) {
      *p++ = static_cast<std::uint8_t>(v & 0xFF);
      *p++ = static_cast<std::uint8_t>(v >> 8);
    }
  }
  // Exactly n bytes: cut, or filled with blanks.
  void letters(std::string_view s, std::size_t n) {
    // Letters that were read as Latin-1 are longer than their field as UTF-8: written as
    // Latin-1 again they fit, and the file reads back with the letters it had.
    std::string field(s);
    if (field.size() > n) {
      SorString latin1(field);
      latin1.latin1 = true;
      if (std::string narrow = EncodeText(latin1); narrow.size() <= n) field = std::move(narrow);
    }
    const std::string_view cut = std::string_view(field).substr(0, n);
    bytes(cut);
    for (std::size_t k = cut.size(); k < n; ++k) bytes_.push_back(' ');
  }
  // A string cannot hold a NUL: it ends at the first one.
  void str(std::string_view s) {
    bytes(s.substr(0, s.find('\0')));
    bytes_.push_back(0);
  }
  void text(const SorString& s) { str(EncodeText(s)); }
  std::size_t size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t>& bytes_;
};

void writeGenParams(Out& o, const GenParams& g, int version) {
  o.letters(g.language, 2);
  o.text(g.cableId);
  o.text(g.fiberId);
  if (version == 2) o.u16(g.fiberType);
  o.u16(g.wavelengthNm);
  o.text(g.locationA);
  o.text(g.locationB);
  o.text(g.cableCode);
  o.letters(g.buildCondition, 2);
  o.i32(g.userOffset);
  if (version == 2) o.i32(g.userOffsetDistance);
  o.text(g.operatorName);
  o.text(g.comment);
  o.bytes(g.tail);
}

void writeSupParams(Out& o, const SupParams& s) {
  for (const SorString* t :
       {&s.supplier, &s.otdr, &s.otdrSerial, &s.module, &s.moduleSerial, &s.software, &s.other})
    o.text(*t);
  o.bytes(s.tail);
}

void writeFxdParams(Out& o, const FxdParams& f, int version) {
  o.u32(f.dateTime);
  o.letters(f.units, 2);
  o.u16(f.wavelength);
  o.i32(f.acquisitionOffset);
  if (version == 2) o.i32(f.acquisitionOffsetDistance);
  // The three lists share one count; a shorter list is written with zeros.
  const std::size_t n = f.pulseWidths.size();
  o.u16(static_cast<std::uint16_t>(n));
  for (std::size_t k = 0; k < n; ++k) o.u16(f.pulseWidths[k]);
  for (std::size_t k = 0; k < n; ++k) o.u32(k < f.dataSpacing.size() ? f.dataSpacing[k] : 0);
  for (std::size_t k = 0; k < n; ++k) o.u32(k < f.pointCounts.size() ? f.pointCounts[k] : 0);
  o.u32(f.groupIndex);
  o.u16(f.backscatter);
  o.u32(f.averages);
  if (version == 2) o.u16(f.averagingTime);
  o.u32(f.acquisitionRange);
  if (version == 2) o.i32(f.acquisitionRangeDistance);
  o.i32(f.frontPanelOffset);
  o.u16(f.noiseFloor);
  o.i16(f.noiseFloorScale);
  o.u16(f.powerOffset);
  o.u16(f.lossThreshold);
  o.u16(f.reflectanceThreshold);
  o.u16(f.endOfFiberThreshold);
  if (version == 2) {
    o.letters(f.traceType, 2);
    for (const std::int32_t w : f.window) o.i32(w);
  }
  o.bytes(f.tail);
}

void writeKeyEvents(Out& o, const KeyEvents& k, int version) {
  o.u16(static_cast<std::uint16_t>(k.events.size()));
  for (const KeyEvent& e : k.events) {
    o.u16(e.number);
    o.u32(e.time);
    o.i16(e.slope);
    o.i16(e.spliceLoss);
    o.i32(e.reflectance);
    o.letters(e.code, 6);
    o.letters(e.technique, 2);
    if (version == 2)
      for (const std::int32_t m : e.markers) o.i32(m);
    o.text(e.comment);
  }
  o.i32(k.totalLoss);
  o.i32(k.lossStart);
  o.u32(k.lossEnd);
  o.u16(k.orl);
  o.i32(k.orlStart);
  o.u32(k.orlEnd);
  o.bytes(k.tail);
}

void writeDataPts(Out& o, const DataPts& d) {
  o.u32(d.pointCount);
  o.u16(static_cast<std::uint16_t>(d.traces.size()));
  for (const DataTrace& t : d.traces) {
    o.u32(static_cast<std::uint32_t>(t.values.size()));
    o.u16(t.scaleFactor);
    o.u16s(t.values);
  }
  o.bytes(d.tail);
}

}  // namespace

std::uint16_t Crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
  const std::uint8_t* p = bytes.data();
  std::size_t n = bytes.size();
  unsigned c = crc;
  for (; n >= kSlices; n -= kSlices, p += kSlices) {
    unsigned next = kCrc[kSlices - 1][(c >> 8) ^ p[0]] ^ kCrc[kSlices - 2][(c & 0xFF) ^ p[1]];
    for (std::size_t k = 2; k < kSlices; ++k) next ^= kCrc[kSlices - 1 - k][p[k]];
    c = next;
  }
  for (; n > 0; --n, ++p) c = ((c << 8) ^ kCrc[0][((c >> 8) ^ *p) & 0xFF]) & 0xFFFF;
  return static_cast<std::uint16_t>(c);
}

std::string EncodeGenParams(const GenParams& g, int version) {
  std::vector<std::uint8_t> bytes;
  Out o(bytes);
  if (version == 2) o.str("GenParams");
  writeGenParams(o, g, version);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> WriteSor(const SorFile& file) {
  const int version = file.version == 1 ? 1 : 2;
  std::size_t estimate = 256 + file.trailing.size();
  for (const Block& block : file.blocks) estimate += block.raw.size() + block.ref.name.size() + 8;
  if (file.dataPts)
    for (const DataTrace& t : file.dataPts->traces) estimate += 2 * t.values.size() + 8;

  std::vector<std::uint8_t> bytes;
  bytes.reserve(estimate);
  Out o(bytes);
  // The Map first, with room for the sizes, which are known once each block is written.
  if (version == 2) o.bytes(std::string_view("Map\0", 4));
  o.u16(file.mapVersion);
  const std::size_t mapSizeAt = bytes.size();
  o.u32(0);
  o.u16(static_cast<std::uint16_t>(file.blocks.size() + 1));
  std::vector<std::size_t> sizeAt;
  sizeAt.reserve(file.blocks.size());
  for (const Block& block : file.blocks) {
    o.str(block.ref.name);
    o.u16(block.ref.version);
    sizeAt.push_back(bytes.size());
    o.u32(0);
  }
  const auto patch32 = [&](std::size_t at, std::size_t v) {
    for (int k = 0; k < 4; ++k)
      bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
  };
  patch32(mapSizeAt, bytes.size());
  std::vector<std::size_t> checksumAt;

  for (std::size_t i = 0; i < file.blocks.size(); ++i) {
    const Block& block = file.blocks[i];
    const std::size_t start = bytes.size();
    if (block.kind == BlockKind::Other) {
      o.bytes(block.raw);
    } else {
      if (version == 2) o.str(block.ref.name);
      switch (block.kind) {
        case BlockKind::GenParams:
          writeGenParams(o, file.genParams.value_or(GenParams{}), version);
          break;
        case BlockKind::SupParams:
          writeSupParams(o, file.supParams.value_or(SupParams{}));
          break;
        case BlockKind::FxdParams:
          writeFxdParams(o, file.fxdParams.value_or(FxdParams{}), version);
          break;
        case BlockKind::KeyEvents:
          writeKeyEvents(o, file.keyEvents.value_or(KeyEvents{}), version);
          break;
        case BlockKind::DataPts:
          writeDataPts(o, file.dataPts ? *file.dataPts : DataPts{});
          break;
        case BlockKind::Cksum:
          checksumAt.push_back(bytes.size());
          o.u16(0);  // once every size in the Map is known
          break;
        case BlockKind::Other:
          break;
      }
    }
    patch32(sizeAt[i], bytes.size() - start);
  }
  // Over every byte before the value, the block's name included.
  for (const std::size_t at : checksumAt) {
    const std::uint16_t crc = Crc16(std::span(bytes).first(at));
    bytes[at] = static_cast<std::uint8_t>(crc & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(crc >> 8);
  }
  o.bytes(file.trailing);
  return bytes;
}

}  // namespace tracelink::sor
