// "Upload cable…": every stored trace, or a range of them, saved under its cable and fibre
// name. Reached from the port box's context menu and Ctrl+U, so the window looks as it
// always did while the command is unused; progress shows in the original progress bars
// and the fibre on the status line.
#include <QDir>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>

#include "record/fill_in.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/upload_cable_dialog.h"

namespace tracelink {

namespace {

// Qt's text fields take Ctrl+U for themselves on Linux (delete the whole line), a binding
// the port box never had; with this the window's Ctrl+U reaches the cable upload from the
// port box as from anywhere else in the window.
class LeaveShortcut : public QObject {
 public:
  LeaveShortcut(QKeySequence key, QObject* parent) : QObject(parent), key_(std::move(key)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (QKeySequence(key->keyCombination()) == key_) return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QKeySequence key_;
};

}  // namespace

void MainWindow::wireCableUpload() {
  cableRun_ = new CableUploadRun(*upload_, session_, language_, this);
  cableRun_->setClock([this] { return options_.clock->now(); });
  connect(cableRun_, &CableUploadRun::fiberStarted, this, [this](int fiber, int traceSelect) {
    setStatus(fromStd(cableFiberText(fiber, traceSelect, language_)));
  });
  connect(cableRun_, &CableUploadRun::finished, this, &MainWindow::cableFinished);

  uploadCableAction_ = new QAction(strings_.uploadCable, this);
  uploadCableAction_->setObjectName("UploadCable");
  uploadCableAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
  uploadCableAction_->setShortcutContext(Qt::WindowShortcut);
  connect(uploadCableAction_, &QAction::triggered, this, [this] { UploadCable(); });
  addAction(uploadCableAction_);

  // The port box is editable: its text field keeps its own menu (cut, copy, paste), with
  // the command below it.
  combo1_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(combo1_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { showPortMenu(combo1_, at); });
  // The box hands its keys to its text field directly, past the field's filters.
  combo1_->installEventFilter(new LeaveShortcut(uploadCableAction_->shortcut(), combo1_));
  if (QLineEdit* edit = combo1_->lineEdit()) {
    edit->installEventFilter(new LeaveShortcut(uploadCableAction_->shortcut(), edit));
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QWidget::customContextMenuRequested, this,
            [this, edit](const QPoint& at) { showPortMenu(edit, at); });
  }
}

void MainWindow::showPortMenu(QWidget* on, const QPoint& at) {
  auto* edit = qobject_cast<QLineEdit*>(on);
  QMenu* menu = edit ? edit->createStandardContextMenu() : new QMenu(on);
  menu->setObjectName("PortMenu");
  menu->setAttribute(Qt::WA_DeleteOnClose);
  if (!menu->isEmpty()) menu->addSeparator();
  menu->addAction(uploadCableAction_);
  menu->popup(on->mapToGlobal(at));
}

void MainWindow::UploadCable() {
  UploadCableDialog dialog(language_, saveFolder_, this);
  // The answers are remembered with everything else, unless nothing is (--no-settings).
  Settings* settings = options_.settings.get();
  keepWindowGeometry(settings, &dialog, "uploadCable");
  if (settings) dialog.loadAnswers(*settings);
  if (dialog.exec() != QDialog::Accepted) return;
  if (settings) dialog.saveAnswers(*settings);
  startCableUpload(dialog.plan());
}

void MainWindow::startCableUpload(const CablePlan& plan) {
  if (const Status started = cableRun_->start(plan); !started)
    setStatus(fillIn(strings_.cableNotStarted, {fromStd(started.error().text())}));
}

void MainWindow::cableFinished(const CableSummary& summary) {
  QString text = fromStd(cableSummaryText(summary, language_));
  // The save list shows the save folder's traces, .otdr and .sor alike; when the fibres
  // went to another folder, the line says where.
  const CablePlan& plan = cableRun_->plan();
  const QString folder = fromPath(plan.folder);
  if (QDir(folder).absolutePath() != QDir(saveFolder_).absolutePath())
    text = fillIn(strings_.cableSavedIn, {text, QDir::toNativeSeparators(folder)});
  ListSavedTraces();
  if (!summary.abandoned) {
    setStatus(text);
    return;
  }
  // Abandoned by a button (disconnect, a file in the list, another upload) that is still
  // running and will say what it did: the count of saved fibres goes in front of that.
  const QString before = statusText();
  setStatus(text);
  QMetaObject::invokeMethod(
      this,
      [this, text, before] {
        const QString now = statusText();
        if (now != text && now != before && !now.isEmpty())
          setStatus(fillIn(strings_.abandonedThen, {text, now}));
      },
      Qt::QueuedConnection);
}

}  // namespace tracelink
