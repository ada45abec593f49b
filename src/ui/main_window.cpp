#include "ui/main_window.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QVBoxLayout>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "files/record_file.h"
#include "files/record_text.h"
#include "files/trace_library.h"
#include "link/transfer_messages.h"
#include "record/fill_in.h"
#include "render/layout.h"
#include "ui/background.h"
#include "ui/main_window_form.h"
#include "ui/qt_text.h"
#include "ui/trace_opener.h"
#include "ui/trace_view.h"

namespace tracelink {

namespace {

constexpr int kClientWidth = twipsToPixels(11175);  // 745
constexpr int kClientHeight = twipsToPixels(8655);  // 577
constexpr int kOuterWidth = twipsToPixels(11385);   // 759
constexpr int kOuterHeight = twipsToPixels(9330);   // 622

}  // namespace

MainWindow::MainWindow(Language language, MainWindowOptions options, QWidget* parent)
    : QWidget(parent),
      language_(language),
      strings_(uiStrings(language)),
      options_(std::move(options)),
      session_(language, QLocale().decimalPoint().toStdString()) {
  if (!options_.clock) options_.clock = std::make_shared<SystemClock>();
  if (!options_.saveDialog) options_.saveDialog = std::make_shared<QtSaveDialog>();
  if (!options_.messages) options_.messages = std::make_shared<QtMessageBoxes>();
  if (!options_.openDialog) options_.openDialog = std::make_shared<QtOpenDialog>();
  SaveFolderChoice choice;
  if (options_.saveFolder.isEmpty()) {
    choice = options_.chooseSaveFolder();
    saveFolder_ = choice.folder;
  } else {
    saveFolder_ = options_.saveFolder;
    choice.place = SaveFolderChoice::Place::BesideProgram;
  }
  setObjectName("MainWindow");
  setWindowTitle(strings_.windowTitle);
  buildControls();
  Form_Load();
  announceSaveFolder(choice);
  announceSettings();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  client_ = new QWidget(this);
  client_->setObjectName("Client");
  client_->setFixedSize(kClientWidth, kClientHeight);
  outer->addWidget(client_);
  statusBar_ = new StatusLine(this);
  statusBar_->setObjectName("StatusBar");
  statusBar_->setSizeGripEnabled(false);
  outer->addWidget(statusBar_);
  wireTraceOpener();

  const std::vector<ControlPlace> controls = formControls();
  std::vector<QWidget*> made;
  for (const ControlPlace& c : controls) made.push_back(placeControl(client_, session_, c));
  const auto placed = [&]<class W>(W*& member, std::string_view name) {
    for (std::size_t i = 0; i < controls.size(); ++i)
      if (controls[i].name == name) member = dynamic_cast<W*>(made[i]);
    Q_ASSERT(member);
  };
  placed(picture1_, "Picture1");
  placed(picture2_, "Picture2");
  placed(label2_, "Label2");
  placed(label1_, "Label1");
  placed(label3_, "Label3");
  placed(label5_, "Label5");
  placed(list1_, "List1");
  placed(text1_, "Text1");
  const std::array<std::string_view, 6> valueBoxes{"Text4_0", "Text4_1", "Text4_2",
                                                   "Text4_3", "Text4_4", "Text4_5"};
  for (std::size_t i = 0; i < text4_.size(); ++i) placed(text4_[i], valueBoxes[i]);
  placed(combo1_, "Combo1");
  placed(command1_, "Command1");
  placed(command12_, "Command12");
  placed(command2_, "Command2");
  placed(command4_, "Command4");
  placed(command3_, "Command3");
  placed(command5_, "Command5");
  placed(progressBar2_, "ProgressBar2");
  placed(progressBar1_, "ProgressBar1");

  label3_->hide();
  label5_->hide();
  list1_->setSortingEnabled(false);
  text1_->setReadOnly(true);
  text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Tab stops every eight average characters, as the event table was laid out for.
  text1_->setTabStopDistance(QFontMetricsF(text1_->font()).averageCharWidth() * 8);
  combo1_->setEditable(true);
  combo1_->setInsertPolicy(QComboBox::NoInsert);
  connect(combo1_, &QComboBox::currentIndexChanged, this, [this] { showPortFromItsStart(); });
  connect(combo1_, &QComboBox::textActivated, this, [this] { showPortFromItsStart(); });

  connect(list1_, &QListWidget::itemClicked, this, [this] {
    if (!choosingSeveral()) List1_Click();
  });
  // Choosing an entry with the arrow keys loads it too, as a list box click always did;
  // a mouse press also moves the current row, but its load comes with itemClicked.
  connect(list1_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && list1_->hasFocus() && QGuiApplication::mouseButtons() == Qt::NoButton &&
        !choosingSeveral())
      List1_Click();
  });

  connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(command2_, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(command3_, &QPushButton::clicked, this, [this] { Command3_Click(); });

  connect(command12_, &QPushButton::clicked, this, [this] { Command12_Click(); });
  connect(command4_, &QPushButton::clicked, this, [this] { Command4_Click(); });
  wireUploads();
  report_ = new ReportWorkflow(
      language_, [this] { return reportSources(); }, this,
      options_.makePrintSystem ? options_.makePrintSystem() : nullptr,
      [this](QWidget* parent, const QString& text) {
        options_.messages->information(parent, text);
      });
  report_->setSaveFolder(saveFolder_);
  // Another maker's file names its cable, fibre and operator; the settings start with them.
  report_->setHeaderPrefill([this] {
    HeaderPrefill texts;
    if (const ForeignShown* f = session_.foreign()) {
      const Identity& id = f->trace.identity;
      texts.cableNo = fromStd(id.cable).trimmed();
      texts.fiberNo = fromStd(id.fiber).trimmed();
      texts.operatorName = fromStd(id.operatorName).trimmed();
    }
    return texts;
  });
  connect(command5_, &QPushButton::clicked, report_, &ReportWorkflow::Command5_Click);
  wirePlotCommands();
  wireTraceInfo();
  wireMeasurements();
  wireCableUpload();
  wireOpening();
  wireCompare();

  // The connect button's caption follows the link's state; it never decides it.
  connect(&link_, &ByteLink::openChanged, this,
          [this](bool open) { command1_->setText(open ? strings_.disconnect : strings_.connect); });
  connect(&link_, &ByteLink::lost, this, [this](const LinkError& error) {
    setStatus(fillIn(strings_.portLost, {fromStd(linkErrorText(error, language_))}));
  });
}

void MainWindow::Form_Load() {
  placeOnScreen();
  label1_->clear();
  text1_->setPlainText(fromStd(session_.texts().eventText));
  if (language_ == Language::English) applyEnglishCaptions();
  ScanPorts();
  picture2_->InitPlotSurfaces();
  ListSavedTraces();
  // The session starts with the constants, the start-up window and no data present.
  picture2_->RedrawPlot();
  text4_[5]->setText(fromStd(session_.scaleText()));
  connect(&session_, &TraceSession::scaleTextChanged, text4_[5], &QLineEdit::setText);
  // A new trace's table is judged once both the table and our analysis are in place:
  // until wireLimits' own connection, our analysis may still be the last trace's.
  connect(&session_, &TraceSession::traceChanged, this, [this] { judgingNewTrace_ = true; });
  connect(&session_, &TraceSession::traceChanged, this, &MainWindow::showDecoded);
  wireAnalysis();  // after showDecoded: a trace without events shows ours in its place
  wireLimits();    // after both: judges the table they show
  loadSettings();
}

void MainWindow::placeOnScreen() {
  setFixedSize(sizeHint().expandedTo(QSize(kClientWidth, kClientHeight)));
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  // The outer size the layout was made for, plus the status line we added below it.
  const int outerHeight = kOuterHeight + (height() - kClientHeight);
  // A window that does not fit stands at the screen's edge on that axis.
  move(centredOn(area, QSize(kOuterWidth, outerHeight), area.topLeft()));
}

void MainWindow::applyEnglishCaptions() {
  command1_->setText(strings_.connect);
  command12_->setText(strings_.uploadCurrent);
  command2_->setText(strings_.saveCurrent);
  command4_->setText(strings_.uploadAll);
  command5_->setText(strings_.print);
  command3_->setText(strings_.backColour);
  label2_->setText(strings_.fileHeading);
  label1_->setText(strings_.label1AtStart);
}

void MainWindow::ScanPorts() {
  const std::vector<PortEntry> ports =
      tracelink::ScanPorts(options_.portMapping, options_.systemPorts);
  combo1_->clear();
  for (const PortEntry& p : ports) {
    combo1_->addItem(p.text, p.device.isEmpty() ? QVariant() : QVariant(p.device));
    if (!p.device.isEmpty()) combo1_->setItemData(combo1_->count() - 1, p.device, Qt::ToolTipRole);
  }
  // The box is narrow; the list that drops down is as wide as the ports' names.
  if (ports.size() > 0 && !ports.back().device.isEmpty())
    combo1_->view()->setMinimumWidth(combo1_->view()->sizeHintForColumn(0) +
                                     combo1_->view()->frameWidth() * 2);
  // The scan leaves the highest port number showing; USB adapters follow the numbers,
  // so take the last number rather than the last entry, and an adapter only when no
  // number was found.
  QString shown;
  QString lastAdapter;
  for (const PortEntry& p : ports) {
    if (p.device.isEmpty()) shown = p.text;
    if (p.usbAdapter) lastAdapter = p.text;
  }
  if (shown.isEmpty()) shown = lastAdapter;
  combo1_->setEditText(shown);
  showPortFromItsStart();
  if (!options_.initialPort.isEmpty()) combo1_->setEditText(options_.initialPort);
}

void MainWindow::showPortFromItsStart() {
  // The narrow box shows the end of a long text; a system port is known by the start of
  // its name. Numbers and typed texts keep the caret where the box puts it.
  const int index = combo1_->findText(combo1_->currentText(), Qt::MatchExactly);
  if (index >= 0 && combo1_->itemData(index).isValid()) combo1_->lineEdit()->setCursorPosition(0);
}

QString MainWindow::chosenPort() const {
  // An entry the system reported opens its device; anything else is read as typed.
  const QString text = combo1_->currentText();
  const int index = combo1_->findText(text, Qt::MatchExactly);
  if (index >= 0) {
    const QVariant device = combo1_->itemData(index);
    if (device.isValid()) return device.toString();
  }
  return text;
}

void MainWindow::Command1_Click() {
  if (!link_.isOpen()) {
    if (const std::optional<LinkError> failed = link_.open(chosenPort(), options_.portMapping)) {
      setStatus(fillIn(strings_.connectFailed, {fromStd(linkErrorText(*failed, language_))}));
    } else {
      setStatus(fillIn(strings_.connected, {link_.portName()}));
      if (Settings* settings = options_.settings.get())
        settings->setLastPort(combo1_->currentText());
    }
    return;
  }
  const QString abandoned = abandonUpload();
  link_.close();
  setStatus(withAbandoned(abandoned, fillIn(strings_.disconnected, {link_.portName()})));
}

void MainWindow::ListSavedTraces() {
  list1_->clear();
  if (saveFolder_.isEmpty()) return;
  for (const std::string& name : tracelink::ListSavedTraces(toPath(saveFolder_)))
    list1_->addItem(fromStd(name));
  watchSaveFolder();
}

void MainWindow::List1_Click() {
  const QListWidgetItem* item = list1_->currentItem();
  if (!item) return;
  openTraceFile(QDir(saveFolder_).filePath(item->text()));
}

void MainWindow::wireTraceOpener() {
  opener_ = new TraceOpener(this);
  // A busy bar at the status line's right end, hidden (and taking no room) unless a large
  // file is being read.
  openBusy_ = new QProgressBar(statusBar_);
  openBusy_->setObjectName(QStringLiteral("OpenBusy"));
  openBusy_->setRange(0, 0);
  openBusy_->setMaximumWidth(120);
  openBusy_->setMaximumHeight(14);
  statusBar_->addPermanentWidget(openBusy_);
  openBusy_->hide();
  connect(opener_, &TraceOpener::slow, this, [this] {
    setStatus(fillIn(strings_.opening, {openingName_}));
    openBusy_->show();
  });
  connect(opener_, &TraceOpener::idle, openBusy_, &QWidget::hide);
  // An upload's new trace overtakes a file still being read.
  connect(&session_, &TraceSession::traceCleared, opener_, &TraceOpener::cancel);
}

void MainWindow::openTraceFile(const QString& path) {
  // A half-received trace must never be decoded or saved over the file's content.
  const QString abandoned = abandonUpload();
  const std::filesystem::path file = toPath(path);
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  // Small files (every .otdr file) and what cannot be sized are read at once; the reader
  // says what is wrong with the latter. Either way the latest open wins.
  if (ec || size < options_.backgroundOpenBytes) {
    opener_->cancel();
    finishOpen(path, abandoned, ReadTraceByContent(file, language_, session_.snapshot()));
    return;
  }
  auto base = std::make_shared<LoadedTrace>(session_.snapshot());
  openingName_ = QFileInfo(path).fileName();
  opener_->start([file, language = language_,
                  base] { return ReadTraceByContent(file, language, std::move(*base)); },
                 [this, path, abandoned](Result<OpenedTrace> opened) {
                   finishOpen(path, abandoned, std::move(opened));
                 });
}

void MainWindow::finishOpen(const QString& path, const QString& abandoned,
                            Result<OpenedTrace> opened) {
  if (!opened) {
    setStatus(withAbandoned(
        abandoned, fillIn(strings_.loadFailed, {fromStd(opened.error().text(language_))})));
    emit openFinished(path, false);
    return;
  }
  session_.showOpened(std::move(*opened), toPath(path));
  setStatus(withAbandoned(abandoned, fillIn(strings_.loaded, {QFileInfo(path).fileName()})));
  emit traceOpened(path);
  emit openFinished(path, true);
}

void MainWindow::showDecoded() {
  const DecodedTexts& texts = session_.texts();
  text4_[0]->setText(fromStd(texts.text4_0));
  text4_[1]->setText(fromStd(texts.text4_1));
  text4_[3]->setText(fromStd(texts.text4_3));
  label1_->setText(fromStd(texts.label1));
  // A foreign trace's distances run to eight characters and more; its columns get wider
  // tab stops, the record's table keeps its own.
  text1_->setTabStopDistance(QFontMetricsF(text1_->font()).averageCharWidth() *
                             (session_.foreign() ? 10 : 8));
  showEventText(fromStd(texts.eventText), 1);
}

// Said once at start, unless the traces are where they always were.
void MainWindow::announceSaveFolder(const SaveFolderChoice& choice) {
  if (choice.place == SaveFolderChoice::Place::UserData) {
    setStatus(fillIn(strings_.tracesKeptIn, {QDir::toNativeSeparators(choice.folder)}));
  } else if (choice.place == SaveFolderChoice::Place::None) {
    QStringList tried;
    if (!choice.besideFolder.isEmpty())
      tried << fillIn(strings_.folderTried, {QDir::toNativeSeparators(choice.besideFolder),
                                             folderRefusalText(choice.besideReason, language_)});
    tried << fillIn(strings_.folderTried, {QDir::toNativeSeparators(choice.userFolder),
                                           folderRefusalText(choice.userReason, language_)});
    saveUnavailable_ =
        fillIn(strings_.savingUnavailable, {tried.join(strings_.folderTriedSeparator)});
    setStatus(saveUnavailable_);
  }
}

Status MainWindow::ensureSaveFolder() {
  // The reasons were worded at start, in the window's language, with every folder tried.
  if (saveFolder_.isEmpty()) return Error{saveUnavailable_.toStdString()};
  return EnsureFolder(toPath(saveFolder_));
}

QString MainWindow::folderFailedText(const Error& error) const {
  return fillIn(strings_.folderFailed,
                {QDir::toNativeSeparators(saveFolder_),
                 fromStd(systemErrorText(error.sysError, error.systemText, language_))});
}

void MainWindow::Command2_Click() {
  if (!session_.dataPresent()) {
    // As ever nothing is saved; the user learns why instead of seeing no effect.
    setStatus(strings_.saveNeedsUpload);
    return;
  }
  // What is on screen is not the record a save would write.
  if (session_.foreign()) {
    setStatus(strings_.foreignNoSave);
    return;
  }
  const std::string& text = session_.buildRecordText(savedBlockCount());
  // The dialog opens wherever it can; a folder that cannot be made is said, not fatal.
  reportSaveFolder(ensureSaveFolder());
  const QString path = options_.saveDialog->askSavePath(this, strings_.saveDialogTitle, saveFolder_,
                                                        strings_.saveFilter);
  if (path.isEmpty()) return;
  if (const Status written = WriteRecordFile(toPath(path), text); !written) {
    setStatus(fillIn(strings_.saveFailed, {fromStd(written.error().text(language_))}));
  } else {
    setStatus(fillIn(strings_.saved, {QDir::toNativeSeparators(path)}));
  }
  ListSavedTraces();
}

void MainWindow::reportSaveFolder(const Status& folder) {
  if (folder) return;
  const Error& e = folder.error();
  setStatus(e.code == ErrorCode::CannotCreateFolder ? folderFailedText(e)
                                                    : fromStd(e.text(language_)));
}

Status MainWindow::AutoSaveTrace(int traceSelect, int blockNo) {
  const std::string& text = session_.buildRecordText(blockNo);
  if (const Status folder = ensureSaveFolder(); !folder) {
    reportSaveFolder(folder);
    return folder;
  }
  const QDateTime t = options_.clock->now();
  const QDate d = t.date();
  const QTime tm = t.time();
  const std::string name = AutoSaveFileName(traceSelect, d.year(), d.month(), d.day(), tm.hour(),
                                            tm.minute(), tm.second());
  const std::filesystem::path path = UniqueSavePath(toPath(saveFolder_), name);
  if (Status written = WriteRecordFile(path, text); !written) {
    setStatus(fillIn(strings_.saveFailed, {fromStd(written.error().text(language_))}));
    return written;
  }
  lastAutoSave_ = fromPath(path);
  return {};
}

void MainWindow::Command3_Click() {
  session_.toggleColourScheme();
}

void MainWindow::setStatus(const QString& text) {
  readoutShown_ = false;
  statusBar_->setText(text);
  if (!text.isEmpty()) {
    messages_ << fillIn(strings_.messageAt,
                        {options_.clock->now().toString(QStringLiteral("HH:mm:ss")), text});
    if (messages_.size() > kKeptMessages) messages_.removeFirst();
  }
  refreshMeasurements();
}

QString MainWindow::statusText() const {
  return statusBar_->text();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  (void)upload_->abandon();
  link_.close();
  if (Settings* settings = options_.settings.get()) settings->sync();
  event->accept();
  QCoreApplication::quit();
}

}  // namespace tracelink
