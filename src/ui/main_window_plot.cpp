// The main window's commands on the plot: the measuring markers and their readout in the
// status line, the plot's context menu, and the SOR export. None of them changes the
// original controls; with no marker set the status line and the plot are as they were.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>

#include "files/atomic_file.h"
#include "measure/measure.h"
#include "measure/measure_strings.h"
#include "measure/measure_text.h"
#include "record/fill_in.h"
#include "sor/sor_strings.h"
#include "sor/trace_sor.h"
#include "ui/level_range_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/trace_view.h"

namespace tracelink {

void MainWindow::wirePlotCommands() {
  plotMenu_ = new QMenu(this);
  plotMenu_->setObjectName(QStringLiteral("PlotMenu"));
  const auto add = [this](const QString& text, const char* name) {
    QAction* action = plotMenu_->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  QAction* setA = add(strings_.setMarkerA, "SetMarkerA");
  QAction* setB = add(strings_.setMarkerB, "SetMarkerB");
  QAction* clear = add(strings_.clearMarkers, "ClearMarkers");
  QAction* eventLoss = add(strings_.eventLossHere, "EventLossHere");
  QAction* showEvents = add(strings_.showEvents, "ShowEvents");
  showEvents->setCheckable(true);
  plotMenu_->addSeparator();
  QAction* exportSor = add(strings_.exportSor, "ExportSor");
  QAction* levelRange = add(strings_.levelRange, "LevelRange");

  connect(setA, &QAction::triggered, this, [this] { session_.setMarker('A', plotMenuAtM_); });
  connect(setB, &QAction::triggered, this, [this] { session_.setMarker('B', plotMenuAtM_); });
  connect(clear, &QAction::triggered, &session_, &TraceSession::clearMarkers);
  connect(eventLoss, &QAction::triggered, this,
          [this] { session_.setEventOfInterest(plotMenuAtM_); });
  connect(showEvents, &QAction::toggled, &session_, &TraceSession::setShowEvents);
  connect(&session_, &TraceSession::markersChanged, showEvents,
          [this, showEvents] { showEvents->setChecked(session_.markers().showEvents); });
  connect(exportSor, &QAction::triggered, this, &MainWindow::ExportSor);
  connect(levelRange, &QAction::triggered, this, [this] {
    // Window-modal and not waited for, so the plot's window stays responsive behind it.
    auto* dialog = new LevelRangeDialog(language_, picture2_->shownLevels(), this);
    keepWindowGeometry(options_.settings.get(), dialog, "levelRange");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
      if (const std::optional<LevelZoom>& zoom = dialog->chosen()) {
        session_.setLevelZoom(*zoom);
      } else {
        session_.fullLevelRange();
      }
    });
    dialog->open();
  });

  connect(picture2_, &TraceView::contextMenuRequested, this,
          [this](const QPoint& at, double metres) {
            plotMenuAtM_ = metres;
            plotMenu_->popup(at);
          });
  connect(&session_, &TraceSession::markersChanged, this, &MainWindow::showMeasurement);
  // The measuring keys act only while the pointer is over the plot, wherever the focus
  // is; elsewhere the keys type as they always did.
  QCoreApplication::instance()->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const auto* target = qobject_cast<const QWidget*>(watched);
  if (event->type() == QEvent::KeyPress && target && target->window() == this) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::NoModifier && !key->isAutoRepeat() &&
        picture2_->handleMarkerKey(key->key()))
      return true;
    // The view keys repeat while held; + may need Shift, and the keypad's count too.
    const Qt::KeyboardModifiers extra =
        key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (extra == Qt::NoModifier && picture2_->handleViewKey(key->key())) return true;
  }
  return QWidget::eventFilter(watched, event);
}

MainWindow::MeasurementTexts MainWindow::measurementTexts() const {
  const Markers& markers = session_.markers();
  if (!markers.a && !markers.b && !markers.event) return {};
  const std::string sep = QLocale().decimalPoint().toStdString();
  // The trace on screen, ours or another maker's; the latter is measured where it is held.
  const ForeignShown* foreign = session_.foreign();
  const Trace own = foreign ? Trace{} : session_.trace();
  const Trace& trace = foreign ? foreign->trace : own;
  MeasurementTexts texts;
  texts.readout = fromStd(markerReadout(trace, markers.a, markers.b, language_, sep));
  if (!markers.event) return texts;
  std::string loss;
  if (!markers.a && !markers.b) loss = neighbourEventLoss(trace, *markers.event, sep);
  if (!markers.a || !markers.b) {
    texts.eventLoss = loss.empty() ? strings_.eventLossNeedsMarkers : fromStd(loss);
    return texts;
  }
  const Measured<EventLoss> measured = eventLoss(trace, *markers.a, *markers.b, *markers.event);
  loss = measured ? eventLossText(*measured, language_, sep)
                  : describe(measured.problem(), language_, sep);
  // The warning stands before the figure it doubts.
  if (measured) {
    const std::string warning = fitHoldsEventWarning(*measured, *markers.a, *markers.b, sep);
    if (!warning.empty()) loss = warning + std::string(measureStrings(language_).gap) + loss;
  }
  texts.eventLoss = fromStd(loss);
  return texts;
}

QString MainWindow::measurementText() const {
  const MeasurementTexts texts = measurementTexts();
  if (texts.readout.isEmpty() || texts.eventLoss.isEmpty()) return texts.readout + texts.eventLoss;
  return texts.readout + fromStd(std::string(measureStrings(language_).gap)) + texts.eventLoss;
}

void MainWindow::showMeasurement() {
  const QString text = measurementText();
  if (!text.isEmpty()) {
    statusBar_->setText(text);
    readoutShown_ = true;
  } else if (readoutShown_) {
    // Clearing the markers takes their readout with them; any other message stays.
    statusBar_->setText(QString());
    readoutShown_ = false;
  }
  refreshMeasurements();
}

void MainWindow::ExportSor() {
  if (session_.foreign()) {
    setStatus(strings_.foreignNoExport);
    return;
  }
  if (session_.header().StartPoint >= session_.header().RangeLine) {
    setStatus(strings_.sorNoTrace);
    return;
  }
  // The report's header values, whether the print settings were ever opened or not. A
  // text the strictest readers would not take refuses the export, naming the field, as
  // the command line's export does.
  const ReportHeader h = report_->header();
  sor::SorExportOptions options;
  options.language = language_;
  options.cable = h.cableNo.toStdString();
  options.fiber = h.fiberNo.toStdString();
  options.operatorName = h.operatorName.toStdString();
  const TraceSource& source = session_.source();
  if (source.kind == TraceSource::Kind::File) {
    options.dateTime = QFileInfo(fromPath(source.path)).lastModified().toSecsSinceEpoch();
  } else {
    options.dateTime = source.uploadedAt.value_or(options_.clock->now().toSecsSinceEpoch());
  }
  const sor::SorResult<std::vector<std::uint8_t>> bytes = sor::WriteTraceAsSor(
      session_.record(), session_.header(), session_.view(), savedBlockCount(), options);
  if (!bytes) {
    setStatus(
        fillIn(strings_.sorFailed, {fromStd(sor::problemReason(bytes.problem(), language_))}));
    return;
  }
  reportSaveFolder(ensureSaveFolder());
  const QString path = options_.saveDialog->askSavePath(this, strings_.sorDialogTitle, saveFolder_,
                                                        strings_.sorFilter);
  if (path.isEmpty()) return;
  // The dialog has asked before replacing a file.
  const std::string_view view(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  if (const Status written = WriteFileAtomically(toPath(path), view, ExistingFile::Replace);
      !written) {
    setStatus(fillIn(strings_.sorFailed, {fromStd(written.error().text(language_))}));
    return;
  }
  setStatus(fillIn(strings_.sorSaved, {QDir::toNativeSeparators(path)}));
}

}  // namespace tracelink
