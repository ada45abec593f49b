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
#include "report/printer_set_window.h"
#include "sor/sor_strings.h"
#include "sor/trace_sor.h"
#include "trace/trace_from_record.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "view/trace_view.h"

namespace tracelink {

namespace {

QString fromView(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Only printable ASCII goes into a SOR file; a field holding anything else is left empty
// and named, so the export still goes out.
std::string asciiField(const QString& text, const QString& name, QStringList& leftOut) {
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() > 0x7E) {
      leftOut << name;
      return {};
    }
  }
  return text.toStdString();
}

}  // namespace

void MainWindow::wirePlotCommands() {
  plotMenu_ = new QMenu(this);
  plotMenu_->setObjectName(QStringLiteral("PlotMenu"));
  const MeasureStrings& m = measureStrings(language_);
  const auto add = [this](std::string_view text, const char* name) {
    QAction* action = plotMenu_->addAction(fromView(text));
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  QAction* setA = add(m.setMarkerA, "SetMarkerA");
  QAction* setB = add(m.setMarkerB, "SetMarkerB");
  QAction* clear = add(m.clearMarkers, "ClearMarkers");
  QAction* eventLoss = add(m.eventLossHere, "EventLossHere");
  QAction* showEvents = add(m.showEvents, "ShowEvents");
  showEvents->setCheckable(true);
  plotMenu_->addSeparator();
  QAction* exportSor = add(sor::sorStrings(language_).exportEntry, "ExportSor");

  connect(setA, &QAction::triggered, this, [this] { session_.setMarker('A', plotMenuAtM_); });
  connect(setB, &QAction::triggered, this, [this] { session_.setMarker('B', plotMenuAtM_); });
  connect(clear, &QAction::triggered, &session_, &TraceSession::clearMarkers);
  connect(eventLoss, &QAction::triggered, this,
          [this] { session_.setEventOfInterest(plotMenuAtM_); });
  connect(showEvents, &QAction::toggled, &session_, &TraceSession::setShowEvents);
  connect(&session_, &TraceSession::markersChanged, showEvents,
          [this, showEvents] { showEvents->setChecked(session_.markers().showEvents); });
  connect(exportSor, &QAction::triggered, this, &MainWindow::ExportSor);

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
  }
  return QWidget::eventFilter(watched, event);
}

QString MainWindow::measurementText() const {
  const Markers& markers = session_.markers();
  if (!markers.a && !markers.b && !markers.event) return {};
  const std::string sep = QLocale().decimalPoint().toStdString();
  const Trace trace =
      TraceFromRecord(session_.record(), session_.header(), session_.view(), session_.decoded());
  std::string text = markerReadout(trace, markers.a, markers.b, language_, sep);
  if (markers.event) {
    const MeasureStrings& s = measureStrings(language_);
    std::string loss;
    if (!markers.a || !markers.b) {
      loss = strings_.eventLossNeedsMarkers.toStdString();
    } else {
      const Measured<EventLoss> measured = eventLoss(trace, *markers.a, *markers.b, *markers.event);
      loss = measured ? eventLossText(*measured, language_, sep)
                      : describe(measured.problem(), language_, sep);
    }
    if (!text.empty()) text += s.gap;
    text += loss;
  }
  return fromStd(text);
}

void MainWindow::showMeasurement() {
  const QString text = measurementText();
  // Clearing the markers leaves the status line as it was rather than blanking a message.
  if (!text.isEmpty()) setStatus(text);
}

void MainWindow::ExportSor() {
  const sor::SorStrings& s = sor::sorStrings(language_);
  if (session_.header().StartPoint >= session_.header().RangeLine) {
    setStatus(fromStd(s.noTrace));
    return;
  }
  sor::SorExportOptions options;
  options.language = language_;
  QStringList leftOut;
  if (const PrinterSetWindow* settings = report_->loadedPrinterset()) {
    const ReportHeader h = settings->headerTexts();
    options.cable = asciiField(h.cableNo, strings_.fieldCable, leftOut);
    options.fiber = asciiField(h.fiberNo, strings_.fieldFiber, leftOut);
    options.operatorName = asciiField(h.operatorName, strings_.fieldOperator, leftOut);
  }
  const TraceSource& source = session_.source();
  if (source.kind == TraceSource::Kind::File) {
    options.dateTime = QFileInfo(fromPath(source.path)).lastModified().toSecsSinceEpoch();
  } else {
    options.dateTime = uploadedAt_.isValid() ? uploadedAt_.toSecsSinceEpoch()
                                             : options_.clock->now().toSecsSinceEpoch();
  }
  const Result<std::vector<std::uint8_t>> bytes = sor::WriteTraceAsSor(
      session_.record(), session_.header(), session_.view(), savedBlockCount(), options);
  if (!bytes) {
    setStatus(fromStd(s.failed).arg(fromStd(bytes.error().text(language_))));
    return;
  }
  ensureSaveFolder();
  const QString path = options_.saveDialog->askSavePath(this, fromStd(s.dialogTitle), saveFolder_,
                                                        fromStd(s.filter));
  if (path.isEmpty()) return;
  // The dialog has asked before replacing a file.
  const std::string_view view(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  if (const Status written = WriteFileAtomically(toPath(path), view, ExistingFile::Replace);
      !written) {
    setStatus(fromStd(s.failed).arg(fromStd(written.error().text(language_))));
    return;
  }
  QString done = fromStd(s.saved).arg(QDir::toNativeSeparators(path));
  if (!leftOut.isEmpty()) done += strings_.fieldsLeftOut.arg(leftOut.join(QStringLiteral(", ")));
  setStatus(done);
}

}  // namespace tracelink
