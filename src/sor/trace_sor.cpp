#include "sor/trace_sor.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "record/decode.h"
#include "record/units.h"
#include "sor/sor_io.h"

namespace tracelink::sor {

namespace {

Error exportError(const std::string& what) {
  return Error{"cannot export as SOR: " + what};
}

Error recordBlockError(std::string_view field, std::size_t offset, const std::string& what) {
  return Error{std::string("block ") + kRecordBlockName + ", field " + std::string(field) +
               ", offset " + std::to_string(offset) + ": " + what};
}

constexpr std::array<std::uint16_t, 9> kPulseNs{10, 20, 50, 100, 200, 500, 1000, 1500, 2500};
constexpr std::uint16_t kRecordFormat = 1;

std::optional<std::string> nonAscii(const std::string& text, const char* field) {
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E)
      return std::string(field) + " holds a character that is not printable ASCII";
  }
  return std::nullopt;
}

// The record positions of the data points: those the CSV export prints.
struct PointSpan {
  std::size_t first = 0;  // record position of data point 0
  std::size_t count = 0;
  std::int32_t firstSample = 0;
};

PointSpan pointSpan(const HeaderState& header, const ViewWindow& view) {
  PointSpan span;
  if (header.StartPoint >= header.RangeLine || view.FullRangeEnd < view.FullRangeStart) return span;
  // SamplePosition is first - 1 + s; like the CSV export, the points end where the record
  // does, and a first sample outside it gives none.
  const std::int64_t sp = header.StartPoint == 0 ? 1 : header.StartPoint;
  const std::int64_t s0 = view.FullRangeStart;
  const std::int64_t s1 = std::min<std::int64_t>(view.FullRangeEnd, kRecordWords - sp);
  if (sp - 1 + s0 < 0) return span;
  if (s0 > s1) return span;
  span.first = static_cast<std::size_t>(sp - 1 + s0);
  span.count = static_cast<std::size_t>(s1 - s0 + 1);
  span.firstSample = static_cast<std::int32_t>(s0);
  return span;
}

// The first position in [from, to) whose word is not a 16-bit value, or to.
std::size_t firstNonWord(const TraceRecord& record, std::size_t from, std::size_t to) {
  // A pass the compiler vectorises; the search only when it found something.
  std::uint32_t high = 0;
  for (std::size_t p = from; p < to; ++p) high |= static_cast<std::uint32_t>(record[p]) >> 16;
  if (high == 0) return to;
  for (std::size_t p = from; p < to; ++p)
    if (static_cast<std::uint32_t>(record[p]) > 0xFFFF) return p;
  return to;
}

void putU16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void putU32(std::string& out, std::uint32_t v) {
  putU16(out, v & 0xFFFF);
  putU16(out, v >> 16);
}

std::int16_t saturate16(std::int64_t v) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, INT16_MIN, INT16_MAX));
}

std::string typeWord(std::int32_t type) {
  // Always the English word: the comment has to be ASCII in both builds.
  if (type == 1) return "REF";
  if (type == 2) return "ATT";
  return std::to_string(type);
}

KeyEvents keyEventsOf(const TraceRecord& record, const PointSpan& span) {
  DecodedValues values;
  DecodeRecord(record, values, Language::English);
  KeyEvents k;
  for (const EventRow& row : eventRows(values)) {
    KeyEvent e;
    e.number = static_cast<std::uint16_t>(row.no);
    e.time = static_cast<std::uint32_t>(std::max<std::int32_t>(row.position, 0)) * kTimePerSample;
    e.code = row.type == 1 ? "1F9999" : "0F9999";
    e.technique = "LS";
    e.spliceLoss = saturate16((static_cast<std::int64_t>(row.db1) - row.db2) * 10);
    e.reflectance = 0;
    e.comment = SorString(typeWord(row.type));
    k.events.push_back(std::move(e));
  }
  if (k.events.empty()) {
    // Strict readers want at least one event: mark the end of the trace at the last point.
    KeyEvent e;
    e.number = 1;
    e.time =
        static_cast<std::uint32_t>(span.firstSample + static_cast<std::int64_t>(span.count) - 1) *
        kTimePerSample;
    e.code = "0E9999";
    e.technique = "LS";
    e.comment = SorString("END");
    k.events.push_back(std::move(e));
    k.totalLoss = 0;
  } else {
    const std::vector<EventRow> rows = eventRows(values);
    k.totalLoss = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(rows.back().lossHundredths * 10, INT32_MIN, INT32_MAX));
  }
  k.lossStart = static_cast<std::int32_t>(k.events.front().time);
  k.lossEnd = k.events.back().time;
  return k;
}

}  // namespace

std::uint16_t PulseWidthNs(std::int32_t pulseIndex) {
  if (pulseIndex < 0 || pulseIndex > 8) pulseIndex = 3;
  return kPulseNs[static_cast<std::size_t>(pulseIndex)];
}

Result<SorFile> TraceToSor(const TraceRecord& record, const HeaderState& header,
                           const ViewWindow& view, std::int32_t blockCount,
                           const SorExportOptions& options) {
  const std::pair<const std::string*, const char*> texts[] = {
      {&options.cable, "the cable ID"},        {&options.fiber, "the fiber ID"},
      {&options.operatorName, "the operator"}, {&options.locationA, "location A"},
      {&options.locationB, "location B"},      {&options.comment, "the comment"}};
  for (const auto& [text, field] : texts)
    if (const auto problem = nonAscii(*text, field)) return exportError(*problem);
  if (options.dateTime < 0 || options.dateTime > UINT32_MAX)
    return exportError("the date " + std::to_string(options.dateTime) + " lies outside 1970..2106");
  if (blockCount < 1 || blockCount > 15)
    return exportError("block count " + std::to_string(blockCount) + " is outside 1..15");

  // One sample of the plot, as time: the spacing the file states has to be exactly ours.
  const double sampleTime = kLightSpeed / 2.0 / kIor * (kExportIor / 100000.0) / 299792458.0;
  if (nearest(sampleTime / 1e-14) != static_cast<std::int32_t>(kExportSpacing))
    return exportError("the sample spacing is not 500000");

  const PointSpan span = pointSpan(header, view);
  if (span.count == 0)
    return exportError("the trace has no samples to export (StartPoint " +
                       std::to_string(header.StartPoint) + " is not below RangeLine " +
                       std::to_string(header.RangeLine) + ")");
  const std::size_t sampleWords = static_cast<std::size_t>(blockCount) * kBlockWords;
  const std::pair<std::size_t, std::size_t> ranges[] = {
      {span.first, span.first + span.count}, {0, sampleWords}, {kHeaderStart, kHeaderEnd}};
  for (const auto& [from, to] : ranges)
    if (const std::size_t p = firstNonWord(record, from, to); p != to)
      return exportError("record position " + std::to_string(p) + " holds " +
                         std::to_string(record[p]) + ", outside 0..65535");

  // Levels: 0.001 dB below the highest, scale factor 1000. A span the 16-bit values
  // cannot hold raises the scale factor until it fits; values are rounded to it then.
  std::int32_t top = 0;
  std::int32_t bottom = 0xFFFF;
  for (std::size_t p = span.first; p < span.first + span.count; ++p) {
    top = std::max(top, record[p]);
    bottom = std::min(bottom, record[p]);
  }
  const std::int64_t spanThousandths = static_cast<std::int64_t>(top - bottom) * 10;
  const std::int64_t scale = std::max<std::int64_t>(
      kBaseScaleFactor, (spanThousandths * kBaseScaleFactor + 65534) / 65535);
  DataTrace trace;
  trace.scaleFactor = static_cast<std::uint16_t>(scale);
  trace.values.resize(span.count);
  const bool exact = scale == kBaseScaleFactor;
  const std::int32_t* words = record.words.data() + span.first;
  std::uint16_t* values = trace.values.data();
  if (exact) {
    // top - w is at most 6553 here, so ten times it fits.
    for (std::size_t i = 0; i < span.count; ++i)
      values[i] = static_cast<std::uint16_t>((top - words[i]) * 10);
  } else {
    for (std::size_t i = 0; i < span.count; ++i) {
      const double below = static_cast<double>(top - words[i]) * 10;
      const std::int64_t v = nearest(below * kBaseScaleFactor / static_cast<double>(scale));
      values[i] = static_cast<std::uint16_t>(std::clamp<std::int64_t>(v, 0, 0xFFFF));
    }
  }

  SorFile file;
  file.version = 2;
  file.mapVersion = 200;
  GenParams g;
  g.language = options.language == Language::Chinese ? "ZH" : "EN";
  g.cableId = SorString(options.cable);
  g.fiberId = SorString(options.fiber);
  g.fiberType = 652;
  g.wavelengthNm = 1310;
  g.locationA = SorString(options.locationA);
  g.locationB = SorString(options.locationB);
  g.buildCondition = "CC";
  g.operatorName = SorString(options.operatorName);
  g.comment = SorString(options.comment);
  file.genParams = g;

  SupParams s;
  s.otdr = SorString("VT520X");
  s.software = SorString("tracelink 1.1");
  file.supParams = s;

  DecodedValues decoded;
  DecodeRecord(record, decoded, Language::English);
  FxdParams f;
  f.dateTime = static_cast<std::uint32_t>(options.dateTime);
  f.units = "mt";
  f.wavelength = kExportWavelength;
  f.pulseWidths = {PulseWidthNs(decoded.PulseIndex)};
  f.dataSpacing = {kExportSpacing};
  f.pointCounts = {static_cast<std::uint32_t>(span.count)};
  f.groupIndex = kExportIor;
  f.acquisitionRange = static_cast<std::uint32_t>(span.count) * kTimePerSample;
  f.noiseFloorScale = 1000;
  f.traceType = "ST";
  file.fxdParams = f;
  file.keyEvents = keyEventsOf(record, span);
  DataPts d;
  d.pointCount = static_cast<std::uint32_t>(span.count);
  d.traces.push_back(std::move(trace));
  file.dataPts = std::move(d);

  // Our own block: the header words, the block count, the top level, and the sample words
  // that the data points do not hold (all of them when the points were rounded).
  std::string raw = std::string(kRecordBlockName) + '\0';
  raw.reserve(raw.size() + 2 * kBlockWords + 32 + 2 * sampleWords + (exact ? 0 : 2 * span.count));
  putU16(raw, kRecordFormat);
  putU16(raw, static_cast<std::uint32_t>(blockCount));
  for (std::size_t p = kHeaderStart; p < kHeaderEnd; ++p)
    putU16(raw, static_cast<std::uint32_t>(record[p]));
  putU32(raw, static_cast<std::uint32_t>(top));
  putU32(raw, static_cast<std::uint32_t>(span.first));
  putU32(raw, static_cast<std::uint32_t>(span.count));
  const std::size_t coveredEnd = std::min(span.first + span.count, sampleWords);
  const std::size_t before = std::min(span.first, sampleWords);
  const std::size_t after = sampleWords - std::max(coveredEnd, before);
  putU32(raw, static_cast<std::uint32_t>(before + after));
  const auto putWords = [&raw, &record](std::size_t from, std::size_t to) {
    const std::size_t at = raw.size();
    raw.resize(at + 2 * (to - from));
    char* p = raw.data() + at;
    for (std::size_t q = from; q < to; ++q) {
      *p++ = static_cast<char>(record[q] & 0xFF);
      *p++ = static_cast<char>((record[q] >> 8) & 0xFF);
    }
  };
  putWords(0, before);
  putWords(std::max(coveredEnd, before), sampleWords);
  raw += static_cast<char>(exact ? 1 : 0);
  if (!exact) putWords(span.first, span.first + span.count);

  const auto known = [](const char* name, BlockKind kind) {
    Block b;
    b.ref = BlockRef{name, 200, 0};
    b.kind = kind;
    return b;
  };
  file.blocks = {known("GenParams", BlockKind::GenParams), known("SupParams", BlockKind::SupParams),
                 known("FxdParams", BlockKind::FxdParams), known("KeyEvents", BlockKind::KeyEvents),
                 known("DataPts", BlockKind::DataPts)};
  Block ours;
  ours.ref = BlockRef{kRecordBlockName, kRecordBlockVersion, 0};
  ours.kind = BlockKind::Other;
  ours.raw = std::move(raw);
  file.blocks.push_back(std::move(ours));
  file.blocks.push_back(known("Cksum", BlockKind::Cksum));
  return file;
}

Result<std::vector<std::uint8_t>> WriteTraceAsSor(const TraceRecord& record,
                                                  const HeaderState& header, const ViewWindow& view,
                                                  std::int32_t blockCount,
                                                  const SorExportOptions& options) {
  Result<SorFile> file = TraceToSor(record, header, view, blockCount, options);
  if (!file) return file.error();
  return WriteSor(*file);
}

std::optional<Result<RecordFromSor>> RecordOf(const SorFile& file) {
  // Where each block starts, for messages.
  std::size_t offset = (file.version == 2 ? 4 : 0) + 8;
  for (const Block& b : file.blocks) offset += b.ref.name.size() + 1 + 6;
  const Block* ours = nullptr;
  for (const Block& b : file.blocks) {
    if (b.kind == BlockKind::Other && b.ref.name == kRecordBlockName) {
      ours = &b;
      break;
    }
    offset += b.ref.size;
  }
  if (!ours) return std::nullopt;

  const std::string& raw = ours->raw;
  std::size_t pos = file.version == 2 ? std::string(kRecordBlockName).size() + 1 : 0;
  std::optional<Error> failure;
  const auto need = [&](const char* field, std::size_t n) {
    if (failure) return false;
    if (pos <= raw.size() && n <= raw.size() - pos) return true;
    failure =
        recordBlockError(field, offset + pos,
                         "needs " + std::to_string(n) + " bytes, " +
                             std::to_string(raw.size() - std::min(pos, raw.size())) + " remain");
    return false;
  };
  const auto u16 = [&](const char* field) -> std::uint32_t {
    if (!need(field, 2)) return 0;
    const auto v = static_cast<std::uint32_t>(static_cast<unsigned char>(raw[pos]) |
                                              (static_cast<unsigned char>(raw[pos + 1]) << 8));
    pos += 2;
    return v;
  };
  const auto u32 = [&](const char* field) -> std::uint32_t {
    const std::uint32_t lo = u16(field);
    return lo | (u16(field) << 16);
  };
  const auto fail = [&](const char* field, const std::string& what) {
    if (!failure) failure = recordBlockError(field, offset + pos, what);
  };

  RecordFromSor out;
  TraceRecord& record = *out.record;
  const std::uint32_t format = u16("format");
  if (!failure && format != kRecordFormat)
    fail("format", "format " + std::to_string(format) + " is not 1");
  out.blockCount = static_cast<std::int32_t>(u16("block count"));
  if (!failure && (out.blockCount < 1 || out.blockCount > 15))
    fail("block count", "block count " + std::to_string(out.blockCount) + " is outside 1..15");
  std::array<std::uint16_t, kBlockWords> headerWords{};
  if (need("header words", 2 * kBlockWords))
    for (std::uint16_t& w : headerWords) w = static_cast<std::uint16_t>(u16("header words"));
  const std::uint32_t top = u32("top level");
  const std::uint32_t first = u32("first position");
  const std::uint32_t count = u32("point count");
  if (failure) return Result<RecordFromSor>(*failure);
  if (top > 0xFFFF) fail("top level", "the top level " + std::to_string(top) + " is not a word");
  if (first > kRecordWords || count > kRecordWords - first)
    fail("point count", "points " + std::to_string(first) + ".." + std::to_string(first + count) +
                            " lie outside the record");
  const DataTrace* trace =
      file.dataPts && !file.dataPts->traces.empty() ? &file.dataPts->traces.front() : nullptr;
  if (!failure && (!trace || trace->values.size() != count))
    fail("point count", std::to_string(count) + " points do not match the file's DataPts");
  const std::size_t sampleWords = static_cast<std::size_t>(out.blockCount) * kBlockWords;
  std::size_t expectedOthers = sampleWords;
  if (!failure) {
    const std::size_t coveredEnd = std::min<std::size_t>(first + count, sampleWords);
    if (first < coveredEnd) expectedOthers -= coveredEnd - first;
  }
  const std::uint32_t others = u32("other words");
  if (!failure && others != expectedOthers)
    fail("other words",
         std::to_string(others) + " words, the record needs " + std::to_string(expectedOthers));
  if (failure) return Result<RecordFromSor>(*failure);

  for (std::size_t p = 0; p < sampleWords; ++p)
    if (p < first || p >= first + count) record[p] = static_cast<std::int32_t>(u16("other words"));
  if (!need("exact", 1)) return Result<RecordFromSor>(*failure);
  const bool exact = raw[pos++] != 0;
  for (std::size_t i = 0; i < count && !failure; ++i) {
    if (exact) {
      const std::uint32_t v = trace->values[i];
      if (trace->scaleFactor != kBaseScaleFactor || v % 10 != 0 || v / 10 > top) {
        failure = recordBlockError(
            "exact", offset + pos - 1,
            "DataPts point " + std::to_string(i) + " does not hold a level of the record");
        break;
      }
      record[first + i] = static_cast<std::int32_t>(top - v / 10);
    } else {
      record[first + i] = static_cast<std::int32_t>(u16("levels"));
    }
  }
  if (failure) return Result<RecordFromSor>(*failure);
  for (std::size_t k = 0; k < kBlockWords; ++k) record[kHeaderStart + k] = headerWords[k];
  return Result<RecordFromSor>(std::move(out));
}

}  // namespace tracelink::sor
