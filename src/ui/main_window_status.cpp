// The main window's status line at length: the Measurements window with the markers'
// readout, the event-loss result and the last messages, for what a fixed window's one
// line cannot hold.
#include <QAction>
#include <QKeySequence>
#include <QLocale>

#include "measure/measure.h"
#include "measure/measure_text.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace tracelink {

void MainWindow::wireMeasurements() {
  QAction* action = plotMenu_->addAction(strings_.measurements);
  action->setObjectName(QStringLiteral("Measurements"));
  action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  action->setShortcutContext(Qt::WindowShortcut);
  // Also on the window itself, so the shortcut works without the menu open.
  addAction(action);
  connect(action, &QAction::triggered, this, [this] { showMeasurementsWindow(); });
}

MeasurementsWindow* MainWindow::showMeasurementsWindow() {
  if (!measurementsWindow_) {
    measurementsWindow_ = new MeasurementsWindow(language_, this);
    keepWindowGeometry(options_.settings.get(), measurementsWindow_, "measurements");
    refreshMeasurements();
  }
  measurementsWindow_->show();
  measurementsWindow_->raise();
  measurementsWindow_->activateWindow();
  return measurementsWindow_;
}

void MainWindow::refreshMeasurements() {
  if (measurementsWindow_) measurementsWindow_->setContent(measurementsContent());
}

MeasurementsContent MainWindow::measurementsContent() const {
  return {markerReadoutText(), eventLossResultText(), messages_};
}

QString MainWindow::markerReadoutText() const {
  const Markers& markers = session_.markers();
  if (!markers.a && !markers.b) return {};
  return fromStd(markerReadout(session_.trace(), markers.a, markers.b, language_,
                               QLocale().decimalPoint().toStdString()));
}

QString MainWindow::eventLossResultText() const {
  const Markers& markers = session_.markers();
  if (!markers.event) return {};
  const std::string sep = QLocale().decimalPoint().toStdString();
  if (!markers.a && !markers.b) {
    // Without markers the neighbouring events give the fit spans (main_window_analysis.cpp).
    const std::string loss = neighbourEventLoss(session_.trace(), *markers.event, sep);
    if (!loss.empty()) return fromStd(loss);
  }
  if (!markers.a || !markers.b) return strings_.eventLossNeedsMarkers;
  const Measured<EventLoss> measured =
      eventLoss(session_.trace(), *markers.a, *markers.b, *markers.event);
  return fromStd(measured ? eventLossText(*measured, language_, sep)
                          : describe(measured.problem(), language_, sep));
}

}  // namespace tracelink
