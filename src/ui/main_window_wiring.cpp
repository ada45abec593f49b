// The main window's wiring to the upload controller and the report workflow: what
// they need from the window and how the window shows what they report.
#include <QLocale>
#include <QMetaObject>

#include "link/transfer_messages.h"
#include "record/fill_in.h"
#include "report/report_sources.h"
#include "ui/main_window.h"
#include "ui/progress_widgets.h"
#include "ui/qt_text.h"
#include "ui/trace_view.h"

namespace tracelink {

ReportSources MainWindow::reportSources() const {
  // The session is the source; the hidden boxes only mirror it. The canvas is the one the
  // plot drew last, as the report has always printed it.
  return BuildReportSources(session_, picture2_->canvas());
}

void MainWindow::Command12_Click() {
  // An Upload All this stops has its count said now, and again beside the outcome.
  const QString abandoned = abandonUpload();
  upload_->uploadCurrent();
  startUploadClock(false, abandoned);
}

void MainWindow::Command4_Click() {
  const QString abandoned = abandonUpload();
  upload_->uploadAll();
  startUploadClock(true, abandoned);
}

// Called once the button's upload has started: an upload that could not start has
// nothing to tell at its end.
void MainWindow::startUploadClock(bool all, const QString& abandoned) {
  uploadRun_ = UploadRun{};
  uploadRun_.running = upload_->busy();
  uploadRun_.all = all;
  uploadRun_.abandoned = abandoned;
  uploadRun_.clock.start();
}

QString MainWindow::secondsTaken() const {
  return QLocale().toString(double(uploadRun_.clock.elapsed()) / 1000.0, 'f', 1);
}

void MainWindow::uploadEnded() {
  if (!uploadRun_.running) return;
  uploadRun_.running = false;
  if (uploadRun_.told) return;
  if (!uploadRun_.all && uploadRun_.endedWell) {
    setStatus(
        withAbandoned(uploadRun_.abandoned,
                      fillIn(strings_.uploadedCurrent,
                             {QString::number(session_.header().BlocksPerTrace), secondsTaken()})));
  } else if (uploadRun_.all && uploadRun_.saved > 0) {
    setStatus(withAbandoned(
        uploadRun_.abandoned,
        fillIn(strings_.uploadedAll, {QString::number(uploadRun_.saved), secondsTaken()})));
  }
}

std::int32_t MainWindow::savedBlockCount() const {
  return session_.savedBlockCount(upload_->transfer().BlockNo());
}

void MainWindow::wireUploads() {
  upload_ = new UploadController(link_, session_, language_, this);
  upload_->setAutoSaveTrace(
      [this](int traceSelect, int blockNo) { return AutoSaveTrace(traceSelect, blockNo); });
  connect(upload_, &UploadController::decodeRecord, this,
          [this] { session_.completeTrace(options_.clock->now().toSecsSinceEpoch()); });
  connect(upload_, &UploadController::listSavedTraces, this, [this] { ListSavedTraces(); });
  connect(upload_, &UploadController::showNoDatas, this, [this] {
    // Shown once the transfer's handler has returned, so no modal loop runs inside it.
    QMetaObject::invokeMethod(
        this, [this] { options_.messages->information(this, strings_.noDatas); },
        Qt::QueuedConnection);
  });
  connect(upload_, &UploadController::progressChanged, this, &MainWindow::showProgress);
  connect(upload_, &UploadController::dataPresent, &session_, &TraceSession::setDataPresent);
  connect(upload_, &UploadController::transferFailed, this, [this](const QString& message) {
    uploadRun_.told = true;
    setStatus(message);
  });
  connect(upload_, &UploadController::uploadAllEnded, this, [this](const UploadAllSummary& s) {
    const QString summary = fromStd(uploadAllSummaryMessage(s, language_));
    // A summary of traces all saved, at the limit, also says how long that took.
    const bool tookTime = s.end == UploadAllSummary::End::AtLimit && uploadRun_.running;
    uploadRun_.told = true;
    setStatus(tookTime ? fillIn(strings_.uploadTook, {summary, secondsTaken()}) : summary);
  });
  // What an upload that ends well tells, counted as it goes.
  connect(upload_, &UploadController::dataPresent, this, [this] { uploadRun_.endedWell = true; });
  connect(upload_, &UploadController::listSavedTraces, this, [this] { ++uploadRun_.saved; });
  connect(upload_, &UploadController::showNoDatas, this, [this] { uploadRun_.told = true; });
  connect(upload_, &UploadController::transferEnded, this, &MainWindow::uploadEnded);
}

QString MainWindow::abandonUpload() {
  const AbandonedUpload abandoned = upload_->abandon();
  if (!abandoned.summary) return QString();
  return fromStd(uploadAllSummaryMessage(*abandoned.summary, language_));
}

QString MainWindow::withAbandoned(const QString& abandoned, const QString& status) const {
  return abandoned.isEmpty() ? status : fillIn(strings_.abandonedThen, {abandoned, status});
}

void MainWindow::showProgress(const TransferProgress& progress) {
  const ProgressWidgets shown = progressWidgets(progress);
  progressBar1_->setMaximum(shown.progressBar1.maximum);
  progressBar1_->setValue(shown.progressBar1.value);
  progressBar1_->setVisible(shown.progressBar1.visible);
  progressBar2_->setMaximum(shown.progressBar2.maximum);
  progressBar2_->setValue(shown.progressBar2.value);
  progressBar2_->setVisible(shown.progressBar2.visible);
  label3_->setText(fromStd(shown.label3.text));
  label3_->setVisible(shown.label3.visible);
  label5_->setText(fromStd(shown.label5.text));
  label5_->setVisible(shown.label5.visible);
}

}  // namespace tracelink
