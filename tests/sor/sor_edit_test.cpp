// Rewriting the identity texts of any maker's file, and the checksum's common variants.
#include <gtest/gtest.h>

#include <cstring>

#include "expected_samples.h"
#include "sor/sor_edit.h"
#include "sor/sor_io.h"
#include "sor/sor_strings.h"
#include "sor_test_support.h"

namespace tracelink::sor {
namespace {

using testing::expectedSamples;
using testing::readBytes;
using testing::samplePath;

std::string slice(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t n) {
  return std::string(reinterpret_cast<const char*>(bytes.data()) + at, n);
}

const Block* blockNamed(const SorFile& f, BlockKind kind) {
  for (const Block& b : f.blocks)
    if (b.kind == kind) return &b;
  return nullptr;
}

// The checksum way a rewritten file must use: the source's own when it matched one.
ChecksumVariant wayOf(const ChecksumReport& r) {
  return r.status == ChecksumStatus::OkVariant ? r.variant : ChecksumVariant::Standard;
}

TEST(SorEdit, EveryOtherBlockStaysByteForByteInEverySample) {
  // Lengths that grow and shrink GenParams, and an empty one.
  const IdentityTexts edited{"CABLE-0042/north duct", "F17",      "",
                             "Exchange B, rack 4",    "J. Smith", "re-spliced 2026-12-01"};
  for (const auto& want : expectedSamples()) {
    SCOPED_TRACE(want.file);
    const std::vector<std::uint8_t> source = readBytes(samplePath(want.file));
    const SorResult<SorFile> before = ReadSor(source);
    ASSERT_TRUE(before.ok());
    const SorResult<std::vector<std::uint8_t>> out = RewriteIdentity(source, edited);
    ASSERT_TRUE(out.ok()) << out.error().text();
    const SorResult<SorFile> after = ReadSor(*out);
    ASSERT_TRUE(after.ok()) << after.error().text();
    EXPECT_EQ(after->version, want.version);

    // The edited texts are new; GenParams's other fields are what they were.
    ASSERT_TRUE(after->genParams.has_value());
    EXPECT_EQ(IdentityOf(*out), edited);
    GenParams rest = *after->genParams;
    const GenParams& was = *before->genParams;
    rest.cableId = was.cableId;
    rest.fiberId = was.fiberId;
    rest.locationA = was.locationA;
    rest.locationB = was.locationB;
    rest.operatorName = was.operatorName;
    rest.comment = was.comment;
    EXPECT_EQ(rest, was);

    // The checksum is right, the way the maker computed it where it matched one.
    EXPECT_TRUE(after->checksum.status == ChecksumStatus::Ok ||
                after->checksum.status == ChecksumStatus::OkVariant)
        << checksumText(after->checksum);
    EXPECT_EQ(wayOf(after->checksum), wayOf(before->checksum));

    // Every other block, byte for byte, in the same order; Cksum up to its value.
    ASSERT_EQ(after->blocks.size(), before->blocks.size());
    for (std::size_t i = 0; i < before->blocks.size(); ++i) {
      const Block& b = before->blocks[i];
      const Block& a = after->blocks[i];
      SCOPED_TRACE(b.ref.name);
      EXPECT_EQ(a.ref.name, b.ref.name);
      EXPECT_EQ(a.ref.version, b.ref.version);
      if (b.kind == BlockKind::GenParams) continue;
      ASSERT_EQ(a.ref.size, b.ref.size);
      const std::size_t compared = b.kind == BlockKind::Cksum ? b.ref.size - 2 : b.ref.size;
      EXPECT_EQ(slice(*out, a.offset, compared), slice(source, b.offset, compared));
    }
    EXPECT_EQ(after->trailing, before->trailing);
    // The Map is the same length and differs only in GenParams's size.
    const Block* firstBlock = &before->blocks.front();
    std::size_t differing = 0;
    for (std::size_t i = 0; i < firstBlock->offset; ++i) differing += source[i] != (*out)[i];
    EXPECT_LE(differing, 4u);
  }
}

TEST(SorEdit, UnchangedTextsGiveTheSameFileWhereItsChecksumMatched) {
  for (const auto& want : expectedSamples()) {
    SCOPED_TRACE(want.file);
    const std::vector<std::uint8_t> source = readBytes(samplePath(want.file));
    const SorResult<SorFile> before = ReadSor(source);
    ASSERT_TRUE(before.ok());
    const SorResult<std::vector<std::uint8_t>> out = RewriteIdentity(source, IdentityOf(source));
    ASSERT_TRUE(out.ok()) << out.error().text();
    ASSERT_EQ(out->size(), source.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < source.size(); ++i) differing += source[i] != (*out)[i];
    const bool matched = before->checksum.status == ChecksumStatus::Ok ||
                         before->checksum.status == ChecksumStatus::OkVariant;
    EXPECT_LE(differing, matched ? 0u : 2u);
  }
}

TEST(SorEdit, ATextTheFormatCannotHoldIsRefusedByName) {
  const std::vector<std::uint8_t> source = readBytes(samplePath("sample05.sor"));
  struct Case {
    std::string IdentityTexts::*field;
    SorText named;
  };
  const Case cases[] = {{&IdentityTexts::cable, SorText::Cable},
                        {&IdentityTexts::fiber, SorText::Fiber},
                        {&IdentityTexts::locationA, SorText::LocationA},
                        {&IdentityTexts::locationB, SorText::LocationB},
                        {&IdentityTexts::operatorName, SorText::Operator},
                        {&IdentityTexts::comment, SorText::Comment}};
  const std::string bads[] = {"光缆1", "tab\there", std::string("nul\0in", 6), "del\x7f"};
  for (const std::string& bad : bads) {
    for (const Case& c : cases) {
      IdentityTexts t = IdentityOf(source);
      t.*c.field = bad;
      const SorResult<std::vector<std::uint8_t>> out = RewriteIdentity(source, t);
      ASSERT_FALSE(out.ok());
      EXPECT_EQ(out.problem().code, SorCode::ExportNotAscii);
      EXPECT_EQ(out.problem().text, c.named);
    }
  }
}

TEST(SorEdit, ALatin1TextKeptAsItWasIsWrittenBackWithItsBytes) {
  // A maker's comment in Latin-1 that the user leaves alone while correcting the cable.
  SorFile f = *ReadSor(readBytes(samplePath("sample07.sor")));
  f.genParams->comment = DecodeText(
      "Stra\xdf"
      "e 5");
  ASSERT_TRUE(f.genParams->comment.latin1);
  const std::vector<std::uint8_t> source = WriteSor(f);
  IdentityTexts t = IdentityOf(source);
  t.cable = "C-9";
  const SorResult<std::vector<std::uint8_t>> out = RewriteIdentity(source, t);
  ASSERT_TRUE(out.ok()) << out.error().text();
  const SorResult<SorFile> back = ReadSor(*out);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back->genParams->cableId.text, "C-9");
  EXPECT_EQ(back->genParams->comment, f.genParams->comment);
  // Typing non-ASCII into it is refused, naming it.
  t.comment = "Straße 6";
  const SorResult<std::vector<std::uint8_t>> refused = RewriteIdentity(source, t);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.problem().text, SorText::Comment);
}

TEST(SorEdit, AFileWithoutGenParamsOrUnreadableIsRefused) {
  SorFile f = *ReadSor(readBytes(samplePath("sample10.sor")));
  std::erase_if(f.blocks, [](const Block& b) { return b.kind == BlockKind::GenParams; });
  f.genParams.reset();
  const SorResult<std::vector<std::uint8_t>> none = RewriteIdentity(WriteSor(f), {});
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.problem().code, SorCode::EditNoGenParams);

  std::vector<std::uint8_t> cut = readBytes(samplePath("sample10.sor"));
  cut.resize(cut.size() / 2);
  const SorResult<std::vector<std::uint8_t>> damaged = RewriteIdentity(cut, {});
  ASSERT_FALSE(damaged.ok());
  EXPECT_EQ(damaged.problem().code, SorCode::BlockPastEnd);
  EXPECT_FALSE(RewriteIdentity({}, {}).ok());
}

TEST(SorChecksum, TheCommonWaysReadAsOkAndSayWhich) {
  struct Case {
    const char* file;
    ChecksumStatus status;
    ChecksumVariant variant;
    const char* text;
  };
  // What the shared samples use: the standard way, a start of 0, or no value at all.
  const Case samples[] = {
      {"sample01.sor", ChecksumStatus::OkVariant, ChecksumVariant::StartZero, "ok (start 0)"},
      {"sample04.sor", ChecksumStatus::Ok, ChecksumVariant::Standard, "ok"},
      {"sample07.sor", ChecksumStatus::Ok, ChecksumVariant::Standard, "ok"},
      {"sample10.sor", ChecksumStatus::OkVariant, ChecksumVariant::StartZero, "ok (start 0)"},
      {"sample12.sor", ChecksumStatus::NotSet, ChecksumVariant::Standard, "not set"},
      {"sample05.sor", ChecksumStatus::Mismatch, ChecksumVariant::Standard, "mismatch"},
  };
  for (const Case& c : samples) {
    SCOPED_TRACE(c.file);
    const SorResult<SorFile> f = ReadSor(readBytes(samplePath(c.file)));
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->checksum.status, c.status);
    EXPECT_EQ(f->checksum.variant, c.variant);
    EXPECT_EQ(checksumText(f->checksum), c.text);
  }

  // Each way written into a file reads back as that way.
  std::vector<std::uint8_t> bytes = WriteSor(*ReadSor(readBytes(samplePath("sample08.sor"))));
  const SorFile clean = *ReadSor(bytes);
  const Block* ck = blockNamed(clean, BlockKind::Cksum);
  ASSERT_NE(ck, nullptr);
  const std::size_t valueAt = ck->offset + ck->ref.size - 2;
  const struct {
    ChecksumVariant variant;
    ChecksumStatus status;
  } ways[] = {{ChecksumVariant::Standard, ChecksumStatus::Ok},
              {ChecksumVariant::StartZero, ChecksumStatus::OkVariant},
              {ChecksumVariant::BeforeBlock, ChecksumStatus::OkVariant},
              {ChecksumVariant::StartZeroBeforeBlock, ChecksumStatus::OkVariant}};
  for (const auto& w : ways) {
    SCOPED_TRACE(checksumVariantText(w.variant));
    const std::uint16_t crc = ChecksumOf(bytes, valueAt, ck->offset, w.variant);
    bytes[valueAt] = static_cast<std::uint8_t>(crc & 0xFF);
    bytes[valueAt + 1] = static_cast<std::uint8_t>(crc >> 8);
    const SorResult<SorFile> f = ReadSor(bytes);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->checksum.status, w.status);
    EXPECT_EQ(f->checksum.variant, w.variant);
    EXPECT_EQ(f->checksum.stored, crc);
    // A changed data byte matches no way.
    std::vector<std::uint8_t> flipped = bytes;
    flipped[valueAt / 2] ^= 0x01;
    EXPECT_EQ(ReadSor(flipped)->checksum.status, ChecksumStatus::Mismatch);
  }
}

TEST(SorChecksum, ItsWordsInBothLanguages) {
  const auto report = [](ChecksumStatus s, ChecksumVariant v = ChecksumVariant::Standard) {
    ChecksumReport r;
    r.status = s;
    r.variant = v;
    return r;
  };
  const struct {
    ChecksumReport report;
    const char* english;
    const char* chinese;
  } cases[] = {
      {report(ChecksumStatus::Ok), "ok", "正确"},
      {report(ChecksumStatus::OkVariant, ChecksumVariant::StartZero), "ok (start 0)",
       "正确（起始值 0）"},
      {report(ChecksumStatus::OkVariant, ChecksumVariant::BeforeBlock), "ok (before Cksum)",
       "正确（Cksum 块之前）"},
      {report(ChecksumStatus::OkVariant, ChecksumVariant::StartZeroBeforeBlock),
       "ok (start 0, before Cksum)", "正确（起始值 0，Cksum 块之前）"},
      {report(ChecksumStatus::NotSet), "not set", "未设置"},
      {report(ChecksumStatus::Mismatch), "mismatch", "不符"},
      {report(ChecksumStatus::Missing), "missing", "缺失"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(checksumText(c.report, Language::English), c.english);
    EXPECT_EQ(checksumText(c.report, Language::Chinese), c.chinese);
  }
}

}  // namespace
}  // namespace tracelink::sor
