#pragma once

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "analysis/analysis.h"
#include "cable/limits.h"
#include "link/cable_upload_run.h"
#include "link/serial_link.h"
#include "link/upload_controller.h"
#include "measure/measure.h"
#include "record/decode.h"
#include "record/language.h"
#include "record/result.h"
#include "record/trace_record.h"
#include "report/report_workflow.h"
#include "session/trace_session.h"
#include "sor/sor_edit.h"
#include "ui/measurements_window.h"
#include "ui/platform.h"
#include "ui/save_folder.h"
#include "ui/settings.h"
#include "ui/status_line.h"
#include "ui/ui_strings.h"

class QFileSystemWatcher;
class QTimer;

namespace tracelink {

class TraceOpener;
class TraceView;
class TraceInfoDialog;
class AnalysisDialog;
class CompareWindow;
class LimitsDialog;
class CableWindow;

// What the window takes from outside; a test replaces the platform pieces and the
// save folder, the program passes the real ones.
struct MainWindowOptions {
  QString saveFolder;  // empty: the one that chooseSaveFolder gives
  std::function<SaveFolderChoice()> chooseSaveFolder = chooseSaveFolderForThisProgram;
  std::shared_ptr<Clock> clock;
  std::shared_ptr<SaveDialog> saveDialog;
  std::shared_ptr<MessageBoxes> messages;
  std::function<QString(int)> portMapping = portDeviceForNumber;
  QString initialPort;  // put into Combo1 after the scan when not empty
  // The serial ports the system reports, listed after the numbered ones.
  SystemPortSource systemPorts = systemSerialPorts;
  // The printers the report reaches; empty: the system's own.
  std::function<std::unique_ptr<PrintSystem>()> makePrintSystem;
  // Opening: the Open dialog, and what is remembered between runs (nothing without it).
  std::shared_ptr<OpenDialog> openDialog;
  std::shared_ptr<Settings> settings;
  // Files of this size or more are read on a worker thread; smaller ones at once.
  std::uintmax_t backgroundOpenBytes = 1024 * 1024;
};

// The start-up window. It owns the trace session and wires the layers to it; its controls
// only show what the session, the link and the report hold. The layers never reach back
// into it.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  MainWindow(Language language, MainWindowOptions options, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Handlers, public so that the wiring is visible and tests can drive them.
  void Command1_Click();
  void Command2_Click();
  void List1_Click();
  void Command3_Click();
  void Command12_Click();
  void Command4_Click();
  void ListSavedTraces();
  // Shows the trace file at path, wherever it lies, in place of the trace on screen; every
  // way of opening a file ends here. A failure keeps the trace on screen and names the
  // file and the reason on the status line; a success announces traceOpened.
  void openTraceFile(const QString& path);
  // Saves the record under the automatic name (Upload All's hook); the status line says
  // what failed, and the error is returned for the upload to tell.
  Status AutoSaveTrace(int traceSelect, int blockNo);

  const TraceSession& session() const { return session_; }
  const TraceRecord& record() const { return session_.record(); }
  const HeaderState& header() const { return session_.header(); }
  const ViewWindow& view() const { return session_.view(); }
  const DecodedValues& decoded() const { return session_.decoded(); }
  bool dataPresent() const { return session_.dataPresent(); }
  bool transferBusy() const { return upload_->busy(); }
  QString saveFolder() const { return saveFolder_; }
  // The whole status text, however much of it the status line has room for.
  QString statusText() const;
  // What the connect button opens: the device of a port the system reported, else the
  // port box's text as typed (a number, a device name or path).
  QString chosenPort() const;
  // The event table exactly as built, CR LF line ends included (the text box shows it).
  QString eventText() const { return QString::fromStdString(session_.texts().eventText); }
  QString lastAutoSave() const { return lastAutoSave_; }
  TraceView* traceView() const { return picture2_; }
  ReportWorkflow* report() const { return report_; }
  // The plot's context menu (set markers, event loss, events, SOR export).
  QMenu* plotMenu() const { return plotMenu_; }
  // Writes the trace as a SOR file chosen in a Save As dialog ("Export SOR…").
  void ExportSor();
  // The measuring readout for the markers that are set; empty when none is.
  QString measurementText() const;
  // What the report page reads from this window at the moment it is composed.
  ReportSources reportSources() const;
  // The Measurements window (plot menu, Ctrl+M), made and shown on first use.
  MeasurementsWindow* showMeasurementsWindow();
  // What it shows: the readout, the event-loss result and the last status messages.
  MeasurementsContent measurementsContent() const;
  // How many status messages are kept for it.
  static constexpr int kKeptMessages = 50;

  // Opening. "Open…" asks for a file and shows it.
  void Open_Click();
  // Shows the last of paths; the others go to the recent files. Folders and files that are
  // not there are refused on the status line, naming them.
  void openFiles(const QStringList& paths, QStringList refused = {});
  // Shows a file from the recent list; one that is gone is taken off the list.
  void openRecent(const QString& path);
  // Newest first, at most ten.
  QStringList recentFiles() const { return recent_; }
  // The program's settings, or nullptr when nothing is remembered (for keepWindowGeometry).
  Settings* settings() const { return options_.settings.get(); }
  QMenu* recentMenu() const { return recentMenu_; }
  QMenu* fileListMenu() const { return fileListMenu_; }

 public:
  // Trace information, Save as SOR with the identity, and the exports (traceinfo;
  // main_window_export.cpp).
  // Opens "Trace information" for the trace on screen (plot menu, Ctrl+I).
  void ShowTraceInfo();
  // The dialog while it is open, else null.
  TraceInfoDialog* traceInfoDialog() const;
  // Writes the trace with these identity texts as a SOR file chosen in a Save As dialog: a
  // SOR file as it is with only GenParams and the checksum changed, our own trace as the
  // SOR export writes it. Returns what happened for the dialog (empty when cancelled).
  QString SaveTraceAsSor(const sor::IdentityTexts& identity);
  // "Export CSV…" and "Export PNG…": the CSV the command line's csv prints, and the plot
  // as shown.
  void ExportCsv();
  void ExportPng();

 private:
  void wireTraceInfo();
  // Writes bytes to a path chosen in the Save As dialog; the status line says how it went.
  // Returns that text (empty when cancelled).
  QString exportBytes(std::string_view bytes, const QString& title, const QString& filter,
                      const QString& saved, const QString& failed);
  // Null once the dialog is closed (it deletes itself), whoever goes first.
  QPointer<TraceInfoDialog> traceInfo_;
  QString traceInfoSha256_;  // of the file's bytes when the dialog opened

 signals:
  // A trace file was opened and is on screen (path as given to openTraceFile).
  void traceOpened(const QString& path);
  // An open came to its end, shown or refused (a later open overtakes an earlier one,
  // which then never finishes).
  void openFinished(const QString& path, bool shown);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void Form_Load();
  void buildControls();
  void placeOnScreen();
  void applyEnglishCaptions();
  void ScanPorts();
  void showPortFromItsStart();
  // Mirrors the session's texts into Label1, Text1 and the hidden value boxes.
  void showDecoded();
  // The reader of large files and its busy bar on the status line.
  void wireTraceOpener();
  void finishOpen(const QString& path, const QString& abandoned, Result<OpenedTrace> opened);
  void setStatus(const QString& text);
  // Abandons a running transfer; returns the Upload All summary that abandoning it gave,
  // or empty. The caller shows it with its own status, so the count of saved traces is
  // not wiped out by the button that stopped them.
  QString abandonUpload();
  QString withAbandoned(const QString& abandoned, const QString& status) const;
  void wireUploads();
  void wirePlotCommands();
  void showMeasurement();
  void wireMeasurements();
  void refreshMeasurements();
  // The markers' readout and the event-loss result for the trace on screen, each empty
  // when not set: the status line joins them, the Measurements window shows them apart.
  struct MeasurementTexts {
    QString readout;
    QString eventLoss;
  };
  MeasurementTexts measurementTexts() const;
  // An upload's outcome on the status line when it ended well, with the time it took.
  void startUploadClock(bool all, const QString& abandoned);
  void uploadEnded();
  QString secondsTaken() const;
  void showProgress(const TransferProgress& progress);
  // The save folder, made when it is missing; why there is none when it cannot be.
  Status ensureSaveFolder();
  // Puts a failed ensureSaveFolder() on the status line.
  void reportSaveFolder(const Status& folder);
  QString folderFailedText(const Error& error) const;
  void announceSaveFolder(const SaveFolderChoice& choice);

  Language language_;
  const UiStrings& strings_;
  MainWindowOptions options_;
  QString saveFolder_;
  QString saveUnavailable_;  // why there is no save folder, when there is none

  TraceSession session_;
  TraceOpener* opener_ = nullptr;
  QProgressBar* openBusy_ = nullptr;  // shown while a slow open reads
  QString openingName_;               // the file being read, for the status line
  std::int32_t savedBlockCount() const;
  QString lastAutoSave_;
  QMenu* plotMenu_ = nullptr;
  double plotMenuAtM_ = 0;  // where the plot's menu was opened, metres

  SerialLink link_;
  UploadController* upload_ = nullptr;
  ReportWorkflow* report_ = nullptr;

  QWidget* client_ = nullptr;
  QWidget* picture1_ = nullptr;
  TraceView* picture2_ = nullptr;
  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  QLabel* label3_ = nullptr;
  QLabel* label5_ = nullptr;
  QListWidget* list1_ = nullptr;
  QPlainTextEdit* text1_ = nullptr;
  std::array<QLineEdit*, 6> text4_{};
  QComboBox* combo1_ = nullptr;
  QPushButton* command1_ = nullptr;
  QPushButton* command12_ = nullptr;
  QPushButton* command2_ = nullptr;
  QPushButton* command4_ = nullptr;
  QPushButton* command3_ = nullptr;
  QPushButton* command5_ = nullptr;
  QProgressBar* progressBar1_ = nullptr;
  QProgressBar* progressBar2_ = nullptr;
  StatusLine* statusBar_ = nullptr;

  // The status texts shown, oldest first, each with its time of day; a readout is not
  // kept (the Measurements window shows the current one).
  QStringList messages_;
  bool readoutShown_ = false;  // the status line shows the markers' readout
  QPointer<MeasurementsWindow> measurementsWindow_;
  // The upload that runs: which button started it, when, and how it went so far.
  struct UploadRun {
    bool running = false;
    bool all = false;
    bool endedWell = false;  // Upload Cur: the trace arrived whole
    bool told = false;       // a failure or summary is already on the status line
    int saved = 0;           // Upload All: traces saved
    QString abandoned;       // the summary of an Upload All that starting this one ended
    QElapsedTimer clock;
  };
  UploadRun uploadRun_;

  // Upload cable (main_window_cable.cpp): the port box's context menu and Ctrl+U.
 public:
  // Asks for the cable in its dialog, remembers the answers and starts the upload.
  void UploadCable();
  // Starts the cable upload of plan; the status line says why when it cannot start.
  void startCableUpload(const CablePlan& plan);
  CableUploadRun* cableUpload() const { return cableRun_; }
  QAction* uploadCableAction() const { return uploadCableAction_; }

 private:
  void wireCableUpload();
  void showPortMenu(QWidget* on, const QPoint& at);
  void cableFinished(const CableSummary& summary);
  CableUploadRun* cableRun_ = nullptr;
  QAction* uploadCableAction_ = nullptr;

  // Opening (main_window_open.cpp).
  void wireOpening();
  void loadSettings();
  void announceSettings();
  void rememberOpened(const QString& path);
  void setRecent(QStringList recent);
  void fillRecentMenu();
  void watchSaveFolder();
  // Lists the save folder again after a change in it; the selection stays.
  void refreshSavedTraces();
  QAction* openAction_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QMenu* fileListMenu_ = nullptr;
  QStringList recent_;
  QString lastFolder_;    // where the Open dialog starts; empty: the save folder
  QString settingsNote_;  // why the settings file was not read, said once at start
  QFileSystemWatcher* folderWatcher_ = nullptr;
  QTimer* relistTimer_ = nullptr;

  // Our own event analysis (main_window_analysis.cpp): our events in Text1 in place of the
  // instrument's table, at once for a trace that lists none, on "Analyse…" (F5) with the
  // thresholds asked for; "Instrument's events" puts the table back as it was.
 public:
  // Opens the thresholds dialog for the trace on screen; its OK runs analyseWith.
  void Analyse();
  // Shows our events for the trace on screen, found with these thresholds.
  void analyseWith(const analysis::ThresholdRequest& request);
  void showInstrumentEvents();
  // Our analysis while Text1 shows it, else null.
  const analysis::Analysis* ownEvents() const { return ownEvents_ ? &*ownEvents_ : nullptr; }
  AnalysisDialog* analysisDialog() const;
  // The distances (trace frame) of the events of the table shown, ours or the instrument's.
  std::vector<double> shownEventDistances() const;

 private:
  void wireAnalysis();
  void analyseNewTrace();
  // The distances of the event box's rows, in its order: our events while it shows ours,
  // else those of trace (the one shown).
  std::vector<double> eventRowDistances(const Trace& trace) const;
  // "Event loss here" with no marker: the fits run from the previous event's end to this
  // event and from this event's end to the next one. Empty when the event has no
  // neighbour on either side.
  std::string neighbourEventLoss(const Trace& trace, double eventM, const std::string& sep) const;
  // With markers: the warning when a fit span takes in another event of the shown table.
  std::string fitHoldsEventWarning(const EventLoss& loss, double aM, double bM,
                                   const std::string& sep) const;
  std::optional<analysis::Analysis> ownEvents_;
  QPointer<AnalysisDialog> analysisDialog_;

  // Comparing traces (main_window_compare.cpp): "Compare…" in the file list's menu for the
  // traces selected there (Ctrl or Shift click), several files from the Open dialog or
  // dropped on the window. A plain click in the list still shows the one trace clicked.
 public:
  // Opens the Compare window with these files; more than eight are refused on the status
  // line, naming the count, and so are the folders among them.
  void compareFiles(const QStringList& paths, QStringList refused = {});
  // Compares the traces selected in the file list (the menu's "Compare…").
  void CompareSelected();
  CompareWindow* compareWindow() const;
  QAction* compareAction() const { return compareAction_; }

 private:
  void wireCompare();
  // Whether the list's selection is more than the entry a click or a key just made current:
  // the user is choosing traces to compare, not one to show.
  bool choosingSeveral() const;
  // The traces selected in the file list, in the list's order, as paths in the save folder.
  QStringList selectedPaths() const;
  // Several files dropped at once are compared; false when the drop is one to show.
  bool dropCompares(const QStringList& paths, const QStringList& refused);
  QAction* compareAction_ = nullptr;
  QPointer<CompareWindow> compareWindow_;
  // Limits and the cable view (main_window_limits.cpp): "Limits…" (plot menu, Ctrl+L)
  // judges the trace on screen, marking the event box, the plot's events and the status
  // line; "Cable view…" (file list's menu, Ctrl+K) shows a folder as one cable. With no
  // limits chosen the window is as it was.
 public:
  void ChooseLimits();
  // Judges by limits from now on (nullopt: nothing), remembered in the settings.
  void setLimits(std::optional<cable::Limits> limits);
  const std::optional<cable::Limits>& limits() const { return limits_; }
  LimitsDialog* limitsDialog() const;
  // The cable view of paths (trace files, or one folder); empty: the file list's selection
  // when it holds several files, else the save folder.
  CableWindow* showCableView(const QStringList& paths = {});
  CableWindow* cableWindow() const;

 private:
  void wireLimits();
  // Shows text in the event box, its first headerLines lines the caption and column
  // heads, with the verdict column when limits are chosen.
  void showEventText(const QString& text, int headerLines);
  // Judges the trace on screen by the limits; a new verdict goes to the status line.
  void judgeShownTrace();
  std::optional<cable::Limits> limits_;
  QString eventTextShown_;  // the event box's text without verdicts
  int eventHeaderLines_ = 1;
  QString verdictShown_;  // the last verdict said
  // Set while a new trace's table and analysis are being put in place, not yet judged.
  bool judgingNewTrace_ = false;
  QPointer<LimitsDialog> limitsDialog_;
  QPointer<CableWindow> cableWindow_;
};

}  // namespace tracelink
