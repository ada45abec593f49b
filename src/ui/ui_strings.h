#pragma once

#include <QString>

#include "record/language.h"

namespace tracelink {

// Captions and messages of the main window, per language. The messages after the
// captions are ours: they name what failed where the original stayed silent.
struct UiStrings {
  QString windowTitle;
  QString connect;     // Command1, not connected
  QString disconnect;  // Command1, connected
  QString uploadCurrent;
  QString saveCurrent;
  QString uploadAll;
  QString print;
  QString backColour;
  QString fileHeading;
  QString label1AtStart;
  QString noDatas;
  QString saveDialogTitle;
  QString saveFilter;
  // Status line messages; %1, %2 are filled in by the window.
  QString connectFailed;  // %1 reason (names the port)
  QString connected;      // %1 port
  QString disconnected;   // %1 port
  QString portLost;       // %1 reason
  QString loadFailed;     // %1 reason (names the file)
  QString loaded;         // %1 file name
  QString saveFailed;     // %1 reason (names the file)
  QString saved;          // %1 path
  QString folderFailed;   // %1 folder, %2 reason
  // An Upload All summary followed by what the button that abandoned it then did.
  QString abandonedThen;  // %1 summary, %2 what followed

  // Where traces are kept, said at start when that is not beside the program.
  QString tracesKeptIn;       // %1 folder
  QString savingUnavailable;  // %1 the folders tried, each with its reason
  // Why a folder was not taken for saving, when the system did not say.
  QString folderIsSystemPrograms;  // %1 the program's folder
  QString folderIsNotAFolder;
  QString noUserDataFolder;
  // The measuring readout and the SOR export.
  QString eventLossNeedsMarkers;
  QString fieldsLeftOut;  // %1 the fields
  QString fieldCable;
  QString fieldFiber;
  QString fieldOperator;
};

const UiStrings& uiStrings(Language language);

}  // namespace tracelink
