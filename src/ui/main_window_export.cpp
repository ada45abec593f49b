// The main window's trace information and exports: the dialog with every field of the
// trace on screen, Save as SOR with its corrected identity, and CSV and PNG of the trace.
// All are reached from the plot's menu; unused, the window is as it was.
#include <QAction>
#include <QDir>
#include <QFileInfo>

#include "files/record_file.h"
#include "record/fill_in.h"
#include "sor/sor_io.h"
#include "sor/sor_strings.h"
#include "sor/trace_sor.h"
#include "trace/sha256.h"
#include "trace/trace_csv.h"
#include "ui/export_file.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/trace_info_dialog.h"
#include "ui/trace_view.h"

namespace tracelink {

namespace {

// A file's bytes, as large as a trace file may be.
Result<std::vector<std::uint8_t>> traceFileBytes(const std::string& path) {
  return ReadFileBytes(pathFromText(path), sor::kMaxSorFileBytes);
}

bool isSor(const std::vector<std::uint8_t>& bytes) {
  return sor::LooksLikeSor(bytes);
}

// Whether the trace is another maker's SOR file: one that carries no record of ours,
// which the window then shows as the file's own trace rather than as a record.
bool isForeignSor(const Trace& trace) {
  if (trace.origin.format != TraceFormat::Sor || trace.origin.path.empty()) return false;
  const Result<std::vector<std::uint8_t>> bytes = traceFileBytes(trace.origin.path);
  if (!bytes || !isSor(*bytes)) return false;
  const sor::SorResult<sor::SorFile> file = sor::ReadSor(*bytes);
  return file.ok() && !sor::RecordOf(*file).has_value();
}

}  // namespace

void MainWindow::wireTraceInfo() {
  plotMenu_->addSeparator();
  const auto add = [this](const QString& text, const char* name) {
    QAction* action = plotMenu_->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  QAction* info = add(strings_.traceInfo, "TraceInfo");
  // The shortcut works anywhere in the window, not only while the menu is open.
  info->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  info->setShortcutContext(Qt::WindowShortcut);
  addAction(info);
  QAction* csv = add(strings_.exportCsv, "ExportCsv");
  QAction* png = add(strings_.exportPng, "ExportPng");
  connect(info, &QAction::triggered, this, &MainWindow::ShowTraceInfo);
  connect(csv, &QAction::triggered, this, &MainWindow::ExportCsv);
  connect(png, &QAction::triggered, this, &MainWindow::ExportPng);
  // The dialog shows one trace; another one on screen closes it, and its digest goes.
  const auto closeInfo = [this] {
    traceInfoSha256_.clear();
    if (traceInfo_) traceInfo_->close();
  };
  connect(&session_, &TraceSession::traceChanged, this, closeInfo);
  connect(&session_, &TraceSession::traceCleared, this, closeInfo);
}

TraceInfoDialog* MainWindow::traceInfoDialog() const {
  return traceInfo_.data();
}

void MainWindow::ShowTraceInfo() {
  if (traceInfo_) {
    traceInfo_->raise();
    traceInfo_->activateWindow();
    return;
  }
  const Trace trace = session_.trace();
  if (trace.empty()) {
    setStatus(strings_.sorNoTrace);
    return;
  }
  // The digest of the file's bytes now; Save as SOR refuses a file that changed since. A
  // SOR file's checksum says whether its maker's way matched.
  traceInfoSha256_ = fromStd(trace.origin.sha256);
  QString checksum;
  if (!trace.origin.path.empty()) {
    if (const Result<std::vector<std::uint8_t>> bytes = traceFileBytes(trace.origin.path)) {
      if (traceInfoSha256_.isEmpty()) traceInfoSha256_ = fromStd(Sha256Hex(*bytes));
      if (isSor(*bytes))
        if (const sor::SorResult<sor::SorFile> file = sor::ReadSor(*bytes))
          checksum = fromStd(sor::checksumText(file->checksum, language_));
    }
  }
  traceInfo_ = new TraceInfoDialog(trace, traceInfoSha256_, checksum, language_, this);
  traceInfo_->setAttribute(Qt::WA_DeleteOnClose);
  keepWindowGeometry(options_.settings.get(), traceInfo_, "traceInformation");
  connect(traceInfo_, &TraceInfoDialog::saveAsSorRequested, this, [this] {
    const QString done = SaveTraceAsSor(traceInfo_->identity());
    if (!done.isEmpty()) traceInfo_->setMessage(done);
  });
  traceInfo_->show();
}

QString MainWindow::SaveTraceAsSor(const sor::IdentityTexts& identity) {
  const Trace trace = session_.trace();
  const auto failed = [this](const QString& reason) {
    const QString text = fillIn(strings_.sorFailed, {reason});
    setStatus(text);
    return text;
  };
  if (!trace.origin.path.empty()) {
    const Result<std::vector<std::uint8_t>> bytes = traceFileBytes(trace.origin.path);
    // A SOR file is written as it is, only its identity changed, whoever made it.
    if (bytes && isSor(*bytes)) {
      if (!traceInfoSha256_.isEmpty() && fromStd(Sha256Hex(*bytes)) != traceInfoSha256_)
        return failed(fillIn(strings_.sorFileChanged,
                             {QDir::toNativeSeparators(fromStd(trace.origin.path))}));
      const sor::SorResult<std::vector<std::uint8_t>> out = sor::RewriteIdentity(*bytes, identity);
      if (!out) return failed(fromStd(sor::problemReason(out.problem(), language_)));
      return exportBytes(std::string_view(reinterpret_cast<const char*>(out->data()), out->size()),
                         strings_.sorDialogTitle, strings_.sorFilter, strings_.sorSaved,
                         strings_.sorFailed);
    }
    // Another maker's trace has nothing else to be written from.
    if (trace.origin.format == TraceFormat::Sor)
      return failed(bytes ? fromStd(sor::problemReason(sor::ReadSor(*bytes).problem(), language_))
                          : fromStd(bytes.error().text(language_)));
  }
  // Our own trace: the SOR export, with these texts.
  if (session_.header().StartPoint >= session_.header().RangeLine) {
    setStatus(strings_.sorNoTrace);
    return strings_.sorNoTrace;
  }
  sor::SorExportOptions options;
  options.language = language_;
  options.cable = identity.cable;
  options.fiber = identity.fiber;
  options.locationA = identity.locationA;
  options.locationB = identity.locationB;
  options.operatorName = identity.operatorName;
  options.comment = identity.comment;
  const TraceSource& source = session_.source();
  if (source.kind == TraceSource::Kind::File) {
    options.dateTime = QFileInfo(fromPath(source.path)).lastModified().toSecsSinceEpoch();
  } else {
    options.dateTime = source.uploadedAt.value_or(options_.clock->now().toSecsSinceEpoch());
  }
  const sor::SorResult<std::vector<std::uint8_t>> bytes = sor::WriteTraceAsSor(
      session_.record(), session_.header(), session_.view(), savedBlockCount(), options);
  if (!bytes) return failed(fromStd(sor::problemReason(bytes.problem(), language_)));
  return exportBytes(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                     strings_.sorDialogTitle, strings_.sorFilter, strings_.sorSaved,
                     strings_.sorFailed);
}

void MainWindow::ExportCsv() {
  const Trace trace = session_.trace();
  if (trace.empty()) {
    setStatus(strings_.sorNoTrace);
    return;
  }
  // The command line's csv, byte for byte: our record's samples as the plot reads them,
  // another maker's points at their own spacing.
  const std::string csv = isForeignSor(trace)
                              ? TraceCsv(trace)
                              : RecordCsv(session_.record(), session_.header(), session_.view());
  exportBytes(csv, strings_.csvDialogTitle, strings_.csvFilter, strings_.csvSaved,
              strings_.csvFailed);
}

void MainWindow::ExportPng() {
  if (session_.trace().empty()) {
    setStatus(strings_.sorNoTrace);
    return;
  }
  // The plot as it is shown, markers and events included.
  const QByteArray png = pngBytes(picture2_->picture());
  exportBytes(std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
              strings_.pngDialogTitle, strings_.pngFilter, strings_.pngSaved, strings_.pngFailed);
}

QString MainWindow::exportBytes(std::string_view bytes, const QString& title, const QString& filter,
                                const QString& saved, const QString& failed) {
  reportSaveFolder(ensureSaveFolder());
  const QString text = saveExport(*options_.saveDialog, this, bytes, title, saveFolder_, filter,
                                  saved, failed, language_);
  if (!text.isEmpty()) setStatus(text);
  return text;
}

}  // namespace tracelink
