#include "files/atomic_file.h"

#include <gtest/gtest.h>

#include <fstream>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "test_files.h"

namespace tracelink {
namespace {

using test::readFile;
using test::TempFolder;
using test::writeFile;

namespace fs = std::filesystem;

bool onlyTarget(const fs::path& folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
  return n == 1;
}

TEST(AtomicFile, KeepRefusesAnExistingFileAndLeavesItAlone) {
  TempFolder folder;
  const fs::path target = folder / "a.sor";
  ASSERT_TRUE(WriteFileAtomically(target, std::string_view("one\0two", 7), ExistingFile::Keep));
  EXPECT_EQ(readFile(target), std::string("one\0two", 7));

  const Status again = WriteFileAtomically(target, "three", ExistingFile::Keep);
  ASSERT_FALSE(again);
  EXPECT_EQ(again.error().text(), target.string() + ": exists already");
  EXPECT_EQ(readFile(target), std::string("one\0two", 7));
  EXPECT_TRUE(onlyTarget(folder.path()));  // no temporary file left behind

  ASSERT_TRUE(WriteFileAtomically(target, "three", ExistingFile::Replace));
  EXPECT_EQ(readFile(target), "three");
  EXPECT_TRUE(onlyTarget(folder.path()));
}

TEST(AtomicFile, StagedFilesTakeTheirNamesOnlyWhenCommitted) {
  TempFolder folder;
  writeFile(folder / "taken.sor", "old");
  Result<StagedFile> a = StageFile(folder / "a.sor", "alpha", ExistingFile::Keep);
  Result<StagedFile> b = StageFile(folder / "b.sor", "beta", ExistingFile::Keep);
  Result<StagedFile> taken = StageFile(folder / "taken.sor", "new", ExistingFile::Replace);
  ASSERT_TRUE(a && b && taken);
  EXPECT_FALSE(fs::exists(folder / "a.sor"));
  EXPECT_EQ(readFile(folder / "taken.sor"), "old");
  // A file that appears while the batch is staged is still not replaced.
  writeFile(folder / "b.sor", "someone else's");
  const Result<StagedFile> refused = StageFile(folder / "taken.sor", "x", ExistingFile::Keep);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().text(), (folder / "taken.sor").string() + ": exists already");

  const std::vector<StagedFile> batch{*a, *b, *taken};
  const std::vector<Status> done = CommitStagedFiles(batch);
  ASSERT_EQ(done.size(), 3u);
  EXPECT_TRUE(done[0]);
  ASSERT_FALSE(done[1]);
  EXPECT_EQ(done[1].error().text(), (folder / "b.sor").string() + ": exists already");
  EXPECT_TRUE(done[2]);
  EXPECT_EQ(readFile(folder / "a.sor"), "alpha");
  EXPECT_EQ(readFile(folder / "b.sor"), "someone else's");
  EXPECT_EQ(readFile(folder / "taken.sor"), "new");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder.path())) ++entries;
  EXPECT_EQ(entries, 3);  // no temporary file left behind
}

TEST(AtomicFile, FailuresNameTheFileAndTheReason) {
  TempFolder folder;
  fs::create_directory(folder / "dir");
  const Status dir = WriteFileAtomically(folder / "dir", "x", ExistingFile::Replace);
  ASSERT_FALSE(dir);
  EXPECT_EQ(dir.error().text(), (folder / "dir").string() + ": cannot save: it is a directory");

  const Status missing = WriteFileAtomically(folder / "no" / "a.sor", "x", ExistingFile::Keep);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().text(),
            (folder / "no" / "a.sor").string() + ": cannot create: No such file or directory");
}

// Windows will not rename over a file another program holds open (a viewer showing the
// trace): the save fails with the reason, and the file and the folder stay as they were.
TEST(AtomicFile, ATargetHeldOpenIsNamedAndKeptOnWindows) {
#ifndef _WIN32
  GTEST_SKIP() << "Windows only: POSIX renames over a file that is open";
#else
  TempFolder folder;
  const fs::path target = folder / "held.otdr";
  writeFile(target, "old");
  std::ifstream held(target, std::ios::binary);
  ASSERT_TRUE(held.is_open());
  const Status replaced = WriteFileAtomically(target, "new", ExistingFile::Replace);
  ASSERT_FALSE(replaced);
  EXPECT_EQ(replaced.error().text(), pathText(target) + ": cannot replace: Permission denied");
  held.close();
  EXPECT_EQ(readFile(target), "old");
  EXPECT_TRUE(onlyTarget(folder.path()));
#endif
}

TEST(AtomicFile, AReadOnlyFolderIsNamedWithTheReason) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX only: a read-only folder on Windows still takes new files";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "running as root, which writes into read-only folders";
  TempFolder folder;
  fs::create_directory(folder / "ro");
  fs::permissions(folder / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  const Status ro = WriteFileAtomically(folder / "ro" / "a.sor", "x", ExistingFile::Keep);
  fs::permissions(folder / "ro", fs::perms::owner_all);
  ASSERT_FALSE(ro);
  EXPECT_EQ(ro.error().text(),
            (folder / "ro" / "a.sor").string() + ": cannot create: Permission denied");
#endif
}

}  // namespace
}  // namespace tracelink
