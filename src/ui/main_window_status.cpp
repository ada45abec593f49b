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
  const MeasurementTexts texts = measurementTexts();
  return {texts.readout, texts.eventLoss, messages_};
}

}  // namespace tracelink
