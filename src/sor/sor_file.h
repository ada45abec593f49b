#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tracelink::sor {

// A text field as read: always valid UTF-8 in `text`. A field whose bytes were not valid
// UTF-8 was taken as Latin-1; `latin1` remembers that, so writing it back gives the very
// bytes that were read.
struct SorString {
  std::string text;
  bool latin1 = false;

  SorString() = default;
  SorString(std::string t) : text(std::move(t)) {}
  bool operator==(const SorString&) const = default;
};

// One entry of the Map: a block's name, its version (200 for version 2 blocks) and its
// size in bytes, its own name included.
struct BlockRef {
  std::string name;
  std::uint16_t version = 0;
  std::uint32_t size = 0;  // bytes
  bool operator==(const BlockRef&) const = default;
};

struct GenParams {
  std::string language = "EN";  // two letters
  SorString cableId;
  SorString fiberId;
  std::uint16_t fiberType = 652;   // ITU-T recommendation number (version 2 only)
  std::uint16_t wavelengthNm = 0;  // nm
  SorString locationA;
  SorString locationB;
  SorString cableCode;
  std::string buildCondition = "CC";    // two letters: BC, CC, RC, OT
  std::int32_t userOffset = 0;          // 100 ps
  std::int32_t userOffsetDistance = 0;  // 0.1 of the distance unit (version 2 only)
  SorString operatorName;
  SorString comment;
  std::string tail;  // bytes after the known fields, kept as they were
  bool operator==(const GenParams&) const = default;
};

struct SupParams {
  SorString supplier;
  SorString otdr;  // mainframe name
  SorString otdrSerial;
  SorString module;
  SorString moduleSerial;
  SorString software;
  SorString other;
  std::string tail;
  bool operator==(const SupParams&) const = default;
};

struct FxdParams {
  std::uint32_t dateTime = 0;                  // seconds since 1970-01-01 00:00 UTC
  std::string units = "mt";                    // two letters: mt, km, mi, kf, ft
  std::uint16_t wavelength = 0;                // 0.1 nm
  std::int32_t acquisitionOffset = 0;          // 100 ps
  std::int32_t acquisitionOffsetDistance = 0;  // 0.1 of the distance unit (version 2 only)
  std::vector<std::uint16_t> pulseWidths;      // ns, one per pulse width used
  std::vector<std::uint32_t> dataSpacing;      // 1e-8 us per 10000 points (1e-14 s per point)
  std::vector<std::uint32_t> pointCounts;      // points acquired with each pulse width
  std::uint32_t groupIndex = 0;                // index x 100000
  std::uint16_t backscatter = 0;               // -0.1 dB
  std::uint32_t averages = 0;                  // count
  std::uint16_t averagingTime = 0;             // s (version 2 only)
  std::uint32_t acquisitionRange = 0;          // 100 ps
  std::int32_t acquisitionRangeDistance = 0;   // 0.1 of the distance unit (version 2 only)
  std::int32_t frontPanelOffset = 0;           // 100 ps
  std::uint16_t noiseFloor = 0;                // -0.001 dB
  std::int16_t noiseFloorScale = 0;            // x 1000
  std::uint16_t powerOffset = 0;               // 0.001 dB
  std::uint16_t lossThreshold = 0;             // 0.001 dB
  std::uint16_t reflectanceThreshold = 0;      // -0.001 dB
  std::uint16_t endOfFiberThreshold = 0;       // 0.001 dB
  std::string traceType = "ST";                // two letters (version 2 only)
  std::array<std::int32_t, 4> window{};        // (version 2 only)
  std::string tail;
  bool operator==(const FxdParams&) const = default;
};

struct KeyEvent {
  std::uint16_t number = 0;
  std::uint32_t time = 0;                 // one way, 100 ps
  std::int16_t slope = 0;                 // 0.001 dB/km
  std::int16_t spliceLoss = 0;            // 0.001 dB
  std::int32_t reflectance = 0;           // 0.001 dB
  std::string code = "0F9999";            // six characters
  std::string technique = "LS";           // two characters
  std::array<std::int32_t, 5> markers{};  // 100 ps (version 2 only)
  SorString comment;
  bool operator==(const KeyEvent&) const = default;
};

struct KeyEvents {
  std::vector<KeyEvent> events;
  std::int32_t totalLoss = 0;  // 0.001 dB
  std::int32_t lossStart = 0;  // 100 ps
  std::uint32_t lossEnd = 0;   // 100 ps
  std::uint16_t orl = 0;       // 0.001 dB
  std::int32_t orlStart = 0;   // 100 ps
  std::uint32_t orlEnd = 0;    // 100 ps
  std::string tail;
  bool operator==(const KeyEvents&) const = default;
};

// One trace of DataPts: level below the top of the scale = value x scaleFactor / 1e6 dB.
struct DataTrace {
  std::uint16_t scaleFactor = 1000;
  std::vector<std::uint16_t> values;
  bool operator==(const DataTrace&) const = default;
};

struct DataPts {
  std::uint32_t pointCount = 0;  // points of the whole block, as stored
  std::vector<DataTrace> traces;
  std::string tail;
  bool operator==(const DataPts&) const = default;
};

enum class BlockKind { GenParams, SupParams, FxdParams, KeyEvents, DataPts, Cksum, Other };

// A block in file order. Blocks this program does not understand (a maker's own) keep
// their bytes, name header included, and are written back unchanged.
struct Block {
  BlockRef ref;
  BlockKind kind = BlockKind::Other;
  std::string raw;  // Other only
  // Where the block starts in the file it was read from (0 for one made in memory), so
  // that a fault found in it later can name its offset in the file.
  std::size_t offset = 0;
  // Two blocks are equal when they hold the same: where they sat is no part of that.
  bool operator==(const Block& o) const { return ref == o.ref && kind == o.kind && raw == o.raw; }
};

// Makers compute the checksum in more than one way; a file whose value matches one of
// the common ways is intact, and says which. Ok is CRC-16/CCITT-FALSE over every byte
// before the value; OkVariant matches one of ChecksumVariant; NotSet is a stored 0 that
// matches nothing (the maker wrote no checksum).
enum class ChecksumStatus { Ok, Mismatch, Missing, OkVariant, NotSet };

enum class ChecksumVariant {
  Standard,              // start 0xFFFF, every byte before the value
  StartZero,             // start 0, every byte before the value
  BeforeBlock,           // start 0xFFFF, every byte before the Cksum block
  StartZeroBeforeBlock,  // start 0, every byte before the Cksum block
};

struct ChecksumReport {
  ChecksumStatus status = ChecksumStatus::Missing;
  ChecksumVariant variant = ChecksumVariant::Standard;  // the way that matched
  std::uint16_t stored = 0;
  std::uint16_t computed = 0;  // the standard way
};

struct SorFile {
  int version = 2;  // 1 (Map version 1xx) or 2 (Map version 2xx)
  std::uint16_t mapVersion = 200;
  std::vector<Block> blocks;  // every block after the Map, in file order
  std::optional<GenParams> genParams;
  std::optional<SupParams> supParams;
  std::optional<FxdParams> fxdParams;
  std::optional<KeyEvents> keyEvents;
  std::optional<DataPts> dataPts;
  std::string trailing;            // bytes after the last block the Map lists
  ChecksumReport checksum;         // filled in by the reader
  std::vector<std::string> notes;  // what the reader passed over, for the user
};

// The status as one word ("ok" also for a variant), as info --json gives it.
inline const char* checksumStatusText(ChecksumStatus s) {
  switch (s) {
    case ChecksumStatus::Ok:
    case ChecksumStatus::OkVariant:
      return "ok";
    case ChecksumStatus::Mismatch:
      return "mismatch";
    case ChecksumStatus::NotSet:
      return "not set";
    case ChecksumStatus::Missing:
      break;
  }
  return "missing";
}

// The way a variant is computed, in words: "start 0", "before Cksum", ...
inline const char* checksumVariantText(ChecksumVariant v) {
  switch (v) {
    case ChecksumVariant::Standard:
      break;
    case ChecksumVariant::StartZero:
      return "start 0";
    case ChecksumVariant::BeforeBlock:
      return "before Cksum";
    case ChecksumVariant::StartZeroBeforeBlock:
      return "start 0, before Cksum";
  }
  return "standard";
}

// "ok", "ok (start 0)", "mismatch", "not set", "missing".
inline std::string checksumText(const ChecksumReport& r) {
  if (r.status == ChecksumStatus::OkVariant)
    return std::string("ok (") + checksumVariantText(r.variant) + ")";
  return checksumStatusText(r.status);
}

}  // namespace tracelink::sor
