#include "files/atomic_file.h"

#include <gtest/gtest.h>

#include "test_files.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TempFolder;
using testing_support::writeFile;

std::vector<std::string> entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WriteFileAtomically, WritesNewFilesAndReplacesOnlyWhenAllowed) {
  struct Case {
    bool exists;
    bool overwrite;
    std::string error;  // empty: written
  };
  const Case cases[] = {
      {false, false, ""},
      {false, true, ""},
      {true, true, ""},
      {true, false, "already exists"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const fs::path target = folder / "r.pdf";
    if (c.exists) writeFile(target, "old");
    const Status written = WriteFileAtomically(target, std::string("new\0bytes", 9), c.overwrite);
    if (c.error.empty()) {
      EXPECT_TRUE(written.ok()) << written.error().message;
      EXPECT_EQ(readFile(target), std::string("new\0bytes", 9));
    } else {
      ASSERT_FALSE(written.ok());
      EXPECT_EQ(written.error().message, target.string() + ": " + c.error);
      EXPECT_EQ(readFile(target), "old");
    }
    // No temporary file stays behind.
    EXPECT_EQ(entries(folder.path()), std::vector<std::string>{"r.pdf"});
  }
}

TEST(WriteFileAtomically, FailuresNameTheFileAndLeaveNothing) {
  TempFolder folder;
  fs::create_directory(folder / "dir");
  const fs::path missing = folder / "none" / "r.pdf";
  const Status noFolder = WriteFileAtomically(missing, "x", false);
  ASSERT_FALSE(noFolder.ok());
  EXPECT_EQ(noFolder.error().message,
            missing.string() + ": cannot create: No such file or directory");
  const Status isDir = WriteFileAtomically(folder / "dir", "x", true);
  ASSERT_FALSE(isDir.ok());
  EXPECT_EQ(isDir.error().message, (folder / "dir").string() + ": cannot save: it is a directory");
  // A dangling link is a name that exists: it is not followed and not replaced.
  fs::create_symlink(folder / "nowhere", folder / "link.pdf");
  const Status link = WriteFileAtomically(folder / "link.pdf", "x", false);
  ASSERT_FALSE(link.ok());
  EXPECT_EQ(link.error().message, (folder / "link.pdf").string() + ": already exists");
  EXPECT_FALSE(fs::exists(folder / "nowhere"));
  EXPECT_EQ(entries(folder.path()), (std::vector<std::string>{"dir", "link.pdf"}));
}

}  // namespace
}  // namespace tracelink
