#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "files/trace_library.h"
#include "test_files.h"

namespace tracelink {
namespace {

using test::TempFolder;
using test::writeFile;

namespace fs = std::filesystem;

// A folder is made with its parents, or taken as it is; where that cannot be, one code
// names the folder and the system's reason.
TEST(EnsureFolderTest, MakesTheFolderOrSaysWhyNot) {
  TempFolder folder;
  writeFile(folder / "file", "x");
  fs::create_directories(folder / "there");
  const struct {
    const char* what;
    fs::path path;
    int sysError;  // 0: the folder is there afterwards
  } cases[] = {
      {"already there", folder / "there", 0},
      {"made with its parents", folder / "a" / "b" / "c", 0},
      {"a file in its place", folder / "file", ENOTDIR},
      {"a file as its parent", folder / "file" / "save", ENOTDIR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Status made = EnsureFolder(c.path);
    if (c.sysError == 0) {
      EXPECT_TRUE(made.ok()) << made.error().text();
      EXPECT_TRUE(fs::is_directory(c.path));
      continue;
    }
    ASSERT_FALSE(made.ok());
    EXPECT_EQ(made.error().code, ErrorCode::CannotCreateFolder);
    EXPECT_EQ(made.error().sysError, c.sysError);
    EXPECT_EQ(made.error().text(), c.path.string() + ": cannot create the folder: Not a directory");
    EXPECT_EQ(made.error().text(Language::Chinese),
              c.path.string() + "：无法创建文件夹：路径中有一项不是文件夹");
    EXPECT_TRUE(fs::is_regular_file(folder / "file"));  // never replaced
  }
}

TEST(EnsureFolderTest, AReadOnlyParentIsNamed) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX only: a read-only folder on Windows still takes new folders";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  TempFolder folder;
  fs::create_directories(folder / "locked");
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const Status made = EnsureFolder(folder / "locked" / "save");
  fs::permissions(folder / "locked", fs::perms::owner_all);
  ASSERT_FALSE(made.ok());
  EXPECT_EQ(made.error().sysError, EACCES);
  EXPECT_EQ(made.error().text(Language::Chinese),
            (folder / "locked" / "save").string() + "：无法创建文件夹：没有访问权限");
#endif
}

TEST(AutoSaveFileNameTest, TraceNumberThenUnpaddedDateAndTime) {
  const struct {
    int trace, year, month, day, hour, minute, second;
    const char* name;
  } cases[] = {
      {12, 2019, 12, 1, 10, 5, 7, "12_20191211057.otdr"},
      {3, 2017, 8, 9, 15, 31, 26, "03_201789153126.otdr"},
      {1, 2024, 1, 1, 0, 0, 0, "01_202411000.otdr"},
      {50, 2020, 11, 30, 23, 59, 59, "50_20201130235959.otdr"},
      {100, 2020, 1, 2, 3, 4, 5, "100_202012345.otdr"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AutoSaveFileName(c.trace, c.year, c.month, c.day, c.hour, c.minute, c.second),
              c.name);
  }
}

TEST(UniqueSavePathTest, AddsASuffixBeforeTheExtensionWhenTheNameIsTaken) {
  TempFolder folder;
  const std::string name = "01_202011111.otdr";
  EXPECT_EQ(UniqueSavePath(folder.path(), name), folder / name);
  writeFile(folder / name, "x");
  EXPECT_EQ(UniqueSavePath(folder.path(), name), folder / "01_202011111-2.otdr");
  writeFile(folder / "01_202011111-2.otdr", "x");
  EXPECT_EQ(UniqueSavePath(folder.path(), name), folder / "01_202011111-3.otdr");
  fs::create_directory(folder / "01_202011111-3.otdr");  // anything in the way counts
  EXPECT_EQ(UniqueSavePath(folder.path(), name), folder / "01_202011111-4.otdr");
}

TEST(ListSavedTracesTest, ListsTraceFilesInNameOrder) {
  TempFolder folder;
  for (const char* name : {"c.txt", "中文.otdr", "B.OTDR", "otdr", ".otdr", "d.otdr.tmp", "a.sor",
                           ".e.otdr.0123456789abcdef.tmp", "f.otdrx", ".hidden.otdr", "a.otdr",
                           "sor", ".sor", "C.Sor", "b.sorx", "b10.otdr", "b2.otdr", "_x.otdr"})
    writeFile(folder / name, "1,");
  fs::create_directory(folder / "dir.otdr");
  fs::create_directory(folder / "dir.sor");
  // Letters folded to upper case, then bytes: "_" (0x5F) stands after the letters, the
  // UTF-8 name after every ASCII one.
  EXPECT_EQ(ListSavedTraces(folder.path()),
            (std::vector<std::string>{"a.otdr", "a.sor", "B.OTDR", "b10.otdr", "b2.otdr", "C.Sor",
                                      "_x.otdr", "中文.otdr"}));
}

TEST(ListSavedTracesTest, NameOrderIsStrictAndTotal) {
  const struct {
    const char* a;
    const char* b;
    bool less;
  } cases[] = {
      {"a.otdr", "B.otdr", true},  {"B.otdr", "a.otdr", false}, {"A.otdr", "a.otdr", true},
      {"a.otdr", "A.otdr", false}, {"a.otdr", "a.otdr", false}, {"a", "a.otdr", true},
      {"z.otdr", "中.otdr", true}, {"1.otdr", "_.otdr", true},  {"z.otdr", "_.otdr", true},
  };
  for (const auto& c : cases) EXPECT_EQ(NameOrderLess(c.a, c.b), c.less) << c.a << " " << c.b;
}

TEST(RecentFilesTest, NewestFirstWithoutRepeatsUpToTheLimit) {
  using List = std::vector<std::string>;
  const struct {
    const char* what;
    List before;
    const char* opened;
    std::size_t limit;
    List after;
  } cases[] = {
      {"first", {}, "/a", 10, {"/a"}},
      {"newest first", {"/a", "/b"}, "/c", 10, {"/c", "/a", "/b"}},
      {"again moves up", {"/a", "/b", "/c"}, "/c", 10, {"/c", "/a", "/b"}},
      {"the oldest falls off", {"/a", "/b", "/c"}, "/d", 3, {"/d", "/a", "/b"}},
      {"an empty path is not listed", {"/a"}, "", 10, {"/a"}},
      {"a stored empty entry goes", {"", "/a"}, "/b", 10, {"/b", "/a"}},
      {"a longer stored list is cut", {"/1", "/2", "/3", "/4"}, "/1", 2, {"/1", "/2"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RememberRecent(c.before, c.opened, c.limit), c.after) << c.what;

  List ten;
  for (int i = 0; i < 12; ++i) ten = RememberRecent(ten, "/t" + std::to_string(i));
  ASSERT_EQ(ten.size(), kRecentFilesLimit);
  EXPECT_EQ(ten.front(), "/t11");
  EXPECT_EQ(ten.back(), "/t2");
  EXPECT_EQ(ForgetRecent({"/a", "/b", "/a"}, "/a"), List{"/b"});
  EXPECT_EQ(ForgetRecent({"/a"}, "/x"), List{"/a"});
}

TEST(ListSavedTracesTest, MissingOrEmptyFolderGivesNothing) {
  TempFolder folder;
  EXPECT_TRUE(ListSavedTraces(folder.path()).empty());
  EXPECT_TRUE(ListSavedTraces(folder / "missing").empty());
  writeFile(folder / "file", "x");
  EXPECT_TRUE(ListSavedTraces(folder / "file").empty());  // a file is not a folder
}

}  // namespace
}  // namespace tracelink
