#include "sor/sor_edit.h"

#include <optional>

#include "sor/sor_io.h"
#include "sor/trace_sor.h"

namespace tracelink::sor {

namespace {

std::uint32_t readU32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

void writeU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (std::size_t k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

// Where the Map keeps the size of its entry-th block. The reader has checked the Map, so
// every entry lies inside it; nullopt only if it does not after all.
std::optional<std::size_t> mapSizeField(std::span<const std::uint8_t> bytes, int version,
                                        std::size_t entry) {
  const std::size_t header = version == 2 ? 4 : 0;
  const std::size_t mapEnd = readU32(bytes, header + 2);
  std::size_t pos = header + 8;
  for (std::size_t i = 0;; ++i) {
    while (pos < mapEnd && bytes[pos] != 0) ++pos;
    pos += 1 + 2;  // the name's NUL, the version
    if (pos + 4 > mapEnd) return std::nullopt;
    if (i == entry) return pos;
    pos += 4;
  }
}

// The texts the user changed must be printable ASCII; one kept as the file had it is
// written back with the very bytes it was read from.
std::optional<SorProblem> checkChanged(const GenParams& g, const IdentityTexts& t) {
  SorExportOptions changed;
  const auto pick = [](const SorString& was, const std::string& now, std::string& into) {
    if (now != was.text) into = now;
  };
  pick(g.cableId, t.cable, changed.cable);
  pick(g.fiberId, t.fiber, changed.fiber);
  pick(g.locationA, t.locationA, changed.locationA);
  pick(g.locationB, t.locationB, changed.locationB);
  pick(g.operatorName, t.operatorName, changed.operatorName);
  pick(g.comment, t.comment, changed.comment);
  return CheckExportTexts(changed);
}

void replace(SorString& field, const std::string& text) {
  if (field.text != text) field = SorString(text);
}

}  // namespace

IdentityTexts IdentityOf(std::span<const std::uint8_t> bytes) {
  IdentityTexts t;
  const SorResult<SorFile> file = ReadSor(bytes);
  if (!file || !file->genParams) return t;
  const GenParams& g = *file->genParams;
  t.cable = g.cableId.text;
  t.fiber = g.fiberId.text;
  t.locationA = g.locationA.text;
  t.locationB = g.locationB.text;
  t.operatorName = g.operatorName.text;
  t.comment = g.comment.text;
  return t;
}

SorResult<std::vector<std::uint8_t>> RewriteIdentity(std::span<const std::uint8_t> bytes,
                                                     const IdentityTexts& texts) {
  SorResult<SorFile> read = ReadSor(bytes);
  if (!read) return read.problem();
  const SorFile& file = *read;
  std::optional<std::size_t> genAt;
  std::optional<std::size_t> cksumAt;
  for (std::size_t i = 0; i < file.blocks.size(); ++i) {
    if (file.blocks[i].kind == BlockKind::GenParams && !genAt) genAt = i;
    if (file.blocks[i].kind == BlockKind::Cksum && !cksumAt) cksumAt = i;
  }
  if (!genAt || !file.genParams) {
    SorProblem p;
    p.code = SorCode::EditNoGenParams;
    return p;
  }
  if (std::optional<SorProblem> p = checkChanged(*file.genParams, texts)) return std::move(*p);

  GenParams g = *file.genParams;
  replace(g.cableId, texts.cable);
  replace(g.fiberId, texts.fiber);
  replace(g.locationA, texts.locationA);
  replace(g.locationB, texts.locationB);
  replace(g.operatorName, texts.operatorName);
  replace(g.comment, texts.comment);
  const std::string block = EncodeGenParams(g, file.version);

  const Block& old = file.blocks[*genAt];
  const std::optional<std::size_t> sizeField = mapSizeField(bytes, file.version, *genAt);
  if (!sizeField || block.size() > UINT32_MAX) {
    SorProblem p;
    p.code = SorCode::EditNoGenParams;
    return p;
  }
  std::vector<std::uint8_t> out;
  out.reserve(bytes.size() + block.size());
  out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(old.offset));
  writeU32(out, *sizeField, static_cast<std::uint32_t>(block.size()));
  out.insert(out.end(), block.begin(), block.end());
  const std::size_t oldEnd = old.offset + old.ref.size;
  out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(oldEnd), bytes.end());

  if (cksumAt) {
    // Every block after GenParams moved by the change in its size.
    const Block& ck = file.blocks[*cksumAt];
    const auto moved = [&](std::size_t at) {
      return at < old.offset ? at : at - old.ref.size + block.size();
    };
    const std::size_t blockAt = moved(ck.offset);
    const std::size_t valueAt = moved(ck.offset + ck.ref.size - 2);
    const ChecksumVariant variant = file.checksum.status == ChecksumStatus::OkVariant
                                        ? file.checksum.variant
                                        : ChecksumVariant::Standard;
    const std::uint16_t crc = ChecksumOf(out, valueAt, blockAt, variant);
    out[valueAt] = static_cast<std::uint8_t>(crc & 0xFF);
    out[valueAt + 1] = static_cast<std::uint8_t>(crc >> 8);
  }
  return out;
}

}  // namespace tracelink::sor
