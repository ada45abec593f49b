// Our own event analysis in the window: a trace that lists no events shows ours at once;
// "Analyse…" (F5) shows ours with the thresholds asked for; "Instrument's events" puts the
// instrument's table back exactly as it was. With neither used and the instrument's table
// present, nothing here changes what the window shows.
#include <QAction>
#include <QFontMetricsF>
#include <QKeySequence>
#include <QMenu>
#include <QPlainTextEdit>
#include <algorithm>
#include <cmath>

#include "measure/measure.h"
#include "measure/measure_text.h"
#include "record/fill_in.h"
#include "session/trace_texts.h"
#include "ui/analysis_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/trace_view.h"

namespace tracelink {

namespace {

EventType keyEventType(analysis::EventKind kind) {
  switch (kind) {
    case analysis::EventKind::Launch:
      return EventType::Launch;
    case analysis::EventKind::NonReflective:
      return EventType::NonReflective;
    case analysis::EventKind::Gainer:
      return EventType::Gainer;
    case analysis::EventKind::End:
      return EventType::End;
    case analysis::EventKind::Reflective:
    case analysis::EventKind::Ghost:
      break;
  }
  return EventType::Reflective;
}

}  // namespace

void MainWindow::wireAnalysis() {
  plotMenu_->addSeparator();
  QAction* analyse = plotMenu_->addAction(strings_.analyse);
  analyse->setObjectName(QStringLiteral("Analyse"));
  analyse->setShortcut(QKeySequence(Qt::Key_F5));
  analyse->setShortcutContext(Qt::WindowShortcut);
  addAction(analyse);
  QAction* instrument = plotMenu_->addAction(strings_.instrumentEvents);
  instrument->setObjectName(QStringLiteral("InstrumentEvents"));
  connect(analyse, &QAction::triggered, this, &MainWindow::Analyse);
  connect(instrument, &QAction::triggered, this, &MainWindow::showInstrumentEvents);
  connect(&session_, &TraceSession::traceChanged, this, &MainWindow::analyseNewTrace);
  connect(&session_, &TraceSession::traceCleared, this, [this] {
    ownEvents_.reset();
    picture2_->setMarkedEvents(std::nullopt);
  });
}

// A trace that lists no events of its own gets ours at once. Our own records keep their
// table whatever it holds: the instrument analysed them, and an empty table is its answer.
void MainWindow::analyseNewTrace() {
  ownEvents_.reset();
  picture2_->setMarkedEvents(std::nullopt);
  if (const ForeignShown* f = session_.foreign(); f && f->trace.events.empty() && !f->trace.empty())
    analyseWith({});
}

AnalysisDialog* MainWindow::analysisDialog() const {
  return analysisDialog_.data();
}

void MainWindow::Analyse() {
  const Trace trace = session_.foreign() ? session_.foreign()->trace : session_.trace();
  if (trace.empty()) return;
  if (analysisDialog_) analysisDialog_->close();
  // The fields start from the thresholds last used, else the trace's own or ours.
  const analysis::Thresholds start =
      ownEvents_ ? ownEvents_->thresholds : analysis::resolveThresholds(trace.acquisition, {});
  auto* dialog = new AnalysisDialog(strings_, start, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  analysisDialog_ = dialog;
  connect(dialog, &QDialog::accepted, this, [this, dialog] { analyseWith(dialog->request()); });
  dialog->open();
}

void MainWindow::analyseWith(const analysis::ThresholdRequest& request) {
  const ForeignShown* foreign = session_.foreign();
  Trace trace = foreign ? foreign->trace : session_.trace();
  if (trace.empty()) return;
  ownEvents_ = analysis::analyse(trace, request);
  // Our events in the foreign table's columns, under a line that says whose they are.
  trace.events.clear();
  std::vector<double> distances;
  for (const analysis::Event& e : ownEvents_->events) {
    trace.events.push_back({e.distanceM, e.lossDb, e.reflectanceDb, keyEventType(e.kind), {}, {}});
    distances.push_back(e.distanceM);
  }
  const std::string sep = QLocale().decimalPoint().toStdString();
  const analysis::Thresholds& t = ownEvents_->thresholds;
  const QString caption =
      fillIn(strings_.ownEventsCaption,
             {fromStd(fixedText(t.spliceDb, 3, sep)), fromStd(fixedText(t.reflectanceDb, 1, sep)),
              fromStd(fixedText(t.endDb, 2, sep))});
  text1_->setTabStopDistance(QFontMetricsF(text1_->font()).averageCharWidth() * 10);
  showEventText(caption + QStringLiteral("\r\n") + fromStd(traceEventText(trace, language_, sep)),
                2);
  picture2_->setMarkedEvents(std::move(distances));
  showMeasurement();
}

void MainWindow::showInstrumentEvents() {
  if (!ownEvents_) return;
  ownEvents_.reset();
  picture2_->setMarkedEvents(std::nullopt);
  showDecoded();
  showMeasurement();
}

std::vector<double> MainWindow::eventRowDistances(const Trace& trace) const {
  std::vector<double> distances;
  if (ownEvents_) {
    for (const analysis::Event& e : ownEvents_->events) distances.push_back(e.distanceM);
  } else {
    for (const KeyEvent& e : trace.events) distances.push_back(e.distanceM);
  }
  return distances;
}

std::vector<double> MainWindow::shownEventDistances() const {
  const ForeignShown* foreign = session_.foreign();
  // Our record's trace is built only when its table is the one shown.
  const Trace own = foreign || ownEvents_ ? Trace{} : session_.trace();
  std::vector<double> distances = eventRowDistances(foreign ? foreign->trace : own);
  std::sort(distances.begin(), distances.end());
  return distances;
}

std::string MainWindow::neighbourEventLoss(const Trace& trace, double eventM,
                                           const std::string& sep) const {
  const std::vector<double> events = shownEventDistances();
  if (events.size() < 3) return {};
  // The event of the table nearest to where it was asked for.
  const auto nearest = std::min_element(events.begin(), events.end(), [eventM](double x, double y) {
    return std::abs(x - eventM) < std::abs(y - eventM);
  });
  if (nearest == events.begin() || nearest + 1 == events.end()) return {};
  // The previous event's dead zone ends d after it, or where our analysis saw the trace
  // return to backscatter when that is later; the next event starts where it is.
  double before = *(nearest - 1) + deadZoneMetres(trace);
  if (ownEvents_)
    for (const analysis::Event& e : ownEvents_->events)
      if (e.distanceM == *(nearest - 1)) before = std::max(before, e.deadZoneEndM);
  const double after = *(nearest + 1);
  const Measured<EventLoss> measured = eventLoss(trace, before, after, *nearest);
  return measured ? eventLossText(*measured, language_, sep)
                  : describe(measured.problem(), language_, sep);
}

// The rule: a fit span that takes in another event of the table shown (outside this
// event's own dead zone) measures that event's step as well; its RMS is given beside.
std::string MainWindow::fitHoldsEventWarning(const EventLoss& loss, double aM, double bM,
                                             const std::string& sep) const {
  const double nearer = std::min(aM, bM);
  const double farther = std::max(aM, bM);
  const double d = loss.deadZoneM;
  const std::vector<double> events = shownEventDistances();
  // The event measured is the table's nearest to where it was asked for, a few metres off
  // as a click places it.
  const auto measuredOne =
      std::min_element(events.begin(), events.end(), [&loss](double x, double y) {
        return std::abs(x - loss.eventM) < std::abs(y - loss.eventM);
      });
  for (std::size_t i = 0; i < events.size(); ++i) {
    const double x = events[i];
    if (events.begin() + static_cast<std::ptrdiff_t>(i) == measuredOne ||
        std::abs(x - loss.eventM) <= d)
      continue;
    const bool inBefore = x > nearer && x < loss.eventM - d;
    const bool inAfter = x > loss.eventM + d && x < farther;
    if (!inBefore && !inAfter) continue;
    const LineFit& fit = inBefore ? loss.before : loss.after;
    const QString text =
        fillIn(strings_.fitHoldsEvent,
               {inBefore ? strings_.fitBefore : strings_.fitAfter, QString::number(i + 1),
                fromStd(fixedText(x, 2, sep)), fromStd(fixedText(fit.rmsDb, 3, sep))});
    return text.toStdString();
  }
  return {};
}

}  // namespace tracelink
