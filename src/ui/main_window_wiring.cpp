// The main window's wiring to the upload controller and the report workflow: what
// they need from the window and how the window shows what they report.
#include <QMetaObject>
#include <algorithm>

#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "view/trace_view.h"

namespace tracelink {

ReportSources MainWindow::reportSources() const {
  ReportSources sources;
  // The session is the source; the hidden boxes only mirror it.
  const DecodedTexts& texts = session_.texts();
  sources.text4_0 = fromStd(texts.text4_0);
  sources.text4_1 = fromStd(texts.text4_1);
  sources.text4_3 = fromStd(texts.text4_3);
  sources.text4_5 = fromStd(session_.scaleText());
  sources.plotCanvas = picture2_->canvas();
  sources.decoded = session_.decoded();
  return sources;
}

void MainWindow::Command12_Click() {
  upload_->uploadCurrent();
}

void MainWindow::Command4_Click() {
  upload_->uploadAll();
}

std::int32_t MainWindow::savedBlockCount() const {
  return session_.savedBlockCount(upload_->transfer().BlockNo());
}

void MainWindow::wireUploads() {
  upload_ = new UploadController(link_, session_, language_, this);
  upload_->setAutoSaveTrace(
      [this](int traceSelect, int blockNo) { return AutoSaveTrace(traceSelect, blockNo); });
  connect(upload_, &UploadController::decodeRecord, &session_, &TraceSession::completeTrace);
  connect(upload_, &UploadController::listSavedTraces, this, [this] { ListSavedTraces(); });
  connect(upload_, &UploadController::showNoDatas, this, [this] {
    // Shown once the transfer's handler has returned, so no modal loop runs inside it.
    QMetaObject::invokeMethod(
        this, [this] { options_.messages->information(this, strings_.noDatas); },
        Qt::QueuedConnection);
  });
  connect(upload_, &UploadController::progressChanged, this, &MainWindow::showProgress);
  connect(upload_, &UploadController::dataPresent, &session_, &TraceSession::setDataPresent);
  connect(upload_, &UploadController::transferFailed, this,
          [this](const QString& message) { setStatus(message); });
}

void MainWindow::showProgress(const ProgressState& state) {
  progressBar1_->setMaximum(std::max(1, state.bar1Max));
  progressBar1_->setValue(state.bar1Value);
  progressBar1_->setVisible(state.bar1Visible);
  progressBar2_->setMaximum(std::max(1, state.bar2Max));
  progressBar2_->setValue(state.bar2Value);
  progressBar2_->setVisible(state.bar2Visible);
  label3_->setText(fromStd(state.label3));
  label3_->setVisible(state.label3Visible);
  label5_->setText(fromStd(state.label5));
  label5_->setVisible(state.label5Visible);
}

}  // namespace tracelink
