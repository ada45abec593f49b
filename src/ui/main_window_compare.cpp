// The main window's ways into the Compare window: "Compare…" in the file list's menu for
// the traces selected there, several files from the Open dialog, several files dropped on
// the window. A plain click in the list, one file opened or one dropped: as ever.
#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <algorithm>

#include "compare/compare_strings.h"
#include "compare/overlay.h"
#include "record/fill_in.h"
#include "render/plot_geometry.h"
#include "ui/compare_plot.h"
#include "ui/compare_window.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace tracelink {

void MainWindow::wireCompare() {
  // Ctrl and Shift clicks choose several traces; a plain click still selects (and shows)
  // only the one clicked.
  list1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  compareAction_ = new QAction(strings_.compare, this);
  compareAction_->setObjectName(QStringLiteral("Compare"));
  fileListMenu_->addSeparator();
  fileListMenu_->addAction(compareAction_);
  // Nine or more stay choosable, so that the refusal can say how many were chosen.
  connect(fileListMenu_, &QMenu::aboutToShow, this,
          [this] { compareAction_->setEnabled(list1_->selectedItems().size() >= 2); });
  connect(compareAction_, &QAction::triggered, this, &MainWindow::CompareSelected);
}

bool MainWindow::choosingSeveral() const {
  const QList<QListWidgetItem*> selected = list1_->selectedItems();
  return selected.size() > 1 || (selected.size() == 1 && selected.front() != list1_->currentItem());
}

CompareWindow* MainWindow::compareWindow() const {
  return compareWindow_.data();
}

QStringList MainWindow::selectedPaths() const {
  QList<QListWidgetItem*> selected = list1_->selectedItems();
  // In the list's order, whichever order they were clicked in.
  std::sort(selected.begin(), selected.end(), [this](QListWidgetItem* x, QListWidgetItem* y) {
    return list1_->row(x) < list1_->row(y);
  });
  QStringList paths;
  for (const QListWidgetItem* item : selected) paths << QDir(saveFolder_).filePath(item->text());
  return paths;
}

void MainWindow::CompareSelected() {
  compareFiles(selectedPaths());
}

void MainWindow::compareFiles(const QStringList& paths, QStringList refused) {
  QStringList files;
  for (const QString& p : paths) {
    const QFileInfo info(p);
    if (info.isDir()) {
      refused << fillIn(strings_.droppedFolder,
                        {QDir::toNativeSeparators(info.absoluteFilePath())});
    } else {
      files << info.absoluteFilePath();
    }
  }
  if (static_cast<std::size_t>(files.size()) > compare::kMaxOverlay) {
    refused.prepend(
        fromStd(compare::tooManyText(static_cast<std::size_t>(files.size()), language_)));
    setStatus(refused.join(strings_.refusedSeparator));
    return;
  }
  if (!refused.isEmpty()) setStatus(refused.join(strings_.refusedSeparator));
  if (files.isEmpty()) return;
  if (!compareWindow_) {
    CompareWindowOptions options;
    options.settings = options_.settings.get();
    options.saveDialog = options_.saveDialog;
    options.exportFolder = saveFolder_;
    compareWindow_ = new CompareWindow(language_, std::move(options), this);
    compareWindow_->setAttribute(Qt::WA_DeleteOnClose);
    // The overlay is shown in the scheme the main window's plot is in, and follows it.
    const auto follow = [plot = compareWindow_->plot()](std::int16_t mode) {
      plot->setInverted(mode == kInvertedColourMode);
    };
    follow(session_.colourScheme());
    connect(&session_, &TraceSession::colourSchemeChanged, compareWindow_->plot(), follow);
  }
  compareWindow_->openFiles(files);
  compareWindow_->show();
  compareWindow_->raise();
  compareWindow_->activateWindow();
}

bool MainWindow::dropCompares(const QStringList& paths, const QStringList& refused) {
  const auto files = std::count_if(paths.begin(), paths.end(),
                                   [](const QString& p) { return !QFileInfo(p).isDir(); });
  if (files < 2) return false;
  compareFiles(paths, refused);
  return true;
}

}  // namespace tracelink
