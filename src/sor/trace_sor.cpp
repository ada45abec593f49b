#include "sor/trace_sor.h"

#include <algorithm>
#include <cmath>

#include "record/decode.h"
#include "record/units.h"
#include "record/version.h"
#include "sor/sor_io.h"
#include "sor/sor_values.h"

namespace tracelink::sor {

namespace {

// One data point is one sample of the plot: the spacing the file states has to be exactly
// the distance of a sample at the group index it states.
static_assert([] {
  const double spacing =
      kLightSpeed / 2.0 / kIor * (kExportIor / 100000.0) / kVacuumLightSpeed / 1e-14;
  return spacing > kExportSpacing - 0.5 && spacing < kExportSpacing + 0.5;
}());

SorProblem refusal(SorCode code, std::int64_t a = 0, std::int64_t b = 0) {
  SorProblem p;
  p.code = code;
  p.a = a;
  p.b = b;
  return p;
}

// The date and the block count, which the file has to be able to hold.
std::optional<SorProblem> checkNumbers(const SorExportOptions& options, std::int32_t blockCount) {
  if (options.dateTime < 0 || options.dateTime > UINT32_MAX)
    return refusal(SorCode::ExportDate, options.dateTime);
  if (blockCount < 1 || blockCount > 15) return refusal(SorCode::ExportBlockCount, blockCount);
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
  // Sample s sits at PlotStartPoint - 1 + s; like the CSV export, the points end where the
  // record does, and a first sample outside it gives none.
  const std::int64_t sp = PlotStartPoint(header.StartPoint);
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

// Every word the file will hold has to be a 16-bit value: the points, the sample blocks
// and the header.
std::optional<SorProblem> checkWords(const TraceRecord& record, const PointSpan& span,
                                     std::size_t sampleWords) {
  const std::pair<std::size_t, std::size_t> ranges[] = {
      {span.first, span.first + span.count}, {0, sampleWords}, {kHeaderStart, kHeaderEnd}};
  for (const auto& [from, to] : ranges)
    if (const std::size_t p = firstNonWord(record, from, to); p != to)
      return refusal(SorCode::ExportWordOutside, static_cast<std::int64_t>(p), record[p]);
  return std::nullopt;
}

// Levels: 0.001 dB below the highest, scale factor 1000. A span the 16-bit values cannot
// hold raises the scale factor until it fits; values are rounded to it then, and the
// record block keeps the exact levels.
DataTrace levelsOf(const TraceRecord& record, const PointSpan& span, RecordPoints& points) {
  std::int32_t top = 0;
  std::int32_t bottom = 0xFFFF;
  for (std::size_t p = span.first; p < span.first + span.count; ++p) {
    top = std::max(top, record[p]);
    bottom = std::min(bottom, record[p]);
  }
  const std::int64_t spanThousandths = static_cast<std::int64_t>(top - bottom) * 10;
  const std::int64_t scale = std::max<std::int64_t>(
      kBaseScaleFactor, (spanThousandths * kBaseScaleFactor + 65534) / 65535);
  points.first = span.first;
  points.count = span.count;
  points.top = top;
  points.exact = scale == kBaseScaleFactor;

  DataTrace trace;
  trace.scaleFactor = static_cast<std::uint16_t>(scale);
  trace.values.resize(span.count);
  const std::int32_t* words = record.words.data() + span.first;
  std::uint16_t* values = trace.values.data();
  if (points.exact) {
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
  return trace;
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

// The lines of the event table; a table without lines gets one end marker at the last
// point, since strict readers want at least one event.
KeyEvents keyEventsOf(const std::vector<EventRow>& rows, const PointSpan& span) {
  KeyEvents k;
  for (const EventRow& row : rows) {
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
    k.totalLoss = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(rows.back().lossHundredths * 10, INT32_MIN, INT32_MAX));
  }
  k.lossStart = static_cast<std::int32_t>(k.events.front().time);
  k.lossEnd = k.events.back().time;
  return k;
}

GenParams genParamsOf(const SorExportOptions& options) {
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
  return g;
}

SupParams supParamsOfExport() {
  SupParams s;
  s.otdr = SorString("VT520X");
  s.software = SorString(std::string(kProgramAndVersion));
  return s;
}

FxdParams fxdParamsOf(const SorExportOptions& options, std::int32_t pulseIndex,
                      const PointSpan& span) {
  FxdParams f;
  f.dateTime = static_cast<std::uint32_t>(options.dateTime);
  f.units = "mt";
  f.wavelength = kExportWavelength;
  f.pulseWidths = {static_cast<std::uint16_t>(PulseWidthNs(pulseIndex))};
  f.dataSpacing = {kExportSpacing};
  f.pointCounts = {static_cast<std::uint32_t>(span.count)};
  f.groupIndex = kExportIor;
  f.acquisitionRange = static_cast<std::uint32_t>(span.count) * kTimePerSample;
  f.noiseFloorScale = 1000;
  f.traceType = "ST";
  return f;
}

// The blocks in the order strict readers want them, our own before the checksum.
std::vector<Block> exportBlocks(Block ours) {
  const auto known = [](const char* name, BlockKind kind) {
    Block b;
    b.ref = BlockRef{name, 200, 0};
    b.kind = kind;
    return b;
  };
  std::vector<Block> blocks;
  blocks.reserve(7);
  blocks.push_back(known("GenParams", BlockKind::GenParams));
  blocks.push_back(known("SupParams", BlockKind::SupParams));
  blocks.push_back(known("FxdParams", BlockKind::FxdParams));
  blocks.push_back(known("KeyEvents", BlockKind::KeyEvents));
  blocks.push_back(known("DataPts", BlockKind::DataPts));
  blocks.push_back(std::move(ours));
  blocks.push_back(known("Cksum", BlockKind::Cksum));
  return blocks;
}

}  // namespace

bool IsPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u <= 0x7E;
  });
}

std::optional<SorProblem> CheckExportTexts(const SorExportOptions& options) {
  const std::pair<const std::string*, SorText> texts[] = {
      {&options.cable, SorText::Cable},           {&options.fiber, SorText::Fiber},
      {&options.operatorName, SorText::Operator}, {&options.locationA, SorText::LocationA},
      {&options.locationB, SorText::LocationB},   {&options.comment, SorText::Comment}};
  for (const auto& [text, which] : texts) {
    if (IsPrintableAscii(*text)) continue;
    SorProblem p = refusal(SorCode::ExportNotAscii);
    p.text = which;
    return p;
  }
  return std::nullopt;
}

SorResult<SorFile> TraceToSor(const TraceRecord& record, const HeaderState& header,
                              const ViewWindow& view, std::int32_t blockCount,
                              const SorExportOptions& options) {
  if (std::optional<SorProblem> p = CheckExportTexts(options)) return std::move(*p);
  if (std::optional<SorProblem> p = checkNumbers(options, blockCount)) return std::move(*p);
  const PointSpan span = pointSpan(header, view);
  if (span.count == 0)
    return refusal(SorCode::ExportNoSamples, header.StartPoint, header.RangeLine);
  const std::size_t sampleWords = static_cast<std::size_t>(blockCount) * kBlockWords;
  if (std::optional<SorProblem> p = checkWords(record, span, sampleWords)) return std::move(*p);

  // The pulse width and the event table come from one decode.
  DecodedValues decoded;
  DecodeRecord(record, decoded, Language::English);
  RecordPoints points;
  DataTrace trace = levelsOf(record, span, points);

  SorFile file;
  file.version = 2;
  file.mapVersion = 200;
  file.genParams = genParamsOf(options);
  file.supParams = supParamsOfExport();
  file.fxdParams = fxdParamsOf(options, decoded.PulseIndex, span);
  file.keyEvents = keyEventsOf(eventRows(decoded), span);
  DataPts d;
  d.pointCount = static_cast<std::uint32_t>(span.count);
  d.traces.push_back(std::move(trace));
  file.dataPts = std::move(d);
  file.blocks = exportBlocks(EncodeRecordBlock(record, blockCount, points));
  return file;
}

SorResult<std::vector<std::uint8_t>> WriteTraceAsSor(const TraceRecord& record,
                                                     const HeaderState& header,
                                                     const ViewWindow& view,
                                                     std::int32_t blockCount,
                                                     const SorExportOptions& options) {
  SorResult<SorFile> file = TraceToSor(record, header, view, blockCount, options);
  if (!file) return file.problem();
  return WriteSor(*file);
}

std::optional<SorResult<RecordFromSor>> RecordOf(const SorFile& file) {
  const auto ours = std::find_if(file.blocks.begin(), file.blocks.end(), [](const Block& b) {
    return b.kind == BlockKind::Other && b.ref.name == kRecordBlockName;
  });
  if (ours == file.blocks.end()) return std::nullopt;
  const DataTrace* points =
      file.dataPts && !file.dataPts->traces.empty() ? &file.dataPts->traces.front() : nullptr;
  return DecodeRecordBlock(*ours, file.version, points);
}

}  // namespace tracelink::sor
