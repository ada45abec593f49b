#include "ui/save_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

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

// Makes `folder` usable for saving: creates it when missing and writes (and removes) a
// probe file, since permissions alone do not tell about read-only mounts or ACLs. Empty
// when usable, else why not.
QString prepareFolder(const QString& folder) {
  const std::filesystem::path path(QFile::encodeName(folder).toStdString());
  std::error_code ec;
  if (!std::filesystem::is_directory(path, ec)) {
    std::filesystem::create_directories(path, ec);
    if (ec) return QString::fromLocal8Bit(ec.message().c_str());
    if (!std::filesystem::is_directory(path, ec)) return QStringLiteral("not a folder");
  }
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tracelink-probe-XXXXXX")));
  if (!probe.open()) return probe.errorString();
  return QString();
}

}  // namespace

SaveFolderChoice chooseSaveFolder(const QString& programFolder, const QString& userDataFolder) {
  SaveFolderChoice choice;
  if (!programFolder.isEmpty()) {
    choice.besideFolder = QDir(QDir(programFolder).absolutePath()).filePath(QStringLiteral("save"));
    if (isSystemProgramFolder(programFolder)) {
      choice.besideReason = QStringLiteral("%1 holds the system's programs")
                                .arg(QDir::toNativeSeparators(programFolder));
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
    choice.userReason = QStringLiteral("the system names no data folder for the user");
  }
  return choice;
}

SaveFolderChoice chooseSaveFolderForThisProgram() {
  // AppDataLocation of the English program; the Chinese one, named tracelink-zh, shares it.
  const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString userData =
      generic.isEmpty() ? QString() : QDir(generic).filePath(QStringLiteral("tracelink"));
  return chooseSaveFolder(QCoreApplication::applicationDirPath(), userData);
}

}  // namespace tracelink
