#include "ui/save_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "files/path_text.h"
#include "files/trace_library.h"
#include "record/fill_in.h"
#include "record/result.h"
#include "ui/qt_text.h"
#include "ui/ui_strings.h"

namespace tracelink {

namespace {

// Folders that hold the system's programs. Traces there would be lost among the system's
// files and left behind when the package is removed.
bool isSystemProgramFolder(const QString& folder) {
  static const char* const kSystemFolders[] = {"/usr/bin",   "/usr/sbin", "/usr/local/bin",
                                               "/usr/games", "/bin",      "/sbin"};
  const QString canonical = QFileInfo(folder).canonicalFilePath();
  if (canonical.isEmpty()) return false;
  for (const char* system : kSystemFolders)
    if (QFileInfo(QString::fromLatin1(system)).canonicalFilePath() == canonical) return true;
  return false;
}

FolderRefusal refusal(FolderRefusal::Why why) {
  FolderRefusal r;
  r.why = why;
  return r;
}

// Makes `folder` usable for saving: creates it when missing and writes (and removes) a
// probe file, since permissions alone do not tell about read-only mounts or ACLs. Empty
// when usable, else why not.
FolderRefusal prepareFolder(const QString& folder) {
  const std::filesystem::path path = toPath(folder);
  if (const Status made = EnsureFolder(path); !made) return FolderRefusal::cannotUse(made.error());
  std::string probe = (path / ".tracelink-probe-XXXXXX").string();
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) {
    const int why = errno;
    return FolderRefusal::cannotUse(
        fileError(ErrorCode::CannotWrite, pathText(path), why, std::strerror(why)));
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return {};
}

}  // namespace

FolderRefusal FolderRefusal::cannotUse(Error error) {
  FolderRefusal r = refusal(Why::CannotUse);
  r.error = std::move(error);
  return r;
}

SaveFolderChoice chooseSaveFolder(const QString& programFolder, const QString& userDataFolder) {
  SaveFolderChoice choice;
  if (!programFolder.isEmpty()) {
    choice.besideFolder = QDir(QDir(programFolder).absolutePath()).filePath(QStringLiteral("save"));
    if (isSystemProgramFolder(programFolder)) {
      choice.besideReason = refusal(FolderRefusal::Why::SystemProgramFolder);
      choice.besideReason.programFolder = QDir::toNativeSeparators(programFolder);
    } else {
      choice.besideReason = prepareFolder(choice.besideFolder);
      if (choice.besideReason.isEmpty()) {
        choice.place = SaveFolderChoice::Place::BesideProgram;
        choice.folder = choice.besideFolder;
        return choice;
      }
    }
  }
  if (!userDataFolder.isEmpty()) {
    choice.userFolder = QDir(QDir(userDataFolder).absolutePath()).filePath(QStringLiteral("save"));
    choice.userReason = prepareFolder(choice.userFolder);
    if (choice.userReason.isEmpty()) {
      choice.place = SaveFolderChoice::Place::UserData;
      choice.folder = choice.userFolder;
      return choice;
    }
  } else {
    choice.userReason = refusal(FolderRefusal::Why::NoUserDataFolder);
  }
  return choice;
}

QString folderRefusalText(const FolderRefusal& refusal, Language language) {
  const UiStrings& s = uiStrings(language);
  switch (refusal.why) {
    case FolderRefusal::Why::None:
      return QString();
    case FolderRefusal::Why::SystemProgramFolder:
      return fillIn(s.folderIsSystemPrograms, {refusal.programFolder});
    case FolderRefusal::Why::NoUserDataFolder:
      return s.noUserDataFolder;
    case FolderRefusal::Why::CannotUse:
      return fromStd(systemErrorText(refusal.error.sysError, refusal.error.systemText, language));
  }
  return QString();
}

SaveFolderChoice chooseSaveFolderForThisProgram() {
  // AppDataLocation of the English program; the Chinese one, named tracelink-zh, shares it.
  const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString userData =
      generic.isEmpty() ? QString() : QDir(generic).filePath(QStringLiteral("tracelink"));
  return chooseSaveFolder(QCoreApplication::applicationDirPath(), userData);
}

}  // namespace tracelink
