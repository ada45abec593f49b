// The ways to open a trace besides a click in the save folder's list: the Open dialog, the
// recent files, files dropped on the window or named on the command line. Each ends in
// openTraceFile. Also the save folder watched for traces that arrive, and what the window
// remembers between runs. With none of it used, the window is as it always was.
#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>
#include <string>
#include <vector>

#include "files/trace_library.h"
#include "record/fill_in.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace tracelink {

namespace {

std::vector<std::string> toStdList(const QStringList& list) {
  std::vector<std::string> out;
  for (const QString& s : list) out.push_back(s.toStdString());
  return out;
}

QStringList fromStdList(const std::vector<std::string>& list) {
  QStringList out;
  for (const std::string& s : list) out << fromStd(s);
  return out;
}

QString shownPath(const QString& path) {
  return QDir::toNativeSeparators(path);
}

}  // namespace

void MainWindow::wireOpening() {
  openAction_ = new QAction(strings_.openTrace, this);
  openAction_->setObjectName(QStringLiteral("OpenTrace"));
  openAction_->setShortcut(QKeySequence::Open);
  openAction_->setShortcutContext(Qt::WindowShortcut);
  addAction(openAction_);
  connect(openAction_, &QAction::triggered, this, &MainWindow::Open_Click);

  recentMenu_ = new QMenu(strings_.recentFiles, this);
  recentMenu_->setObjectName(QStringLiteral("RecentFiles"));
  // Filled as it opens: an entry chosen may change the list, and an action must not be
  // deleted while it is being triggered.
  connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::fillRecentMenu);
  fillRecentMenu();

  plotMenu_->addSeparator();
  plotMenu_->addAction(openAction_);
  plotMenu_->addMenu(recentMenu_);

  fileListMenu_ = new QMenu(this);
  fileListMenu_->setObjectName(QStringLiteral("FileListMenu"));
  fileListMenu_->addAction(openAction_);
  fileListMenu_->addMenu(recentMenu_);
  list1_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list1_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { fileListMenu_->popup(list1_->viewport()->mapToGlobal(at)); });

  // Files dropped anywhere on the window reach it: the text boxes, which took dropped text
  // in the toolkit's way, leave drops to the window, as the original's boxes did.
  setAcceptDrops(true);
  for (QLineEdit* box : findChildren<QLineEdit*>()) box->setAcceptDrops(false);
  for (QPlainTextEdit* box : findChildren<QPlainTextEdit*>()) box->setAcceptDrops(false);

  folderWatcher_ = new QFileSystemWatcher(this);
  relistTimer_ = new QTimer(this);
  relistTimer_->setSingleShot(true);
  // A save or a copy changes the folder several times in a row; list it once they settle.
  relistTimer_->setInterval(150);
  connect(folderWatcher_, &QFileSystemWatcher::directoryChanged, relistTimer_,
          qOverload<>(&QTimer::start));
  connect(relistTimer_, &QTimer::timeout, this, &MainWindow::refreshSavedTraces);

  connect(this, &MainWindow::traceOpened, this, &MainWindow::rememberOpened);
}

void MainWindow::loadSettings() {
  Settings* settings = options_.settings.get();
  if (!settings) return;
  recent_ = settings->recentFiles();
  lastFolder_ = settings->lastFolder();
  if (options_.initialPort.isEmpty() && !settings->lastPort().isEmpty())
    combo1_->setEditText(settings->lastPort());
  report_->rememberHeaderTexts(settings->printTexts());
  connect(report_, &ReportWorkflow::headerTextsRemembered, this,
          [settings](const ReportHeader& texts) { settings->setPrintTexts(texts); });

  QString why;
  switch (settings->problem()) {
    case Settings::Problem::None:
      return;
    case Settings::Problem::Unreadable:
      why = fillIn(strings_.settingsUnreadable, {settings->problemDetail()});
      break;
    case Settings::Problem::NotAFile:
      why = strings_.settingsNotAFile;
      break;
    case Settings::Problem::TooLarge:
      why = strings_.settingsTooLarge;
      break;
    case Settings::Problem::NotText:
      why = strings_.settingsNotText;
      break;
    case Settings::Problem::BadLine:
      why = fillIn(strings_.settingsBadLine, {QString::number(settings->problemLine())});
      break;
    case Settings::Problem::NotIni:
      why = strings_.settingsNotIni;
      break;
  }
  settingsNote_ = fillIn(strings_.settingsNotRead, {shownPath(settings->path()), why});
}

void MainWindow::announceSettings() {
  if (settingsNote_.isEmpty()) return;
  // Said beside where the traces are kept, if that was said too.
  const QString before = statusText();
  setStatus(before.isEmpty() ? settingsNote_ : before + strings_.refusedSeparator + settingsNote_);
}

void MainWindow::Open_Click() {
  QString folder = lastFolder_;
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = saveFolder_;
  const QStringList paths = options_.openDialog->askOpenPaths(this, strings_.openDialogTitle,
                                                              folder, strings_.openFilters);
  if (paths.size() > 1) {
    compareFiles(paths);
  } else if (!paths.isEmpty()) {
    openTraceFile(paths.front());
  }
}

void MainWindow::openFiles(const QStringList& paths, QStringList refused) {
  QStringList files;
  for (const QString& p : paths) {
    const QFileInfo info(p);
    if (info.isDir()) {
      refused << fillIn(strings_.droppedFolder, {shownPath(info.absoluteFilePath())});
    } else {
      files << info.absoluteFilePath();
    }
  }
  // The others go to the recent files, oldest first, so the list reads as they were given.
  for (qsizetype i = 0; i + 1 < files.size(); ++i) {
    if (QFileInfo(files[i]).isFile()) {
      setRecent(fromStdList(RememberRecent(toStdList(recent_), files[i].toStdString())));
    } else {
      refused << fillIn(strings_.noSuchFile, {shownPath(files[i])});
    }
  }
  if (!refused.isEmpty()) setStatus(refused.join(strings_.refusedSeparator));
  // The last one says for itself why it cannot be shown.
  if (!files.isEmpty()) openTraceFile(files.last());
}

void MainWindow::openRecent(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    setRecent(fromStdList(ForgetRecent(toStdList(recent_), path.toStdString())));
    setStatus(fillIn(strings_.recentGone, {shownPath(path)}));
    return;
  }
  openTraceFile(path);
}

void MainWindow::rememberOpened(const QString& path) {
  const QFileInfo info(path);
  // The save folder's traces stand in the list beside the plot; remembering each one
  // clicked there would push the files opened from elsewhere off the recent files.
  if (!saveFolder_.isEmpty() && info.canonicalPath() == QFileInfo(saveFolder_).canonicalFilePath())
    return;
  lastFolder_ = info.absolutePath();
  if (Settings* settings = options_.settings.get()) settings->setLastFolder(lastFolder_);
  setRecent(fromStdList(RememberRecent(toStdList(recent_), info.absoluteFilePath().toStdString())));
}

void MainWindow::setRecent(QStringList recent) {
  recent_ = std::move(recent);
  if (Settings* settings = options_.settings.get()) settings->setRecentFiles(recent_);
}

void MainWindow::fillRecentMenu() {
  recentMenu_->clear();
  if (recent_.isEmpty()) {
    recentMenu_->addAction(strings_.recentNone)->setEnabled(false);
    return;
  }
  for (qsizetype i = 0; i < recent_.size(); ++i) {
    const QString path = recent_[i];
    QString text = shownPath(path);
    text.replace(QLatin1Char('&'), QLatin1String("&&"));  // no shortcut letters in a path
    QAction* action = recentMenu_->addAction(text);
    action->setObjectName(QStringLiteral("Recent%1").arg(i));
    connect(action, &QAction::triggered, this, [this, path] { openRecent(path); });
  }
}

void MainWindow::watchSaveFolder() {
  if (!folderWatcher_ || saveFolder_.isEmpty()) return;
  if (folderWatcher_->directories().isEmpty() && QFileInfo(saveFolder_).isDir())
    folderWatcher_->addPath(saveFolder_);
}

void MainWindow::refreshSavedTraces() {
  QStringList names;
  if (!saveFolder_.isEmpty()) names = fromStdList(tracelink::ListSavedTraces(toPath(saveFolder_)));
  QStringList shown;
  for (int i = 0; i < list1_->count(); ++i) shown << list1_->item(i)->text();
  watchSaveFolder();
  if (names == shown) return;
  const QListWidgetItem* current = list1_->currentItem();
  const QString selected = current ? current->text() : QString();
  QStringList chosen;
  for (const QListWidgetItem* item : list1_->selectedItems()) chosen << item->text();
  // Listing again must not load anything: the trace on screen stays.
  const QSignalBlocker quiet(list1_);
  list1_->clear();
  list1_->addItems(names);
  if (selected.isEmpty()) return;
  const QList<QListWidgetItem*> again = list1_->findItems(selected, Qt::MatchExactly);
  if (!again.isEmpty()) list1_->setCurrentItem(again.front());
  // Traces chosen for comparing stay chosen while an upload adds to the folder.
  for (const QString& name : chosen)
    for (QListWidgetItem* item : list1_->findItems(name, Qt::MatchExactly)) item->setSelected(true);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  event->acceptProposedAction();
  QStringList paths;
  QStringList refused;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      paths << url.toLocalFile();
    } else {
      refused << fillIn(strings_.droppedNotFile, {url.toDisplayString()});
    }
  }
  if (dropCompares(paths, refused)) return;
  openFiles(paths, refused);
}

}  // namespace tracelink
