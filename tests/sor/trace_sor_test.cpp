// Our trace as SOR: the mapping on its own, what strict readers want of it, and the
// record it gives back.
#include "sor/trace_sor.h"

#include <gtest/gtest.h>

#include <random>

#include "files/path_text.h"
#include "files/record_file.h"
#include "files/record_text.h"
#include "record/decode.h"
#include "sor/sor_io.h"
#include "sor/sor_values.h"

namespace tracelink::sor {
namespace {

struct Trace {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  std::int32_t blocks = 0;
  HeaderState header;
  ViewWindow view;
};

// A record of range index rangeN whose samples descend from 900 with a little ripple.
Trace makeTrace(std::int32_t rangeN, std::int32_t startPoint, std::int32_t rangeLine) {
  Trace t;
  TraceRecord& r = *t.record;
  for (int p = 0; p < kHeaderStart; ++p) r[p] = 900 - p / 60 + (p % 7);
  r[slot::kRangeN] = rangeN;
  r[slot::kStartPoint] = startPoint;
  r[slot::kRangeLine] = rangeLine;
  r[slot::kReglw] = 3;
  r[slot::kWendu] = 5;
  t.blocks = std::max(1, BlocksForRange(rangeN) + 1);
  t.header.BlocksPerTrace = t.blocks;
  ApplyHeader(r, t.header, t.view);
  return t;
}

void setEvents(TraceRecord& r, const std::vector<std::array<std::int32_t, 4>>& events) {
  r[slot::kEventCount] = static_cast<std::int32_t>(events.size());
  for (std::size_t i = 0; i < events.size() && i < 8; ++i)
    for (int k = 0; k < 4; ++k) r[slot::kEventList + 4 * i + k] = events[i][k];
}

SorFile exported(const Trace& t, const SorExportOptions& o = {}) {
  Result<std::vector<std::uint8_t>> bytes =
      WriteTraceAsSor(*t.record, t.header, t.view, t.blocks, o);
  EXPECT_TRUE(bytes.ok()) << bytes.error().text();
  Result<SorFile> file = ReadSor(*bytes);
  EXPECT_TRUE(file.ok()) << file.error().text();
  return std::move(*file);
}

TEST(TraceSor, BlocksFieldsAndConstantsAsStrictReadersWantThem) {
  Trace t = makeTrace(3, 1, 3000);
  setEvents(*t.record, {{1000, 1, 2000, 1850}, {2000, 2, 1800, 1790}, {3000, 7, 1700, 1500}});
  SorExportOptions o;
  o.cable = "C-7";
  o.fiber = "F 12";
  o.operatorName = "Li";
  o.locationA = "North";
  o.locationB = "South";
  o.comment = "after repair";
  o.dateTime = 1765248300;
  o.language = Language::Chinese;
  const std::vector<std::uint8_t> bytes =
      *WriteTraceAsSor(*t.record, t.header, t.view, t.blocks, o);
  const SorFile f = *ReadSor(bytes);
  // Every text is ASCII.
  std::vector<std::string> texts{f.genParams->language, f.genParams->buildCondition,
                                 f.fxdParams->units, f.fxdParams->traceType};
  for (const SorString* s :
       {&f.genParams->cableId, &f.genParams->fiberId, &f.genParams->locationA,
        &f.genParams->locationB, &f.genParams->cableCode, &f.genParams->operatorName,
        &f.genParams->comment, &f.supParams->supplier, &f.supParams->otdr, &f.supParams->software})
    texts.push_back(s->text);
  for (const KeyEvent& e : f.keyEvents->events) {
    texts.push_back(e.code + e.technique);
    texts.push_back(e.comment.text);
  }
  for (const std::string& text : texts)
    for (const char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << text;

  std::vector<std::string> names;
  for (const Block& b : f.blocks) names.push_back(b.ref.name);
  EXPECT_EQ(names, (std::vector<std::string>{"GenParams", "SupParams", "FxdParams", "KeyEvents",
                                             "DataPts", "TracelinkRecord", "Cksum"}));
  EXPECT_EQ(f.version, 2);
  EXPECT_EQ(f.checksum.status, ChecksumStatus::Ok);
  EXPECT_TRUE(f.trailing.empty());
  EXPECT_TRUE(f.notes.empty());
  // No padding: every known block is exactly as long as its fields.
  EXPECT_TRUE(f.genParams->tail.empty() && f.supParams->tail.empty() && f.fxdParams->tail.empty() &&
              f.keyEvents->tail.empty() && f.dataPts->tail.empty());

  const GenParams& g = *f.genParams;
  EXPECT_EQ(g.language, "ZH");
  EXPECT_EQ(g.fiberType, 652);
  EXPECT_EQ(g.wavelengthNm, 1310);
  EXPECT_EQ(g.cableId.text, "C-7");
  EXPECT_EQ(g.fiberId.text, "F 12");
  EXPECT_EQ(g.operatorName.text, "Li");
  EXPECT_EQ(g.locationA.text, "North");
  EXPECT_EQ(g.locationB.text, "South");
  EXPECT_EQ(g.comment.text, "after repair");
  EXPECT_EQ(f.supParams->otdr.text, "VT520X");
  EXPECT_EQ(f.supParams->software.text, "tracelink 1.1");

  const FxdParams& x = *f.fxdParams;
  EXPECT_EQ(x.dateTime, 1765248300u);
  EXPECT_EQ(x.units, "mt");
  EXPECT_EQ(x.wavelength, 13100);
  EXPECT_EQ(x.groupIndex, 146770u);
  EXPECT_EQ(x.pulseWidths, std::vector<std::uint16_t>{100});
  EXPECT_EQ(x.dataSpacing, std::vector<std::uint32_t>{500000});
  // One data point is one sample of the plot: 1.0213 m.
  EXPECT_NEAR(SampleSpacingM(x), kLightSpeed / 2 / kIor, 1e-6);

  // Data points: the 4001 samples the CSV prints, 0.001 dB below the highest.
  const DataTrace& d = f.dataPts->traces.at(0);
  ASSERT_EQ(d.values.size(), 4001u);
  EXPECT_EQ(x.pointCounts, std::vector<std::uint32_t>{4001});
  EXPECT_EQ(d.scaleFactor, 1000);
  std::int32_t top = 0;
  for (int p = 0; p <= 4000; ++p) top = std::max(top, (*t.record)[p]);
  for (int s = 0; s <= 4000; ++s) ASSERT_EQ(d.values[s], (top - (*t.record)[s]) * 10) << s;

  const KeyEvents& k = *f.keyEvents;
  ASSERT_EQ(k.events.size(), 3u);
  const struct {
    std::uint32_t time;
    const char* code;
    std::int16_t splice;
    const char* comment;
  } want[] = {{50000, "1F9999", 1500, "REF"},
              {100000, "0F9999", 100, "ATT"},
              {150000, "0F9999", 2000, "7"}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(k.events[i].number, i + 1);
    EXPECT_EQ(k.events[i].time, want[i].time);
    EXPECT_EQ(k.events[i].code, want[i].code);
    EXPECT_EQ(k.events[i].technique, "LS");
    EXPECT_EQ(k.events[i].spliceLoss, want[i].splice);
    EXPECT_EQ(k.events[i].reflectance, 0);
    EXPECT_EQ(k.events[i].comment.text, want[i].comment);
  }
  // The table's Loss(dB) of the last event: 20.00 - 15.00.
  EXPECT_EQ(k.totalLoss, 5000);
  EXPECT_EQ(k.lossStart, 50000);
  EXPECT_EQ(k.lossEnd, 150000u);
}

TEST(TraceSor, PulseWidthOfEveryIndex) {
  const std::uint16_t want[] = {10, 20, 50, 100, 200, 500, 1000, 1500, 2500, 100, 100};
  for (std::int32_t index = 0; index <= 10; ++index) {
    Trace t = makeTrace(0, 1, 100);
    (*t.record)[slot::kReglw] = index == 10 ? 200 : index;
    EXPECT_EQ(exported(t).fxdParams->pulseWidths.at(0), want[index]) << index;
  }
}

TEST(TraceSor, NoEventsGivesOneEndMarkerAtTheLastPoint) {
  Trace t = makeTrace(1, 11, 600);
  const SorFile f = exported(t);
  ASSERT_EQ(f.keyEvents->events.size(), 1u);
  const KeyEvent& e = f.keyEvents->events[0];
  EXPECT_EQ(f.dataPts->traces[0].values.size(), 501u);
  EXPECT_EQ(e.time, 500u * 50);
  EXPECT_EQ(e.code + e.technique, "0E9999LS");
  EXPECT_EQ(e.comment.text, "END");
  EXPECT_EQ(f.keyEvents->totalLoss, 0);
}

TEST(TraceSor, AWideLevelSpanRaisesTheScaleAndNeverWraps) {
  Trace t = makeTrace(0, 1, 100);
  TraceRecord& r = *t.record;
  r[0] = 65535;
  r[50] = 0;  // a span of 655.35 dB
  r[60] = 32768;
  const SorFile f = exported(t);
  const DataTrace& d = f.dataPts->traces[0];
  EXPECT_EQ(d.scaleFactor, 10000);
  EXPECT_EQ(d.values[0], 0);
  EXPECT_EQ(d.values[50], 65535);
  EXPECT_EQ(d.values[60], 32767);  // 327.67 dB below the top, to the nearest 0.01 dB
  for (std::size_t i = 0; i < d.values.size(); ++i)
    EXPECT_NEAR(LevelDb(d.values[i], d.scaleFactor), (r[i] - 65535) / 100.0, 0.005) << i;
  // The record block keeps what the rounding lost.
  const auto back = RecordOf(f);
  ASSERT_TRUE(back && back->ok());
  EXPECT_EQ((*(*back)->record)[60], 32768);

  // Just inside the base scale.
  Trace edge = makeTrace(0, 1, 100);
  for (int p = 0; p <= 101; ++p) (*edge.record)[p] = 7000;
  (*edge.record)[10] = 7000 - 6553;
  EXPECT_EQ(exported(edge).dataPts->traces[0].scaleFactor, 1000);
  (*edge.record)[10] = 7000 - 6554;
  EXPECT_EQ(exported(edge).dataPts->traces[0].scaleFactor, 1001);
}

TEST(TraceSor, RefusalsNameWhatIsWrong) {
  Trace t = makeTrace(0, 1, 100);
  const auto error = [&](const Trace& tr, const SorExportOptions& o) {
    Result<SorFile> r = TraceToSor(*tr.record, tr.header, tr.view, tr.blocks, o);
    return r.ok() ? std::string("(written)") : r.error().text();
  };
  SorExportOptions chinese;
  chinese.locationA = "\xE5\x8C\x97\xE4\xBA\xAC";
  EXPECT_EQ(error(t, chinese),
            "cannot export as SOR: location A holds a character that is not printable ASCII");
  SorExportOptions late;
  late.dateTime = 5000000000LL;
  EXPECT_EQ(error(t, late), "cannot export as SOR: the date 5000000000 lies outside 1970..2106");
  Trace none = makeTrace(0, 100, 100);
  EXPECT_EQ(error(none, {}),
            "cannot export as SOR: the trace has no samples to export (StartPoint 100 is not "
            "below RangeLine 100)");
  Trace odd = makeTrace(0, 1, 100);
  (*odd.record)[56500] = -1;
  EXPECT_EQ(error(odd, {}),
            "cannot export as SOR: record position 56500 holds -1, outside 0..65535");
}

// What a person sees of a record: the decoder's texts and the saved file's text.
struct Shown {
  DecodedTexts texts;
  std::string otdr;
  HeaderState header;
  ViewWindow view;
};

Shown shown(TraceRecord record, std::int32_t blocks) {
  Shown s;
  DecodedValues values;
  s.texts = DecodeRecord(record, values, Language::English);
  s.header.BlocksPerTrace = blocks;
  ApplyHeader(record, s.header, s.view);
  s.otdr = BuildRecordText(record, blocks);
  return s;
}

void expectSameShown(const Shown& a, const Shown& b) {
  EXPECT_EQ(a.texts.label1, b.texts.label1);
  EXPECT_EQ(a.texts.eventText, b.texts.eventText);
  EXPECT_EQ(a.texts.text4_0, b.texts.text4_0);
  EXPECT_EQ(a.texts.text4_1, b.texts.text4_1);
  EXPECT_EQ(a.texts.text4_3, b.texts.text4_3);
  EXPECT_EQ(a.header.StartPoint, b.header.StartPoint);
  EXPECT_EQ(a.header.RangeLine, b.header.RangeLine);
  EXPECT_EQ(a.view.FullRangeEnd, b.view.FullRangeEnd);
  EXPECT_TRUE(a.otdr == b.otdr);
}

TEST(TraceSor, EverySampleTraceComesBackShowingTheSame) {
  for (const char* name : {"sample_01_range2.otdr", "sample_02_range4.otdr",
                           "sample_03_range5.otdr", "sample_04_range7.otdr"}) {
    SCOPED_TRACE(name);
    Trace t;
    ASSERT_TRUE(ReadRecordFile(pathFromText(TRACELINK_OTDR_SAMPLES) / name, *t.record,
                               t.header.BlocksPerTrace));
    t.blocks = t.header.BlocksPerTrace;
    ApplyHeader(*t.record, t.header, t.view);
    const SorFile f = exported(t);
    const auto back = RecordOf(f);
    ASSERT_TRUE(back.has_value());
    ASSERT_TRUE(back->ok()) << back->error().text();
    EXPECT_EQ((*back)->blockCount, t.blocks);
    expectSameShown(shown(*(*back)->record, (*back)->blockCount), shown(*t.record, t.blocks));
    // Every position the plot can read is the same.
    for (std::size_t p = 0; p < kRecordWords; ++p)
      ASSERT_EQ((*(*back)->record)[p], (*t.record)[p]) << p;
  }
}

TEST(TraceSor, WriterAndReaderAgreeOnGeneratedTraces) {
  std::mt19937 rng(7);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    const std::int32_t rangeN = static_cast<std::int32_t>(rng() % 8);
    const std::int32_t start = static_cast<std::int32_t>(rng() % 40);
    Trace t = makeTrace(rangeN, start, start + 1 + static_cast<std::int32_t>(rng() % 5000));
    TraceRecord& r = *t.record;
    const bool wide = rng() % 4 == 0;
    for (int p = 0; p < kHeaderStart; ++p)
      r[p] = static_cast<std::int32_t>(wide ? rng() % 65536 : 400 + rng() % 600);
    for (int p = kHeaderStart + 20; p < kHeaderEnd; ++p)
      r[p] = static_cast<std::int32_t>(rng() % 65536);
    r[slot::kEventCount] = static_cast<std::int32_t>(rng() % 11);
    for (int i = 0; i < 32; ++i) r[slot::kEventList + i] = static_cast<std::int32_t>(rng() % 4000);
    t.blocks = 1 + static_cast<std::int32_t>(rng() % 15);
    SorExportOptions o;
    o.dateTime = rng();
    o.comment = std::string(rng() % 40, 'c');
    const SorFile f = exported(t, o);
    EXPECT_EQ(f.checksum.status, ChecksumStatus::Ok);
    EXPECT_FALSE(f.keyEvents->events.empty());
    EXPECT_LE(f.keyEvents->events.size(), 8u);
    const auto back = RecordOf(f);
    ASSERT_TRUE(back && back->ok()) << (back ? back->error().text() : "no record");
    HeaderState h;
    h.BlocksPerTrace = t.blocks;
    ViewWindow v;
    ApplyHeader(r, h, v);
    expectSameShown(shown(*(*back)->record, (*back)->blockCount), shown(r, t.blocks));
    // The data points are the samples the plot reads.
    const DataTrace& d = f.dataPts->traces[0];
    for (std::size_t i = 0; i < d.values.size(); ++i) {
      const auto p = SamplePosition(t.header.StartPoint, static_cast<std::int64_t>(i));
      ASSERT_TRUE(p);
      ASSERT_EQ((*(*back)->record)[*p], r[*p]);
    }
  }
}

TEST(TraceSor, ADamagedRecordBlockIsAnErrorNotAWrongTrace) {
  Trace t = makeTrace(3, 1, 3000);
  SorFile f = exported(t);
  Block& ours = f.blocks[5];
  ASSERT_EQ(ours.ref.name, kRecordBlockName);
  SorFile cut = f;
  cut.blocks[5].raw.resize(cut.blocks[5].raw.size() - 3);
  const auto e1 = RecordOf(*ReadSor(WriteSor(cut)));
  ASSERT_TRUE(e1 && !e1->ok());
  EXPECT_NE(e1->error().text().find("block TracelinkRecord, field "), std::string::npos);
  SorFile fewer = f;
  fewer.dataPts->traces[0].values.pop_back();
  const auto e2 = RecordOf(*ReadSor(WriteSor(fewer)));
  ASSERT_TRUE(e2 && !e2->ok());
  EXPECT_NE(e2->error().text().find("field point count"), std::string::npos) << e2->error().text();
  // A foreign file has no record block at all.
  SorFile foreign = f;
  foreign.blocks.erase(foreign.blocks.begin() + 5);
  EXPECT_FALSE(RecordOf(*ReadSor(WriteSor(foreign))).has_value());
}

}  // namespace
}  // namespace tracelink::sor
