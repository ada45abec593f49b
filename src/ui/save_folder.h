#pragma once

#include <QString>

#include "record/language.h"
#include "record/result.h"

namespace tracelink {

// Why a folder could not be used for saving, as data; folderRefusalText words it in the
// program's language.
struct FolderRefusal {
  enum class Why { None, SystemProgramFolder, NoUserDataFolder, CannotUse };
  Why why = Why::None;
  QString programFolder;  // SystemProgramFolder: the system's folder it would be in
  // CannotUse: the file layer's error, CannotCreateFolder from EnsureFolder or CannotWrite
  // when nothing can be written in the folder, with the system's reason.
  Error error;
  bool isEmpty() const { return why == Why::None; }
  static FolderRefusal cannotUse(Error error);
};

// The reason in words, without the folder (the window names it beside the reason): in
// English the system's own words, as before; in Chinese ours.
QString folderRefusalText(const FolderRefusal& refusal, Language language);

// Where the program keeps its traces. A copied or portable program keeps them in "save"
// beside itself, as it always did; an installed one cannot write there and uses the
// user's data folder instead. Listing, loading, manual and automatic saves all use the
// one folder chosen at start.
struct SaveFolderChoice {
  enum class Place { BesideProgram, UserData, None };
  Place place = Place::None;
  QString folder;  // absolute; empty when place is None
  // Each folder tried and why it could not be used; empty for the one that was taken and
  // for one that was not tried.
  QString besideFolder;
  FolderRefusal besideReason;
  QString userFolder;
  FolderRefusal userReason;
};

// Takes `programFolder`/save when it exists or can be created, and a file can be written
// in it; otherwise `userDataFolder`/save, created when missing; otherwise none. The
// system's own program folders (/usr/bin and the like) are never used for traces, even
// when the running user could write there. An empty folder argument is skipped.
SaveFolderChoice chooseSaveFolder(const QString& programFolder, const QString& userDataFolder);

// The choice for the running program: its own folder and the user data folder that both
// language builds share (~/.local/share/tracelink), so an installed English and Chinese
// program see the same traces, as they do beside each other in one folder.
SaveFolderChoice chooseSaveFolderForThisProgram();

}  // namespace tracelink
