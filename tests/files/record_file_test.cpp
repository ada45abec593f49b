#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <memory>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "files/record_file.h"
#include "files/record_text.h"
#include "test_files.h"

namespace tracelink {
namespace {

using test::fileText;
using test::patternRecord;
using test::readFile;
using test::TempFolder;
using test::writeFile;

namespace fs = std::filesystem;

std::vector<std::int32_t> wordsOfBlocks(std::int32_t n) {
  std::vector<std::int32_t> words(static_cast<std::size_t>(n + 1) * kBlockWords);
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = static_cast<std::int32_t>(i % 1000);
  words[0] = n;
  return words;
}

TEST(ReadRecordFileTest, ReadsAFileAndSetsTheBlockCount) {
  TempFolder folder;
  auto written = patternRecord(4);
  writeFile(folder / "t.otdr", BuildRecordText(*written, 3));
  auto record = std::make_unique<TraceRecord>();
  std::int32_t blocks = 9;
  const Status read = ReadRecordFile(folder / "t.otdr", *record, blocks);
  ASSERT_TRUE(read.ok()) << read.error().text();
  EXPECT_EQ(blocks, 3);
  EXPECT_EQ((*record)[11999], (*written)[11999]);
  EXPECT_EQ((*record)[12000], 0);
  EXPECT_EQ((*record)[59999], (*written)[59999]);
}

std::vector<std::int32_t> firstWords(std::vector<std::int32_t> words, std::size_t count) {
  words.resize(count);
  return words;
}

struct BadFile {
  const char* name;
  std::string content;
  std::string error;
};

void PrintTo(const BadFile& c, std::ostream* os) {
  *os << c.name;
}

class BadFileTest : public testing::TestWithParam<BadFile> {};

TEST_P(BadFileTest, NamesTheFileAndChangesNothing) {
  const BadFile& c = GetParam();
  TempFolder folder;
  const fs::path path = folder / "bad.otdr";
  writeFile(path, c.content);
  auto record = patternRecord(5);
  const auto before = std::make_unique<TraceRecord>(*record);
  std::int32_t blocks = 7;
  const Status read = ReadRecordFile(path, *record, blocks);
  ASSERT_FALSE(read.ok());
  EXPECT_EQ(read.error().text(), path.string() + ": " + c.error);
  EXPECT_EQ(blocks, 7);
  EXPECT_EQ(record->words, before->words);
}

std::string withWord(std::vector<std::int32_t> words, std::size_t k, const std::string& field) {
  std::string text = fileText({words.begin(), words.begin() + static_cast<std::ptrdiff_t>(k)});
  text += field + ",";
  text += fileText({words.begin() + static_cast<std::ptrdiff_t>(k) + 1, words.end()});
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadFileTest,
    testing::Values(
        BadFile{"Empty", "", "is empty"},
        BadFile{"OnlyCommas", std::string(5000, ','), "field 1 is not a number"},
        BadFile{"NotANumber", withWord(wordsOfBlocks(1), 4000, "x"), "field 4001 is not a number"},
        BadFile{"Over65535", withWord(wordsOfBlocks(1), 10, "65536"),
                "field 11 is more than 65535"},
        BadFile{"Negative", withWord(wordsOfBlocks(1), 10, "-1"), "field 11 is negative"},
        BadFile{"Short", fileText(firstWords(wordsOfBlocks(1), 5000)),
                "ends after 5000 of 8000 fields"},
        BadFile{"BlockCount16", fileText(wordsOfBlocks(16)), "block count 16 is outside 1..15"}),
    [](const testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

TEST(ReadRecordFileTest, ReadsCrLfAndByteOrderMark) {
  TempFolder folder;
  std::string text = fileText(wordsOfBlocks(2));
  for (std::size_t at = 0; (at = text.find(',', at)) != std::string::npos; at += 3)
    text.replace(at, 1, ",\r\n");
  writeFile(folder / "crlf.otdr", "\xEF\xBB\xBF" + text);
  TraceRecord record;
  std::int32_t blocks = 0;
  const Status read = ReadRecordFile(folder / "crlf.otdr", record, blocks);
  ASSERT_TRUE(read.ok()) << read.error().text();
  EXPECT_EQ(blocks, 2);
  EXPECT_EQ(record[7999], 7999 % 1000);
  EXPECT_EQ(record[kHeaderStart + 1], 8001 % 1000);
}

TEST(ReadRecordFileTest, PathsThatAreNotReadableFiles) {
  TempFolder folder;
  fs::create_directory(folder / "dir.otdr");
  const struct {
    fs::path path;
    std::string error;
  } cases[] = {
      {folder / "missing.otdr", "cannot open: No such file or directory"},
      {folder / "dir.otdr", "is a directory, not a trace file"},
  };
  for (const auto& c : cases) {
    TraceRecord record;
    std::int32_t blocks = 4;
    const Status read = ReadRecordFile(c.path, record, blocks);
    ASSERT_FALSE(read.ok()) << c.path;
    EXPECT_EQ(read.error().text(), c.path.string() + ": " + c.error);
    EXPECT_EQ(blocks, 4);
  }
}

// A device could block or never end, so both readers refuse it before a byte is read:
// read, the empty device would fail as a file that ends too soon, or give no bytes.
TEST(ReadRecordFileTest, ADeviceIsRefusedUnread) {
#ifdef _WIN32
  const fs::path device = "NUL";
#else
  const fs::path device = "/dev/null";
#endif
  TraceRecord record;
  std::int32_t blocks = 4;
  const Status asTrace = ReadRecordFile(device, record, blocks);
  EXPECT_EQ(blocks, 4);
  const Result<std::vector<std::uint8_t>> asBytes = ReadFileBytes(device, 64u * 1024 * 1024);
  for (const Error* e :
       {asTrace.ok() ? nullptr : &asTrace.error(), asBytes.ok() ? nullptr : &asBytes.error()}) {
    ASSERT_NE(e, nullptr);
#ifdef _WIN32
    // Windows versions differ in whether NUL has a status at all; either way it is not read.
    EXPECT_TRUE(e->code == ErrorCode::NotRegularFile || e->code == ErrorCode::CannotOpen)
        << e->text();
#else
    EXPECT_EQ(e->code, ErrorCode::NotRegularFile);
    EXPECT_EQ(e->text(), "/dev/null: is not a regular file");
    EXPECT_EQ(e->text(Language::Chinese), "/dev/null：不是普通文件");
#endif
  }
}

TEST(ReadRecordFileTest, NoReadPermission) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX only: Windows has no file mode that forbids its owner to read";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "running as root, which reads a file of mode 000";
  TempFolder folder;
  const fs::path path = folder / "locked.otdr";
  writeFile(path, fileText(wordsOfBlocks(1)));
  fs::permissions(path, fs::perms::none);
  TraceRecord record;
  std::int32_t blocks = 0;
  const Status read = ReadRecordFile(path, record, blocks);
  ASSERT_FALSE(read.ok());
  EXPECT_EQ(read.error().text(), path.string() + ": cannot open: Permission denied");
#endif
}

TEST(ReadRecordFileTest, HugeFilesAreReadOnlyAsFarAsNeeded) {
  // Sparse 300 MB files: the valid one is read up to its last needed field, the one of
  // zero bytes fails at its first; neither is read whole.
  TempFolder folder;
  const std::uintmax_t huge = 300ull * 1024 * 1024;
  const fs::path valid = folder / "valid.otdr";
  writeFile(valid, fileText(wordsOfBlocks(15)));
  fs::resize_file(valid, huge);
  const fs::path zeros = folder / "zeros.otdr";
  writeFile(zeros, "");
  fs::resize_file(zeros, huge);

  TraceRecord record;
  std::int32_t blocks = 0;
  const Status good = ReadRecordFile(valid, record, blocks);
  ASSERT_TRUE(good.ok()) << good.error().text();
  EXPECT_EQ(blocks, 15);
  const Status bad = ReadRecordFile(zeros, record, blocks);
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.error().text(), zeros.string() + ": field 1 is not a number");
}

// A file loaded as the window loads one: over what the record held, the block count taken
// from the file, then its header applied, which may take the count from the range index.
TEST(LoadTraceFileTest, LoadsOverTheRecordAndAppliesTheHeader) {
  TempFolder folder;
  auto written = patternRecord(11);
  (*written)[slot::kRangeN] = 6;  // 8 blocks by the range index
  (*written)[slot::kStartPoint] = 0;
  (*written)[slot::kRangeLine] = 30000;
  writeFile(folder / "t.otdr", BuildRecordText(*written, 3));

  auto record = patternRecord(99);
  const std::int32_t beyond = (*record)[3 * kBlockWords];  // past the file's three blocks
  HeaderState header{7, 8, 9};
  ViewWindow view{1, 2, 3, 4};
  const Result<std::int32_t> blocks = LoadTraceFile(folder / "t.otdr", *record, header, view);
  ASSERT_TRUE(blocks.ok()) << blocks.error().text();
  EXPECT_EQ(*blocks, 3);
  EXPECT_EQ((*record)[0], (*written)[0]);
  EXPECT_EQ((*record)[3 * kBlockWords], beyond);
  EXPECT_EQ(header.StartPoint, 1);  // 0 is read as 1 where a curve is drawn
  EXPECT_EQ(header.RangeLine, 30000);
  EXPECT_EQ(header.BlocksPerTrace, 8);
  EXPECT_EQ(view.FullRangeEnd, 8 * kBlockWords);

  // Into a fresh record: what lies past the file's blocks is zero.
  const Result<LoadedTrace> fresh = LoadTraceFile(folder / "t.otdr");
  ASSERT_TRUE(fresh.ok()) << fresh.error().text();
  EXPECT_EQ(fresh->blocks, 3);
  EXPECT_EQ((*fresh->record)[3 * kBlockWords], 0);
  EXPECT_EQ(fresh->header.BlocksPerTrace, 8);
  EXPECT_EQ(fresh->view.FullRangeEnd, view.FullRangeEnd);
}

TEST(LoadTraceFileTest, AFailedLoadChangesNothing) {
  TempFolder folder;
  writeFile(folder / "bad.otdr", fileText({1, 2}) + "x,");
  auto record = patternRecord(5);
  const auto before = record->words;
  HeaderState header{7, 8, 9};
  ViewWindow view{1, 2, 3, 4};
  const Result<std::int32_t> blocks = LoadTraceFile(folder / "bad.otdr", *record, header, view);
  ASSERT_FALSE(blocks.ok());
  EXPECT_EQ(blocks.error().text(), (folder / "bad.otdr").string() + ": field 3 is not a number");
  EXPECT_TRUE(record->words == before);
  EXPECT_EQ(header.BlocksPerTrace, 9);
  EXPECT_EQ(view.FullRangeEnd, 4);
  EXPECT_FALSE(LoadTraceFile(folder / "bad.otdr").ok());
}

// Whole files for the other formats: refused before reading when they cannot be a trace,
// each reason a code that either language words.
TEST(ReadFileBytesTest, RefusesWhatIsNoTraceFileInEitherLanguage) {
  TempFolder folder;
  writeFile(folder / "small", "Map");
  // Sparse, larger than the limit: refused from its size before anything is read.
  writeFile(folder / "huge", "Map");
  fs::resize_file(folder / "huge", 300ull * 1000 * 1000);
  const struct {
    fs::path path;
    ErrorCode code;
    std::string english;
    std::string chinese;
  } cases[] = {
      {folder.path(), ErrorCode::IsDirectory, "is a directory, not a trace file",
       "是文件夹，不是曲线文件"},
      {folder / "none", ErrorCode::CannotOpen, "cannot open: No such file or directory",
       "无法打开：文件或文件夹不存在"},
      {folder / "huge", ErrorCode::FileTooLarge,
       "is 300000000 bytes, larger than any trace file (67108864 at most)",
       "文件有 300000000 字节，超过任何曲线文件的大小（最多 67108864 字节）"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.string());
    const Result<std::vector<std::uint8_t>> read = ReadFileBytes(c.path, 64u * 1024 * 1024);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().code, c.code);
    EXPECT_EQ(read.error().text(), c.path.string() + ": " + c.english);
    EXPECT_EQ(read.error().text(Language::Chinese), c.path.string() + "：" + c.chinese);
  }
  const Result<std::vector<std::uint8_t>> small = ReadFileBytes(folder / "small", 3);
  ASSERT_TRUE(small.ok()) << small.error().text();
  EXPECT_EQ(*small, (std::vector<std::uint8_t>{'M', 'a', 'p'}));
  EXPECT_FALSE(ReadFileBytes(folder / "small", 2).ok());
  writeFile(folder / "empty", "");
  EXPECT_TRUE(ReadFileBytes(folder / "empty", 0)->empty());
}

std::vector<std::string> folderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(pathText(e.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WriteRecordFileTest, WritesAndReplacesLeavingNoTemporaryFile) {
  TempFolder folder;
  const fs::path path = folder / "a.otdr";
  ASSERT_TRUE(WriteRecordFile(path, "1,2,3,").ok());
  EXPECT_EQ(readFile(path), "1,2,3,");
  ASSERT_TRUE(WriteRecordFile(path, "4,").ok());
  EXPECT_EQ(readFile(path), "4,");
  EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"a.otdr"});
}

TEST(WriteRecordFileTest, FailuresNameTheFileAndKeepWhatWasThere) {
  TempFolder folder;
  const fs::path missing = folder / "no-such-folder" / "a.otdr";
  const Status noFolder = WriteRecordFile(missing, "1,");
  ASSERT_FALSE(noFolder.ok());
  EXPECT_EQ(noFolder.error().text(),
            missing.string() + ": cannot create: No such file or directory");

  // A directory in the way: it stays as it was, with its content, and no temporary file
  // is left behind.
  const fs::path dir = folder / "taken.otdr";
  fs::create_directory(dir);
  writeFile(dir / "inside", "keep");
  const Status blocked = WriteRecordFile(dir, "1,");
  ASSERT_FALSE(blocked.ok());
  EXPECT_EQ(blocked.error().text().rfind(dir.string() + ": ", 0), 0u);
  EXPECT_EQ(readFile(dir / "inside"), "keep");
  EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"taken.otdr"});
}

TEST(WriteRecordFileTest, AFailedWriteKeepsThePreviousFile) {
  // A file-size limit makes the write itself fail part-way, as a full disk would.
#ifdef _WIN32
  GTEST_SKIP() << "POSIX only: Windows has no file-size limit (RLIMIT_FSIZE) to fail a write";
#else
  TempFolder folder;
  const fs::path target = folder / "t.otdr";
  writeFile(target, "old,");
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* const previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status written = WriteRecordFile(target, std::string(5000, '7'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  ASSERT_FALSE(written.ok());
  EXPECT_EQ(written.error().text(), target.string() + ": cannot write: File too large");
  EXPECT_EQ(readFile(target), "old,");
  EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"t.otdr"});
#endif
}

}  // namespace
}  // namespace tracelink
