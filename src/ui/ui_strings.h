#pragma once

#include <QString>
#include <QStringList>

#include "record/language.h"

namespace tracelink {

// Captions and messages of the main window, per language. The messages after the
// captions are ours: they name what failed where the original stayed silent. In a message
// {0}, {1}, ... stand for the values named beside it (fillIn).
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
  // Status line messages.
  QString connectFailed;  // {0} reason (names the port)
  QString connected;      // {0} port
  QString disconnected;   // {0} port
  QString portLost;       // {0} reason
  QString loadFailed;     // {0} reason (names the file)
  QString loaded;         // {0} file name
  QString saveFailed;     // {0} reason (names the file)
  QString saved;          // {0} path
  QString folderFailed;   // {0} folder, {1} reason
  // An Upload All summary followed by what the button that abandoned it then did.
  QString abandonedThen;  // {0} summary, {1} what followed

  // Where traces are kept, said at start when that is not beside the program.
  QString tracesKeptIn;       // {0} folder
  QString savingUnavailable;  // {0} the folders tried, each with its reason
  QString folderTried;        // {0} a folder tried, {1} why it was not taken
  QString folderTriedSeparator;
  // Why a folder was not taken for saving, when the system did not say.
  QString folderIsSystemPrograms;  // {0} the program's folder
  QString noUserDataFolder;

  // The plot's context menu.
  QString setMarkerA;
  QString setMarkerB;
  QString clearMarkers;
  QString eventLossHere;
  QString showEvents;
  QString exportSor;
  // The measuring readout.
  QString eventLossNeedsMarkers;
  // The SOR export.
  QString sorDialogTitle;
  QString sorFilter;
  QString sorSaved;    // {0} path
  QString sorFailed;   // {0} reason
  QString sorNoTrace;  // no trace is shown

  // Trace information, Save as SOR with the identity, and the exports (traceinfo).
  QString traceInfo;  // plot menu
  QString exportCsv;
  QString exportPng;
  QString traceInfoTitle;
  QString saveAsSor;
  QString close;
  QString identityHeading;
  QString acquisitionHeading;
  QString traceHeading;
  QString originHeading;
  QString cable;
  QString fiber;
  QString locationA;
  QString locationB;
  QString operatorName;
  QString comment;
  QString supplier;
  QString instrument;
  QString instrumentSerial;
  QString module;
  QString moduleSerial;
  QString software;
  QString date;
  QString wavelength;
  QString pulseWidths;
  QString groupIndex;
  QString backscatter;
  QString lossThreshold;
  QString reflectanceThreshold;
  QString endThreshold;
  QString averages;
  QString averagingTime;
  QString range;
  QString points;
  QString spacing;
  QString firstPoint;
  QString totalLoss;
  QString orl;
  QString events;
  QString format;
  QString file;
  QString sha256;
  QString uploadedAt;
  QString notes;
  QString formatOtdr;
  QString formatSor;
  QString formatUpload;
  QString unknownValue;    // a value the trace does not hold
  QString sorFileChanged;  // {0} file: changed since it was opened
  QString csvDialogTitle;
  QString csvFilter;
  QString csvSaved;   // {0} path
  QString csvFailed;  // {0} reason
  QString pngDialogTitle;
  QString pngFilter;
  QString pngSaved;   // {0} path
  QString pngFailed;  // {0} reason
  QString eventLaunch;
  QString eventReflective;
  QString eventNonReflective;
  QString eventGainer;
  QString eventEnd;
  QString nameValue;  // {0} name, {1} value: one line of the trace information
  QString checksum;   // a SOR file's checksum, as it compared
  // Readable results, uploads that end well and Save Cur before an upload (mending).
  QString measurements;  // the plot menu's entry
  QString measurementsTitle;
  QString measurementsMarkers;
  QString measurementsNoMarkers;
  QString measurementsEventLoss;
  QString measurementsNoEvent;
  QString measurementsMessages;  // {0} how many follow
  QString measurementsCopy;
  QString messageAt;        // {0} time of day, {1} the message
  QString uploadedCurrent;  // {0} block count, {1} seconds taken
  QString uploadedAll;      // {0} traces saved, {1} seconds taken
  QString uploadTook;       // {0} an Upload All summary, {1} seconds taken
  QString saveNeedsUpload;
  // Upload cable: the port box's context menu and Ctrl+U, its dialog and status texts.
  QString uploadCable;
  QString cableDialogTitle;
  QString cableId;
  QString cableIdHint;  // what an empty cable ID does
  QString cableFirstFiber;
  QString cableFiberStep;
  QString cableDirection;
  QString cableFromA;
  QString cableFromB;
  QString cableLocationA;
  QString cableLocationB;
  QString cableOperator;
  QString cableFolder;
  QString cableBrowse;
  QString cableFolderTitle;
  QString cableFormat;
  QString cableFormatSor;
  QString cableFormatOtdr;
  QString cableTraces;
  QString cableAllTraces;
  QString cableTraceRange;  // before the first trace number
  QString cableTraceTo;     // between the two numbers
  QString cableOnExisting;
  QString cableSkip;
  QString cableReplace;
  QString cableKeepBoth;
  QString cableStart;
  QString cableNotStarted;  // {0} why
  QString cableSavedIn;     // {0} summary, {1} folder
  // Opening: the Open dialog, the recent files, dropped files, the remembered settings and
  // the programs' help.
  QString openTrace;  // the command, in the plot's and the file list's menus
  QString openDialogTitle;
  QStringList openFilters;  // the first is chosen at start
  QString recentFiles;      // the submenu
  QString recentNone;       // the submenu's one entry while it is empty
  QString recentGone;       // {0} path
  QString droppedFolder;    // {0} folder
  QString droppedNotFile;   // {0} what was dropped
  QString noSuchFile;       // {0} path
  QString refusedSeparator;
  QString settingsNotRead;     // {0} settings file, {1} why
  QString settingsUnreadable;  // {0} the system's reason
  QString settingsNotAFile;
  QString settingsTooLarge;
  QString settingsNotText;
  QString settingsBadLine;  // {0} line number
  QString settingsNotIni;
  QString helpDescription;
  QString helpPort;
  QString helpNoSettings;
  QString helpFiles;

  // Another maker's trace on screen ("viewer").
  QString opening;          // {0} file name; a large file is still being read
  QString foreignNoSave;    // Save Cur while another maker's trace is shown
  QString foreignNoExport;  // Export SOR while another maker's trace is shown

  // The vertical zoom ("vzoom"): the plot menu's level range and its dialog.
  QString levelRange;  // the menu entry
  QString levelRangeTitle;
  QString levelTop;
  QString levelBottom;
  QString levelFullRange;
  QString levelNotANumber;
  QString levelOutOfRange;  // {0} the farthest level, dB
  QString levelReversed;
  QString levelTooNarrow;  // {0} the narrowest range, dB

  // Our own event analysis in the window ("analysewin").
  QString analyse;           // plot menu, F5
  QString instrumentEvents;  // plot menu: the instrument's table back
  QString ownEventsCaption;  // Text1's first line: {0} splice, {1} reflectance, {2} end dB
  QString analysisTitle;     // the thresholds dialog
  QString analysisSpliceDb;  // its three fields
  QString analysisReflectanceDb;
  QString analysisEndDb;
  QString fitBefore;  // {0} of fitHoldsEvent
  QString fitAfter;
  // With markers: {0} before/after, {1} event number, {2} its distance m, {3} the fit's RMS dB.
  QString fitHoldsEvent;

  // Comparing traces ("compare"): the file list's Compare, the Compare window, two
  // directions and bends.
  QString compare;  // the file list's menu entry
  QString compareTitle;
  QString compareFile;  // legend and marker table headings
  QString compareWavelength;
  QString comparePulse;
  QString compareDate;
  QString compareOffset;
  QString compareAtCursor;
  QString compareNm;  // {0} wavelength
  QString compareNs;  // {0} pulse width
  QString compareAlign;
  QString compareFullView;
  QString compareExportPdf;
  QString compareTwoDirections;
  QString compareBends;
  QString compareHint;     // how the plot is worked
  QString compareCursor;   // {0} crosshair distance, m
  QString compareMarkers;  // {0} marker A, {1} marker B, m ("—" when not set)
  QString compareLevelA;   // marker table headings
  QString compareLevelB;
  QString compareLoss;
  QString compareTwoPoint;
  QString compareLsa;
  QString compareNeedsCursor;
  QString compareAligned;    // {0} distance m
  QString compareShown;      // {0} traces loaded
  QString compareNotLoaded;  // {0} the loader's words, naming the file
  QString compareNothing;    // no trace could be loaded
  QString comparePdfTitle;
  QString comparePdfFilter;
  QString comparePdfSaved;   // {0} path
  QString comparePdfFailed;  // {0} reason
  QString compareNeedsTwo;   // two directions or bends with fewer than two traces
  // Two directions.
  QString bidirTitle;
  QString bidirTraceA;
  QString bidirTraceB;
  QString bidirTolerance;
  QString bidirAutomatic;  // the tolerance box's hint when empty
  QString bidirEvents;
  QString bidirEventsInstrument;
  QString bidirEventsOurs;
  QString bidirSavePdf;
  QString bidirOneWay;
  QString bidirSameTrace;
  QString bidirBadTolerance;
  // Bends.
  QString bendsTitle;
  QString bendsFirst;
  QString bendsSecond;
  QString bendsDelta;
  QString bendsSummary;  // {0} bends, {1} events
  // Limits in the window and the cable view ("cable-window").
  QString limitsMenu;      // plot menu, Ctrl+L
  QString limitsTitle;     // the dialog
  QString limitsChoice;    // caption of the box of presets and files
  QString limitsNone;      // its first entry: nothing is judged
  QString limitsEdited;    // its entry for figures typed in the fields
  QString limitsOpenFile;  // the dialog's buttons
  QString limitsSaveFile;
  QString limitsFileTitle;  // the Open and Save As dialogs' titles
  QString limitsSaveTitle;
  QStringList limitsFilters;
  QString limitsEmptyHint;  // under the fields: an empty field is not judged
  // The fields, one per key of a limits file.
  QString limitsName;
  QString limitsSplice;
  QString limitsConnector;
  QString limitsReflectance;
  QString limitsAttenuation;  // e.g. "1310: 0.35; 1550: 0.25"
  QString limitsLinkLoss;
  QString limitsOrl;
  QString limitsLengthMin;
  QString limitsLengthMax;
  QString limitsBidirectional;
  // Why the fields are refused: {0} the field. A file's refusal is the cable's own text.
  QString limitsMissingName;
  QString limitsNotANumber;      // {0} field
  QString limitsNotAWavelength;  // {0} field
  QString limitsOutOfRange;      // {0} field
  QString limitsMinAboveMax;
  QString limitsAttenuationForm;  // the attenuation field is not "nm: dB/km; ..."
  QString limitsFileRefused;      // {0} why, naming the file
  QString limitsFileUnreadable;   // {0} file, {1} the system's reason
  QString limitsFileSaved;        // {0} file
  QString limitsFileNotSaved;     // {0} why (names the file)
  // What was judged: the status line, the event box's column and the cable view.
  QString limitsChosen;        // {0} limits' name; said when chosen and the trace is not judged
  QString limitsCleared;       // "None" chosen
  QString verdictPass;         // {0} limits' name
  QString verdictFail;         // {0} limits' name, {1} failures, {2} the first failing item
  QString eventVerdictColumn;  // the event box's header
  QString markPass;
  QString markFail;       // {0} what failed there
  QString markSeparator;  // between two failures of one event
  QString itemSplice;     // what failed at an event, in its row of the event box
  QString itemConnector;
  QString itemReflectance;
  // The cable view.
  QString cableView;         // the file list's menu, Ctrl+K
  QString cableViewTitle;    // {0} the folder or "n files"
  QString cableViewFiles;    // {0} count
  QString cablePattern;      // caption of the pairing pattern
  QString cablePatternHint;  // its tooltip
  QString cableOurEvents;    // the check box
  QString cableReadAgain;
  QString cableWriteReport;
  QStringList cableColumns;     // fibre, nm, found, length, loss, dB/km, events, splice,
                                // connector, reflectance, ORL, verdict
  QString cableReading;         // {0} done, {1} total
  QString cableCounts;          // {0} fibres, {1} passed, {2} failed
  QString cableCountsNoLimits;  // {0} fibres
  QString cableBadFiles;        // {0} count, {1} the first one's reason
  QString cableNoTraces;        // {0} the folder or files
  QString cableNotJudged;       // the verdict column without limits
  QString cableVerdictPass;
  QString cableVerdictFail;  // {0} the first failing item
  QString cableReportTitle;  // the report's Save As dialog
  QString cableReportFilter;
  QString cableReportWritten;  // {0} the PDF, {1} the sheets
  QString cableReportFailed;   // {0} why
  QString cableNeedsLimits;    // Write report without limits
};

const UiStrings& uiStrings(Language language);

}  // namespace tracelink
