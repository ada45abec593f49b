// Paths as UTF-8 text on every platform: the conversions themselves, and file names of
// every kind written, listed, read, loaded and saved again. The same tables run on Linux and, in
// scripts/windows-check, on Windows under Wine; both runs must give the same names.
#include "files/path_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "files/atomic_file.h"
#include "files/record_file.h"
#include "files/record_text.h"
#include "files/trace_library.h"
#include "record/trace_record.h"
#include "sor/sor_io.h"
#include "sor/trace_sor.h"
#include "test_files.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

// Names a technician gives traces. The last is held by no single ANSI code page (Cyrillic,
// Chinese and Greek together) and has a letter beyond U+FFFF, two UTF-16 units on Windows.
const struct {
  const char* what;
  std::string name;
} kNames[] = {
    {"ASCII", "trace_01.otdr"},
    {"Chinese", "光纤测试 一号.otdr"},
    {"accented Latin", "Fibra óptica Ñandú Übergang.otdr"},
    {"spaces", " north link  3.otdr"},
    {"no ANSI code page", "Кабель-光纤-ίνα-𝄞.otdr"},
};

std::string withSuffix(const std::string& name, const std::string& suffix) {
  return name.substr(0, name.size() - 5) + suffix;  // in place of ".otdr"
}

std::vector<std::string> sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

struct SampleTrace {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  std::int32_t blocks = 0;
  HeaderState header;
  ViewWindow view;
};

SampleTrace readSample() {
  SampleTrace t;
  const fs::path sample = pathFromText(TRACELINK_OTDR_SAMPLES) / "sample_02_range4.otdr";
  const Status read = ReadRecordFile(sample, *t.record, t.blocks);
  EXPECT_TRUE(read.ok()) << read.error().text();
  t.header.BlocksPerTrace = t.blocks;
  ApplyHeader(*t.record, t.header, t.view);
  return t;
}

TEST(FileNames, WrittenListedReadAndSavedAgainUnderTheSameName) {
  const SampleTrace sample = readSample();
  const std::string text =
      BuildRecordText(*std::make_unique<TraceRecord>(*sample.record), sample.blocks);
  for (const auto& c : kNames) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    ASSERT_EQ(pathText(pathFromText(c.name)), c.name);

    // Written, then found in the folder under exactly the name it was given.
    ASSERT_TRUE(WriteRecordFile(folder.path() / pathFromText(c.name), text).ok());
    const std::vector<std::string> listed = ListSavedTraces(folder.path());
    ASSERT_EQ(listed, std::vector<std::string>{c.name});

    // Read back through the listed name.
    auto record = std::make_unique<TraceRecord>();
    std::int32_t blocks = 0;
    const Status read = ReadRecordFile(folder.path() / pathFromText(listed[0]), *record, blocks);
    ASSERT_TRUE(read.ok()) << read.error().text();
    EXPECT_EQ(blocks, sample.blocks);
    EXPECT_TRUE(std::equal(record->words.begin(), record->words.begin() + kHeaderStart,
                           sample.record->words.begin()));

    // Saved again: the name is taken, so the copy gets the next free one beside it.
    const fs::path again = UniqueSavePath(folder.path(), listed[0]);
    EXPECT_EQ(pathText(again.filename()), withSuffix(c.name, "-2.otdr"));
    ASSERT_TRUE(WriteRecordFile(again, BuildRecordText(*record, blocks)).ok());
    EXPECT_EQ(sorted(ListSavedTraces(folder.path())),
              sorted({c.name, withSuffix(c.name, "-2.otdr")}));

    // Exported as SOR beside it, atomically, and read back by the SOR reader.
    const std::string sorName = withSuffix(c.name, ".sor");
    const fs::path sorPath = folder.path() / pathFromText(sorName);
    Result<std::vector<std::uint8_t>> sorBytes =
        sor::WriteTraceAsSor(*record, sample.header, sample.view, blocks, {});
    ASSERT_TRUE(sorBytes.ok()) << sorBytes.error().text();
    const std::string_view bytesText(reinterpret_cast<const char*>(sorBytes->data()),
                                     sorBytes->size());
    ASSERT_TRUE(WriteFileAtomically(sorPath, bytesText, ExistingFile::Keep).ok());
    Result<std::vector<std::uint8_t>> readBack = ReadFileBytes(sorPath, sor::kMaxSorFileBytes);
    ASSERT_TRUE(readBack.ok()) << readBack.error().text();
    EXPECT_EQ(*readBack, *sorBytes);
    // The export is listed beside the traces it came from.
    EXPECT_EQ(ListSavedTraces(folder.path()).size(), 3u);

    // Both files loaded by their content as any trace is: the same trace, each naming its
    // own file.
    const fs::path otdrPath = folder.path() / pathFromText(listed[0]);
    Result<Trace> fromOtdr = LoadTrace(otdrPath);
    Result<Trace> fromSor = LoadTrace(sorPath);
    ASSERT_TRUE(fromOtdr.ok()) << fromOtdr.error().text();
    ASSERT_TRUE(fromSor.ok()) << fromSor.error().text();
    EXPECT_EQ(fromOtdr->origin.path, pathText(otdrPath));
    EXPECT_EQ(fromSor->origin.path, pathText(sorPath));
    EXPECT_EQ(fromSor->origin.format, TraceFormat::Sor);
    EXPECT_FALSE(fromOtdr->levels.empty());
    EXPECT_EQ(fromOtdr->levels, fromSor->levels);

    // Failures name the file as it is named, in UTF-8.
    const Status refused = WriteFileAtomically(sorPath, bytesText, ExistingFile::Keep);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().text(), pathText(sorPath) + ": exists already");
    EXPECT_TRUE(refused.error().text().find(sorName) != std::string::npos);
    const fs::path missing = folder.path() / pathFromText(withSuffix(c.name, "-9.otdr"));
    const Status notThere = ReadRecordFile(missing, *record, blocks);
    ASSERT_FALSE(notThere.ok());
    EXPECT_EQ(notThere.error().text(),
              pathText(missing) + ": cannot open: No such file or directory");
  }
}

// What each conversion makes of text that is not UTF-8 and of names that UTF-8 cannot
// hold. Elsewhere a name is bytes and comes back as it was; Windows names are UTF-16, so
// what has no UTF-16 becomes U+FFFD rather than an exception.
TEST(PathText, TextThatIsNotUtf8NeverThrows) {
  const struct {
    const char* what;
    std::string text;
    std::wstring windowsName;  // what Windows is given
    std::string windowsText;   // and the text it gives back
  } cases[] = {
      {"plain", "a.otdr", L"a.otdr", "a.otdr"},
      {"Chinese", "中文.otdr", L"\x4E2D\x6587.otdr", "中文.otdr"},
      {"beyond U+FFFF", "𝄞", L"\xD834\xDD1E", "𝄞"},
      {"a stray byte", "a\xFF.otdr", L"a\xFFFD.otdr", "a\uFFFD.otdr"},
      {"overlong slash", "\xC0\xAF", L"\xFFFD\xFFFD", "\uFFFD\uFFFD"},
      {"an encoded surrogate", "\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD", "\uFFFD\uFFFD\uFFFD"},
      {"cut short", "x\xE4\xB8", L"x\xFFFD\xFFFD", "x\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD",
       "\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path p = pathFromText(c.text);
#ifdef _WIN32
    EXPECT_EQ(p.native(), c.windowsName);
    EXPECT_EQ(pathText(p), c.windowsText);
#else
    EXPECT_EQ(p.native(), c.text);
    EXPECT_EQ(pathText(p), c.text);
#endif
  }
}

TEST(PathText, AWindowsNameWithALoneSurrogateGivesReplacement) {
#ifndef _WIN32
  GTEST_SKIP() << "Windows only: names elsewhere are bytes, never malformed UTF-16";
#else
  const struct {
    std::wstring name;
    std::string text;
  } cases[] = {
      {L"a\xD800"
       L"b",
       "a\uFFFDb"},
      {L"\xDC00.otdr", "\uFFFD.otdr"},
      {L"end\xD834", "end\uFFFD"},
      {L"\xDD1E\xD834", "\uFFFD\uFFFD"},  // the pair in the wrong order
  };
  for (const auto& c : cases) EXPECT_EQ(pathText(fs::path(c.name)), c.text);
#endif
}

}  // namespace
}  // namespace tracelink
