// Where traces are kept: beside the program when it may write there, else in the user's
// data folder, else nowhere, with the reason.
#include "ui/save_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace tracelink {
namespace {

using Place = SaveFolderChoice::Place;

class SaveFolderTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString program() const { return dir.filePath("bin"); }
  QString user() const { return dir.filePath("data/tracelink"); }
  QString path(const QString& relative) const { return dir.filePath(relative); }

  void makeFile(const QString& relative) {
    QDir().mkpath(QFileInfo(path(relative)).path());
    QFile f(path(relative));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  // Permissions do not stop root; those cases are covered for root by folders that sit
  // under a plain file, which nobody can create.
  static bool permissionsBind() { return geteuid() != 0; }
};

struct LayoutCase {
  const char* name;
  bool programFolderExists;
  bool saveExists;
  bool programReadOnly;  // the program folder (and its save folder) cannot be written
  Place expected;
};

TEST_F(SaveFolderTest, ProgramFolderFirstThenUserData) {
  const LayoutCase cases[] = {
      {"writable program folder with its save folder", true, true, false, Place::BesideProgram},
      {"missing save folder that can be created", true, false, false, Place::BesideProgram},
      {"read-only program folder without save folder", true, false, true, Place::UserData},
      {"read-only program folder and save folder", true, true, true, Place::UserData},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir root;
    const QString bin = root.filePath("bin");
    const QString data = root.filePath("data/tracelink");
    if (c.programReadOnly && !permissionsBind()) continue;
    ASSERT_TRUE(QDir().mkpath(bin));
    if (c.saveExists) {
      ASSERT_TRUE(QDir().mkpath(bin + "/save"));
    }
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    if (c.programReadOnly) {
      if (c.saveExists) {
        ASSERT_TRUE(QFile::setPermissions(bin + "/save", readOnly));
      }
      ASSERT_TRUE(QFile::setPermissions(bin, readOnly));
    }
    const SaveFolderChoice choice = chooseSaveFolder(bin, data);
    EXPECT_EQ(choice.place, c.expected);
    if (c.expected == Place::BesideProgram) {
      EXPECT_EQ(choice.folder, bin + "/save");
      EXPECT_TRUE(QFileInfo(bin + "/save").isDir());
      EXPECT_FALSE(QFileInfo::exists(data));  // the user's folder is left alone
    } else {
      EXPECT_EQ(choice.folder, data + "/save");
      EXPECT_TRUE(QFileInfo(data + "/save").isDir());  // created, ready for the first save
      EXPECT_EQ(choice.besideFolder, bin + "/save");
      EXPECT_FALSE(choice.besideReason.isEmpty());
      EXPECT_EQ(QFileInfo::exists(bin + "/save"), c.saveExists);
    }
    // The probe leaves nothing behind in the folder taken.
    EXPECT_TRUE(QDir(choice.folder)
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(bin + "/save", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
}

TEST_F(SaveFolderTest, FolderThatCannotBeCreatedFallsBackToUserData) {
  // "bin" is a plain file, so bin/save can never exist; also true for root.
  makeFile("bin");
  const SaveFolderChoice choice = chooseSaveFolder(program(), user());
  EXPECT_EQ(choice.place, Place::UserData);
  EXPECT_EQ(choice.folder, user() + "/save");
  EXPECT_TRUE(QFileInfo(user() + "/save").isDir());
  EXPECT_FALSE(choice.besideReason.isEmpty());
}

TEST_F(SaveFolderTest, SaveThatIsAFileIsNotUsed) {
  makeFile("bin/save");
  const SaveFolderChoice choice = chooseSaveFolder(program(), user());
  EXPECT_EQ(choice.place, Place::UserData);
  EXPECT_TRUE(QFileInfo(program() + "/save").isFile());  // never replaced
}

TEST_F(SaveFolderTest, NeitherWritableGivesNoFolderAndBothReasons) {
  makeFile("bin");
  makeFile("data");
  const SaveFolderChoice choice = chooseSaveFolder(program(), user());
  EXPECT_EQ(choice.place, Place::None);
  EXPECT_TRUE(choice.folder.isEmpty());
  EXPECT_EQ(choice.besideFolder, program() + "/save");
  EXPECT_EQ(choice.userFolder, user() + "/save");
  EXPECT_FALSE(choice.besideReason.isEmpty());
  EXPECT_FALSE(choice.userReason.isEmpty());
}

TEST_F(SaveFolderTest, ReadOnlyUserDataFolderGivesNoFolder) {
  if (!permissionsBind()) GTEST_SKIP() << "permissions do not bind root";
  makeFile("bin");
  ASSERT_TRUE(QDir().mkpath(path("data")));
  ASSERT_TRUE(QFile::setPermissions(path("data"), QFile::ReadOwner | QFile::ExeOwner));
  const SaveFolderChoice choice = chooseSaveFolder(program(), user());
  QFile::setPermissions(path("data"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(choice.place, Place::None);
  EXPECT_FALSE(choice.userReason.isEmpty());
}

TEST_F(SaveFolderTest, SystemProgramFolderIsNeverWrittenEvenByRoot) {
  ASSERT_FALSE(QFileInfo::exists("/usr/bin/save"));
  const SaveFolderChoice choice = chooseSaveFolder("/usr/bin", user());
  EXPECT_EQ(choice.place, Place::UserData);
  EXPECT_FALSE(QFileInfo::exists("/usr/bin/save"));
  const QString reason = folderRefusalText(choice.besideReason, Language::English);
  EXPECT_TRUE(reason.contains("/usr/bin")) << reason.toStdString();
}

TEST_F(SaveFolderTest, MissingProgramFolderArgumentGoesToUserData) {
  const SaveFolderChoice choice = chooseSaveFolder(QString(), user());
  EXPECT_EQ(choice.place, Place::UserData);
  EXPECT_TRUE(choice.besideFolder.isEmpty());
}

}  // namespace
}  // namespace tracelink
