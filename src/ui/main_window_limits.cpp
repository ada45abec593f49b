// Limits in the window and the cable view. "Limits…" (plot menu, Ctrl+L) chooses the
// limits the trace on screen is judged by: the event box gains a verdict column, Show
// events marks pass and fail, and the status line gives the verdict and the first failing
// item. "Cable view…" (the file list's menu, Ctrl+K) shows a folder, or the list's
// selection, as one cable. With no limits chosen and no cable view opened, nothing here
// changes what the window shows.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <algorithm>

#include "analysis/thresholds.h"
#include "cable/verdict.h"
#include "compare/event_list.h"
#include "record/fill_in.h"
#include "ui/cable_window.h"
#include "ui/limits_dialog.h"
#include "ui/limits_text.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/trace_view.h"

namespace tracelink {

namespace {

const QString kLimitsKey = QStringLiteral("limits/chosen");

}  // namespace

void MainWindow::wireLimits() {
  QAction* limits = plotMenu_->addAction(strings_.limitsMenu);
  limits->setObjectName(QStringLiteral("Limits"));
  limits->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  limits->setShortcutContext(Qt::WindowShortcut);
  addAction(limits);
  connect(limits, &QAction::triggered, this, &MainWindow::ChooseLimits);

  QAction* cable = fileListMenu_->addAction(strings_.cableView);
  cable->setObjectName(QStringLiteral("CableView"));
  cable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  cable->setShortcutContext(Qt::WindowShortcut);
  addAction(cable);
  connect(cable, &QAction::triggered, this, [this] { showCableView(); });

  // Connected after the table and our analysis of a new trace: judged once, by its own
  // events (judgingNewTrace_ is set first, in Form_Load).
  connect(&session_, &TraceSession::traceChanged, this, [this] {
    judgingNewTrace_ = false;
    if (limits_) judgeShownTrace();
  });

  // An opened trace's status says its verdict beside the file's name.
  connect(this, &MainWindow::traceOpened, this, [this] {
    if (limits_ && !verdictShown_.isEmpty())
      setStatus(statusText() + strings_.refusedSeparator + verdictShown_);
  });

  if (eventTextShown_.isEmpty()) eventTextShown_ = fromStd(session_.texts().eventText);
  // The limits last chosen; a remembered text that is not limits (edited by hand, or from
  // a later version) is taken as none.
  if (Settings* settings = options_.settings.get()) {
    const QString json = settings->value(kLimitsKey).toString();
    if (!json.isEmpty()) {
      const cable::LimitsOutcome read = cable::parseLimits(json.toStdString());
      if (const auto* remembered = std::get_if<cable::Limits>(&read)) {
        limits_ = *remembered;
        showEventText(eventTextShown_, eventHeaderLines_);
      }
    }
  }
}

LimitsDialog* MainWindow::limitsDialog() const {
  return limitsDialog_.data();
}

CableWindow* MainWindow::cableWindow() const {
  return cableWindow_.data();
}

void MainWindow::ChooseLimits() {
  if (limitsDialog_) limitsDialog_->close();
  auto* dialog = new LimitsDialog(language_, limits_, options_.openDialog, options_.saveDialog,
                                  lastFolder_.isEmpty() ? saveFolder_ : lastFolder_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  keepWindowGeometry(options_.settings.get(), dialog, "limits");
  limitsDialog_ = dialog;
  connect(dialog, &QDialog::accepted, this, [this, dialog] { setLimits(dialog->chosen()); });
  dialog->open();
}

void MainWindow::setLimits(std::optional<cable::Limits> limits) {
  limits_ = std::move(limits);
  if (Settings* settings = options_.settings.get())
    settings->setValue(kLimitsKey, limits_ ? fromStd(cable::limitsJson(*limits_)) : QString());
  verdictShown_.clear();
  showEventText(eventTextShown_, eventHeaderLines_);
  if (cableWindow_) cableWindow_->setLimits(limits_);
  if (!limits_) {
    setStatus(strings_.limitsCleared);
  } else if (verdictShown_.isEmpty()) {
    setStatus(fillIn(strings_.limitsChosen, {fromStd(limits_->name)}));
  }
}

void MainWindow::showEventText(const QString& text, int headerLines) {
  eventTextShown_ = text;
  eventHeaderLines_ = headerLines;
  if (!limits_) {
    // Exactly the table as built: nothing is judged.
    text1_->setPlainText(text);
    picture2_->setEventVerdicts({});
    return;
  }
  // A new trace is judged once, when its table and our analysis of it are both in place.
  if (!judgingNewTrace_) judgeShownTrace();
}

void MainWindow::judgeShownTrace() {
  const ForeignShown* foreign = session_.foreign();
  const bool shown = foreign || session_.source().kind != TraceSource::Kind::None;
  const Trace trace = foreign ? foreign->trace : (shown ? session_.trace() : Trace{});
  if (trace.empty()) {
    text1_->setPlainText(eventTextShown_);
    picture2_->setEventVerdicts({});
    verdictShown_.clear();
    return;
  }
  // The events judged are the ones the box shows: ours while it shows ours (our analysis of
  // this trace: a new trace drops the last one's before it is judged).
  const compare::FibreEvents events =
      ownEvents_ ? compare::fibreEvents(trace, compare::EventSource::Ours, *ownEvents_)
                 : compare::fibreEvents(trace);
  // The verdict also reads our analysis at the trace's own thresholds: the one shown serves
  // when it was found at those, else the verdict makes its own.
  const analysis::Thresholds own = analysis::resolveThresholds(trace.acquisition, {});
  const bool atOwn = ownEvents_ && ownEvents_->thresholds.spliceDb == own.spliceDb &&
                     ownEvents_->thresholds.reflectanceDb == own.reflectanceDb &&
                     ownEvents_->thresholds.endDb == own.endDb;
  const cable::Verdict verdict =
      cable::judgeTrace(trace, events, *limits_, 'A', atOwn ? &*ownEvents_ : nullptr);

  // A record's table rounds its distances to whole metres.
  const double tolerance = std::max(1.0, 2 * trace.spacingM);
  const std::vector<RowVerdict> verdicts =
      rowVerdicts(eventRowDistances(trace), verdict, tolerance, language_);
  text1_->setPlainText(markedEventText(eventTextShown_, eventHeaderLines_, verdicts, language_));
  std::vector<std::optional<bool>> marks;
  for (const RowVerdict& row : verdicts) marks.push_back(row.pass);
  picture2_->setEventVerdicts(std::move(marks));

  const QString said = verdictText(*limits_, verdict, language_);
  if (said != verdictShown_) setStatus(said);
  verdictShown_ = said;
}

CableWindow* MainWindow::showCableView(const QStringList& paths) {
  QStringList chosen = paths;
  QString title;
  if (chosen.isEmpty()) {
    chosen = selectedPaths();
    if (chosen.size() <= 1) chosen = QStringList{saveFolder_};
  }
  title = chosen.size() == 1 ? QDir::toNativeSeparators(chosen.front())
                             : fillIn(strings_.cableViewFiles, {QString::number(chosen.size())});
  if (!cableWindow_) {
    cableWindow_ = new CableWindow(language_, options_.saveDialog, this);
    keepWindowGeometry(options_.settings.get(), cableWindow_, "cable");
    connect(cableWindow_, &CableWindow::openTrace, this, &MainWindow::openTraceFile);
  }
  cableWindow_->setLimits(limits_);
  cableWindow_->open(chosen, title);
  cableWindow_->show();
  cableWindow_->raise();
  cableWindow_->activateWindow();
  return cableWindow_;
}

}  // namespace tracelink
