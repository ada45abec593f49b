// The shared sample files of several makers against what independent readers found in
// them, the checksum, and the byte-exact round trip of every file.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "sor/expected_samples.h"
#include "sor/sor_io.h"
#include "sor/sor_test_support.h"
#include "sor/sor_values.h"

namespace tracelink::sor {
namespace {

using testing::expectedSamples;
using testing::readBytes;
using testing::samplePath;

TEST(SorCrc, CheckValueAndEmptyInput) {
  const char* text = "123456789";
  EXPECT_EQ(Crc16(std::span(reinterpret_cast<const std::uint8_t*>(text), 9)), 0x29B1);
  EXPECT_EQ(Crc16({}), 0xFFFF);
  // Splitting the input and carrying the value on gives the same result.
  const auto* b = reinterpret_cast<const std::uint8_t*>(text);
  EXPECT_EQ(Crc16(std::span(b + 4, 5), Crc16(std::span(b, 4))), 0x29B1);
}

// The polynomial one bit at a time, as it is defined.
std::uint16_t bitwiseCrc(const std::vector<std::uint8_t>& bytes) {
  unsigned crc = 0xFFFF;
  for (const std::uint8_t b : bytes) {
    crc ^= static_cast<unsigned>(b) << 8;
    for (int k = 0; k < 8; ++k) crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) & 0xFFFF : crc << 1;
  }
  return static_cast<std::uint16_t>(crc);
}

TEST(SorCrc, EveryLengthAgreesWithTheBitwiseDefinition) {
  std::mt19937 rng(3);
  std::vector<std::uint8_t> bytes;
  for (int len = 0; len < 70; ++len) {
    EXPECT_EQ(Crc16(bytes), bitwiseCrc(bytes)) << len;
    bytes.push_back(static_cast<std::uint8_t>(rng()));
  }
}

TEST(SorSamples, AgreeWithIndependentReaders) {
  for (const auto& want : expectedSamples()) {
    SCOPED_TRACE(want.file);
    const std::vector<std::uint8_t> bytes = readBytes(samplePath(want.file));
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(LooksLikeSor(bytes));
    Result<SorFile> file = ReadSor(bytes);
    ASSERT_TRUE(file.ok()) << file.error().text();
    EXPECT_EQ(file->version, want.version);
    ASSERT_TRUE(file->fxdParams && file->dataPts && file->genParams && file->supParams);
    const FxdParams& f = *file->fxdParams;
    ASSERT_FALSE(file->dataPts->traces.empty());
    const DataTrace& trace = file->dataPts->traces.front();
    EXPECT_EQ(static_cast<int>(trace.values.size()), want.points);
    EXPECT_NEAR(SampleSpacingM(f), want.sampleSpacingM, 1e-6);
    EXPECT_NEAR(GroupIndex(f), want.ior, 1e-9);
    EXPECT_NEAR(f.wavelength / 10.0, want.wavelengthNm, 1e-9);
    ASSERT_FALSE(f.pulseWidths.empty());
    EXPECT_EQ(f.pulseWidths.front(), want.pulseWidthNs);
    EXPECT_EQ(f.units, want.units);

    double lo = 0, hi = -1e9;
    lo = 1e9;
    for (const std::uint16_t v : trace.values) {
      lo = std::min(lo, LevelDb(v, trace.scaleFactor));
      hi = std::max(hi, LevelDb(v, trace.scaleFactor));
    }
    EXPECT_NEAR(LevelDb(trace.values.front(), trace.scaleFactor), want.firstLevelDb, 1e-3);
    EXPECT_NEAR(LevelDb(trace.values.back(), trace.scaleFactor), want.lastLevelDb, 1e-3);
    EXPECT_NEAR(lo, want.minLevelDb, 1e-3);
    EXPECT_NEAR(hi, want.maxLevelDb, 1e-3);

    ASSERT_EQ(file->keyEvents.has_value(), want.hasKeyEvents);
    if (want.hasKeyEvents) {
      const KeyEvents& k = *file->keyEvents;
      EXPECT_NEAR(k.totalLoss / 1000.0, want.totalLossDb, 1e-3);
      ASSERT_EQ(k.events.size(), want.events.size());
      for (std::size_t i = 0; i < k.events.size(); ++i) {
        SCOPED_TRACE(i);
        const KeyEvent& e = k.events[i];
        EXPECT_NEAR(TimeToMetres(e.time, f), want.events[i].distanceM, 0.5);
        EXPECT_NEAR(e.spliceLoss / 1000.0, want.events[i].spliceLossDb, 1e-3);
        EXPECT_NEAR(e.reflectance / 1000.0, want.events[i].reflectanceDb, 1e-3);
        const std::string code = e.code + e.technique;
        EXPECT_EQ(code.substr(0, std::strlen(want.events[i].code)), want.events[i].code);
      }
    }
    EXPECT_EQ(file->checksum.status == ChecksumStatus::Ok, want.checksumOk);
    EXPECT_NE(file->checksum.status, ChecksumStatus::Missing);
  }
}

TEST(SorSamples, WriteBackGivesTheSameBytesWithACorrectChecksum) {
  for (const auto& want : expectedSamples()) {
    SCOPED_TRACE(want.file);
    const std::vector<std::uint8_t> bytes = readBytes(samplePath(want.file));
    Result<SorFile> file = ReadSor(bytes);
    ASSERT_TRUE(file.ok()) << file.error().text();
    const std::vector<std::uint8_t> again = WriteSor(*file);
    ASSERT_EQ(again.size(), bytes.size());
    // Only the two checksum bytes may differ, and only where the maker's was not ours.
    std::size_t differing = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) differing += bytes[i] != again[i];
    EXPECT_LE(differing, want.checksumOk ? 0u : 2u);

    Result<SorFile> reread = ReadSor(again);
    ASSERT_TRUE(reread.ok()) << reread.error().text();
    EXPECT_EQ(reread->checksum.status, ChecksumStatus::Ok);
    EXPECT_EQ(reread->blocks, file->blocks);  // unknown blocks byte for byte
    EXPECT_EQ(reread->genParams, file->genParams);
    EXPECT_EQ(reread->supParams, file->supParams);
    EXPECT_EQ(reread->fxdParams, file->fxdParams);
    EXPECT_EQ(reread->keyEvents, file->keyEvents);
    EXPECT_EQ(reread->dataPts, file->dataPts);
    EXPECT_EQ(reread->trailing, file->trailing);
  }
}

TEST(SorSamples, AFlippedDataBitIsAMismatchButStillReads) {
  std::vector<std::uint8_t> bytes = readBytes(samplePath("sample01.sor"));
  Result<SorFile> clean = ReadSor(WriteSor(*ReadSor(bytes)));
  ASSERT_TRUE(clean.ok());
  std::vector<std::uint8_t> fixed = WriteSor(*clean);
  fixed[fixed.size() / 2] ^= 0x10;  // inside DataPts
  Result<SorFile> flipped = ReadSor(fixed);
  ASSERT_TRUE(flipped.ok()) << flipped.error().text();
  EXPECT_EQ(flipped->checksum.status, ChecksumStatus::Mismatch);
  EXPECT_EQ(flipped->checksum.stored, clean->checksum.stored);
  EXPECT_NE(flipped->checksum.computed, flipped->checksum.stored);
}

TEST(SorText, Utf8KeptLatin1DecodedAndBothWrittenBack) {
  struct Case {
    std::string bytes;
    std::string text;
    bool latin1;
  };
  const Case cases[] = {
      {"plain", "plain", false},
      {"\xE5\x85\x89\xE7\xBA\xA4", "\xE5\x85\x89\xE7\xBA\xA4", false},  // UTF-8 Chinese
      {"Z\xFCrich", "Z\xC3\xBCrich", true},                             // Latin-1 u-umlaut
      {"\xC0\x80", "\xC3\x80\xC2\x80", true},                           // overlong NUL
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80", true},               // a surrogate
      {"\xE5\x85", "\xC3\xA5\xC2\x85", true},                           // cut sequence
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    const SorString s = DecodeText(c.bytes);
    EXPECT_EQ(s.text, c.text);
    EXPECT_EQ(s.latin1, c.latin1);
    EXPECT_EQ(EncodeText(s), c.bytes);
  }
}

// Two-letter fields hold what the file had. Letters read as Latin-1 are longer than their
// field as UTF-8; they used to be written as their first two UTF-8 bytes, so "\xE9T" came
// back as "\xE9" alone.
TEST(SorText, LettersReadAsLatin1AreWrittenBackAsTheyWere) {
  Result<SorFile> sample = ReadSor(readBytes(samplePath("sample01.sor")));
  ASSERT_TRUE(sample.ok()) << sample.error().text();
  ASSERT_TRUE(sample->genParams && sample->fxdParams);
  ASSERT_EQ(sample->version, 2);
  const struct {
    const char* field;
    std::string& (*of)(SorFile&);
  } fields[] = {
      {"language", [](SorFile& f) -> std::string& { return f.genParams->language; }},
      {"build condition", [](SorFile& f) -> std::string& { return f.genParams->buildCondition; }},
      {"units", [](SorFile& f) -> std::string& { return f.fxdParams->units; }},
      {"trace type", [](SorFile& f) -> std::string& { return f.fxdParams->traceType; }},
  };
  for (const auto& field : fields) {
    for (const std::string bytes : {"\xE9T", "\xFC\xFC", "S\xB0", "\xC3\xA9"}) {
      SCOPED_TRACE(std::string(field.field) + " " + bytes);
      SorFile file = *sample;
      field.of(file) = DecodeText(bytes).text;
      Result<SorFile> back = ReadSor(WriteSor(file));
      ASSERT_TRUE(back.ok()) << back.error().text();
      EXPECT_EQ(field.of(*back), field.of(file));
    }
  }
}

TEST(SorSamples, NotesSayWhatWasPassedOver) {
  // sample11 has bytes after its last block; they are kept and said.
  Result<SorFile> file = ReadSor(readBytes(samplePath("sample11.sor")));
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->trailing.size(), 103u);
  ASSERT_FALSE(file->notes.empty());
  EXPECT_NE(file->notes.back().find("103 bytes after the last block"), std::string::npos);
}

}  // namespace
}  // namespace tracelink::sor
