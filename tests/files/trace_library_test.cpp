#include <gtest/gtest.h>

#include <algorithm>

#include "files/trace_library.h"
#include "test_files.h"

namespace tracelink {
namespace {

using test::TempFolder;
using test::writeFile;

namespace fs = std::filesystem;

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

TEST(ListSavedTracesTest, ListsOnlyTraceFiles) {
  TempFolder folder;
  for (const char* name : {"a.otdr", "B.OTDR", "c.txt", "otdr", ".otdr", "d.otdr.tmp",
                           ".e.otdr.0123456789abcdef.tmp", "f.otdrx", ".hidden.otdr", "中文.otdr"})
    writeFile(folder / name, "1,");
  fs::create_directory(folder / "dir.otdr");
  std::vector<std::string> listed = ListSavedTraces(folder.path());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"B.OTDR", "a.otdr", "中文.otdr"}));
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
