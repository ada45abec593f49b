#include "ui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QVBoxLayout>
#include <cerrno>
#include <filesystem>
#include <string>

#include "files/record_file.h"
#include "files/record_text.h"
#include "files/trace_library.h"
#include "link/transfer_messages.h"
#include "render/layout.h"
#include "ui/background.h"
#include "ui/qt_text.h"
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
  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName("StatusBar");
  statusBar_->setSizeGripEnabled(false);
  outer->addWidget(statusBar_);

  picture1_ = new BackgroundPicture(client_);
  picture1_->setObjectName("Picture1");
  picture1_->setGeometry(twipsRect(0, 0, 11175, 8655));

  picture2_ = new TraceView(session_, client_);
  picture2_->move(twipsToPixels(120), twipsToPixels(120));

  const auto makeLabel = [this](const char* name, QRect geometry, const QString& text) {
    auto* label = new QLabel(text, client_);
    label->setObjectName(name);
    label->setGeometry(geometry);
    // Labels are opaque, so their text stays readable over the background picture, and
    // their text starts at the top as the layout's overlapping boxes expect.
    label->setAutoFillBackground(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
  };
  label2_ = makeLabel("Label2", twipsRect(120, 5760, 1935, 375), QStringLiteral("文件"));
  label1_ = makeLabel("Label1", twipsRect(2280, 5760, 8535, 375), QStringLiteral("折射率："));
  label3_ = makeLabel("Label3", twipsRect(2280, 7920, 495, 255), QStringLiteral("1/2"));
  label5_ = makeLabel("Label5", twipsRect(2280, 8160, 495, 375), QStringLiteral("1"));
  label3_->hide();
  label5_->hide();

  list1_ = new QListWidget(client_);
  list1_->setObjectName("List1");
  list1_->setGeometry(twipsRect(120, 6000, 2055, 2595));
  list1_->setSortingEnabled(false);
  connect(list1_, &QListWidget::itemClicked, this, [this] { List1_Click(); });
  // Choosing an entry with the arrow keys loads it too, as a list box click always did;
  // a mouse press also moves the current row, but its load comes with itemClicked.
  connect(list1_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && list1_->hasFocus() && QGuiApplication::mouseButtons() == Qt::NoButton)
      List1_Click();
  });

  text1_ = new QPlainTextEdit(client_);
  text1_->setObjectName("Text1");
  text1_->setGeometry(twipsRect(2280, 6000, 6015, 1695));
  text1_->setReadOnly(true);
  text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Tab stops every eight average characters, as the event table was laid out for.
  text1_->setTabStopDistance(QFontMetricsF(text1_->font()).averageCharWidth() * 8);

  for (std::size_t i = 0; i < text4_.size(); ++i) {
    text4_[i] = new QLineEdit(client_);
    text4_[i]->setObjectName(QStringLiteral("Text4_%1").arg(i));
    text4_[i]->setGeometry(twipsRect(static_cast<int>(i) * 495, 8280, 495, 375));
    text4_[i]->hide();
  }

  combo1_ = new QComboBox(client_);
  combo1_->setObjectName("Combo1");
  combo1_->setEditable(true);
  combo1_->setInsertPolicy(QComboBox::NoInsert);
  combo1_->setGeometry(twipsRect(8640, 5880, 855, 315));

  const auto makeButton = [this](const char* name, QRect geometry, const QString& text) {
    auto* button = new QPushButton(text, client_);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
  };
  const UiStrings& zh = uiStrings(Language::Chinese);
  command1_ = makeButton("Command1", twipsRect(9600, 5760, 1455, 495), zh.connect);
  command12_ = makeButton("Command12", twipsRect(9600, 6360, 1455, 495), zh.uploadCurrent);
  command2_ = makeButton("Command2", twipsRect(9600, 6960, 1455, 495), zh.saveCurrent);
  command4_ = makeButton("Command4", twipsRect(9600, 7560, 1455, 495), zh.uploadAll);
  command3_ = makeButton("Command3", twipsRect(8280, 8160, 1095, 495), zh.backColour);
  command5_ = makeButton("Command5", twipsRect(9600, 8160, 1455, 495), zh.print);
  connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(command2_, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(command3_, &QPushButton::clicked, this, [this] { Command3_Click(); });

  progressBar2_ = new QProgressBar(client_);
  progressBar2_->setObjectName("ProgressBar2");
  progressBar2_->setGeometry(twipsRect(2880, 7800, 5175, 375));
  progressBar2_->setTextVisible(false);
  progressBar2_->hide();
  progressBar1_ = new QProgressBar(client_);
  progressBar1_->setObjectName("ProgressBar1");
  progressBar1_->setGeometry(twipsRect(2880, 8160, 5175, 375));
  progressBar1_->setTextVisible(false);
  progressBar1_->hide();

  connect(command12_, &QPushButton::clicked, this, [this] { Command12_Click(); });
  connect(command4_, &QPushButton::clicked, this, [this] { Command4_Click(); });
  wireUploads();
  report_ = new ReportWorkflow(
      language_, [this] { return reportSources(); }, this, nullptr,
      [this](QWidget* parent, const QString& text) {
        options_.messages->information(parent, text);
      });
  report_->setSaveFolder(saveFolder_);
  connect(command5_, &QPushButton::clicked, report_, &ReportWorkflow::Command5_Click);
  wirePlotCommands();

  // The connect button's caption follows the link's state; it never decides it.
  connect(&link_, &ByteLink::openChanged, this,
          [this](bool open) { command1_->setText(open ? strings_.disconnect : strings_.connect); });
  connect(&link_, &ByteLink::lost, this, [this](const LinkError& error) {
    setStatus(strings_.portLost.arg(fromStd(linkErrorText(error, language_))));
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
  connect(&session_, &TraceSession::traceChanged, this, &MainWindow::showDecoded);
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
  const QStringList ports = tracelink::ScanPorts(options_.portMapping);
  combo1_->clear();
  combo1_->addItems(ports);
  // The scan leaves the highest port number showing; USB adapters follow the numbers,
  // so take the last number rather than the last entry.
  QString shown;
  for (const QString& p : ports) {
    bool isNumber = false;
    p.toInt(&isNumber);
    if (isNumber) shown = p;
  }
  if (shown.isEmpty() && !ports.isEmpty()) shown = ports.last();
  combo1_->setEditText(shown);
  if (!options_.initialPort.isEmpty()) combo1_->setEditText(options_.initialPort);
}

void MainWindow::Command1_Click() {
  if (!link_.isOpen()) {
    if (const std::optional<LinkError> failed =
            link_.open(combo1_->currentText(), options_.portMapping)) {
      setStatus(strings_.connectFailed.arg(fromStd(linkErrorText(*failed, language_))));
    } else {
      setStatus(strings_.connected.arg(link_.portName()));
    }
    return;
  }
  const QString abandoned = abandonUpload();
  link_.close();
  setStatus(withAbandoned(abandoned, strings_.disconnected.arg(link_.portName())));
}

void MainWindow::ListSavedTraces() {
  list1_->clear();
  if (saveFolder_.isEmpty()) return;
  for (const std::string& name : tracelink::ListSavedTraces(toPath(saveFolder_)))
    list1_->addItem(fromStd(name));
}

void MainWindow::List1_Click() {
  const QListWidgetItem* item = list1_->currentItem();
  if (!item) return;
  // A half-received trace must never be decoded or saved over the file's content.
  const QString abandoned = abandonUpload();
  const QString path = QDir(saveFolder_).filePath(item->text());
  if (const Status read = session_.loadFile(toPath(path)); !read) {
    setStatus(
        withAbandoned(abandoned, strings_.loadFailed.arg(fromStd(read.error().text(language_)))));
    return;
  }
  setStatus(withAbandoned(abandoned, strings_.loaded.arg(item->text())));
}

void MainWindow::showDecoded() {
  const DecodedTexts& texts = session_.texts();
  text4_[0]->setText(fromStd(texts.text4_0));
  text4_[1]->setText(fromStd(texts.text4_1));
  text4_[3]->setText(fromStd(texts.text4_3));
  label1_->setText(fromStd(texts.label1));
  text1_->setPlainText(fromStd(texts.eventText));
}

// Said once at start, unless the traces are where they always were.
void MainWindow::announceSaveFolder(const SaveFolderChoice& choice) {
  if (choice.place == SaveFolderChoice::Place::UserData) {
    setStatus(strings_.tracesKeptIn.arg(QDir::toNativeSeparators(choice.folder)));
  } else if (choice.place == SaveFolderChoice::Place::None) {
    QStringList tried;
    if (!choice.besideFolder.isEmpty())
      tried << QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(choice.besideFolder),
                                             folderRefusalText(choice.besideReason, language_));
    tried << QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(choice.userFolder),
                                           folderRefusalText(choice.userReason, language_));
    saveUnavailable_ = strings_.savingUnavailable.arg(tried.join(QStringLiteral("; ")));
    setStatus(saveUnavailable_);
  }
}

bool MainWindow::ensureSaveFolder() {
  if (saveFolder_.isEmpty()) {
    setStatus(saveUnavailable_);
    return false;
  }
  std::error_code ec;
  const std::filesystem::path folder = toPath(saveFolder_);
  if (std::filesystem::is_directory(folder, ec)) return true;
  if (std::filesystem::create_directories(folder, ec) ||
      (!ec && std::filesystem::is_directory(folder, ec)))
    return true;
  const int why = ec ? ec.value() : ENOTDIR;
  setStatus(strings_.folderFailed.arg(
      QDir::toNativeSeparators(saveFolder_),
      fromStd(systemErrorText(why, ec ? ec.message() : std::string(), language_))));
  return false;
}

void MainWindow::Command2_Click() {
  if (!session_.dataPresent()) return;
  const std::string& text = session_.buildRecordText(savedBlockCount());
  ensureSaveFolder();
  const QString path = options_.saveDialog->askSavePath(this, strings_.saveDialogTitle, saveFolder_,
                                                        strings_.saveFilter);
  if (path.isEmpty()) return;
  if (const Status written = WriteRecordFile(toPath(path), text); !written) {
    setStatus(strings_.saveFailed.arg(fromStd(written.error().text(language_))));
  } else {
    setStatus(strings_.saved.arg(QDir::toNativeSeparators(path)));
  }
  ListSavedTraces();
}

QString MainWindow::AutoSaveTrace(int traceSelect, int blockNo) {
  const std::string& text = session_.buildRecordText(blockNo);
  if (!ensureSaveFolder()) return statusText();
  const QDateTime t = options_.clock->now();
  const QDate d = t.date();
  const QTime tm = t.time();
  const std::string name = AutoSaveFileName(traceSelect, d.year(), d.month(), d.day(), tm.hour(),
                                            tm.minute(), tm.second());
  const std::filesystem::path path = UniqueSavePath(toPath(saveFolder_), name);
  if (const Status written = WriteRecordFile(path, text); !written) {
    const QString message = strings_.saveFailed.arg(fromStd(written.error().text(language_)));
    setStatus(message);
    return message;
  }
  lastAutoSave_ = fromPath(path);
  return QString();
}

void MainWindow::Command3_Click() {
  session_.toggleColourScheme();
}

void MainWindow::setStatus(const QString& text) {
  statusBar_->showMessage(text);
}

QString MainWindow::statusText() const {
  return statusBar_->currentMessage();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  upload_->abandon();
  link_.close();
  event->accept();
  QCoreApplication::quit();
}

}  // namespace tracelink
