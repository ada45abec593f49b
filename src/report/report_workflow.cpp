#include "report/report_workflow.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>

#include "report/pdf_save_dialog.h"
#include "report/print_preview_window.h"
#include "report/printer_discovery.h"
#include "report/printer_set_window.h"
#include "report/report_strings.h"

namespace tracelink {

namespace {

void messageBox(QWidget* parent, const QString& text) {
  // No caption of its own: the program's name stands there.
  QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

ReportWorkflow::ReportWorkflow(Language language, SourcesFn sources, QWidget* mainWindow,
                               std::unique_ptr<PrintSystem> printSystem, MessageFn showMessage)
    : QObject(mainWindow),
      language_(language),
      sources_(std::move(sources)),
      mainWindow_(mainWindow),
      printSystem_(printSystem ? std::move(printSystem) : makeSystemPrintSystem()),
      showMessage_(showMessage ? std::move(showMessage) : MessageFn(messageBox)),
      printer_(*printSystem_) {}

ReportWorkflow::~ReportWorkflow() {
  // The preview prints through printer_, so it goes first.
  delete printerpre_.data();
  delete printerset_.data();
}

PrinterSetWindow* ReportWorkflow::printerset() {
  if (!printerset_) {
    printerset_ = new PrinterSetWindow(language_, mainWindow_);
    if (prefill_) {
      const HeaderPrefill texts = prefill_();
      for (const auto& [name, text] : {std::pair{"Text2", &texts.cableNo},
                                       {"Text3", &texts.fiberNo},
                                       {"Text5", &texts.operatorName}})
        if (!text->isEmpty())
          if (auto* box = printerset_->findChild<QLineEdit*>(QString::fromLatin1(name)))
            box->setText(*text);
    }
    chosenPrinter_.clear();
    connect(printerset_, &PrinterSetWindow::previewRequested, this, &ReportWorkflow::showPreview);
    connect(printerset_, &PrinterSetWindow::printerClicked, this, [this](const QString& name) {
      chosenPrinter_ = name;
      printerset_->showChosenPrinter(name);
    });
    connect(printerset_, &QObject::destroyed, this, [this] { chosenPrinter_.clear(); });
    if (rememberTexts_) {
      if (rememberedTexts_) printerset_->setHeaderTexts(*rememberedTexts_);
      connect(printerset_, &PrinterSetWindow::headerTextsEdited, this, [this] {
        ReportHeader texts = printerset_->headerTexts();
        texts.time.clear();
        rememberedTexts_ = texts;
        emit headerTextsRemembered(texts);
      });
    }
  }
  return printerset_;
}

const PrinterSetWindow* ReportWorkflow::loadedPrinterset() const {
  return printerset_;
}

ReportHeader ReportWorkflow::header() const {
  if (printerset_) return printerset_->headerTexts();
  ReportHeader header = defaultReportHeader(language_, QDateTime::currentDateTime());
  if (rememberTexts_ && rememberedTexts_) {
    const QString time = header.time;
    header = *rememberedTexts_;
    header.time = time;
  }
  // A trace that names its cable, fibre or operator starts the window with them.
  if (prefill_) {
    const HeaderPrefill texts = prefill_();
    if (!texts.cableNo.isEmpty()) header.cableNo = texts.cableNo;
    if (!texts.fiberNo.isEmpty()) header.fiberNo = texts.fiberNo;
    if (!texts.operatorName.isEmpty()) header.operatorName = texts.operatorName;
  }
  return header;
}

void ReportWorkflow::rememberHeaderTexts(const std::optional<ReportHeader>& start) {
  rememberTexts_ = true;
  rememberedTexts_ = start;
  if (printerset_ && start) printerset_->setHeaderTexts(*start);
}

PrintPreviewWindow* ReportWorkflow::printerpre() const {
  return printerpre_;
}

void ReportWorkflow::ListInstalledPrinters() {
  const QStringList names = tracelink::ListInstalledPrinters(*printSystem_);
  // The list keeps what an earlier discovery put there. Having no printer is said when a
  // print is asked for: the preview and its PDF need none.
  if (names.isEmpty()) return;
  printerset()->setPrinterNames(names);
}

void ReportWorkflow::Command5_Click() {
  ListInstalledPrinters();
  PrinterSetWindow* window = printerset();
  window->show();
  window->raise();
  window->activateWindow();
  // A message box closed just now hands the activation back to the main window once its
  // events are processed, which would bury the settings window behind it; raise it again
  // after those events.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!printerset_ || !printerset_->isVisible()) return;
        printerset_->raise();
        printerset_->activateWindow();
      },
      Qt::QueuedConnection);
}

void ReportWorkflow::showPreview() {
  if (!printerpre_) {
    printerset();  // the page reads the header the settings window shows
    // The print button reads the settings window's choice when it is pressed; a closed
    // settings window has no choice, so the current printer is used.
    auto print = [this](const QImage& page) {
      const PrintAttempt attempt = printer_.Print(page, chosenPrinter_);
      if (attempt.outcome == PrintAttempt::Outcome::NoPrinter)
        showMessage_(printerpre_, kNoPrinterInstalled);
      return attempt;
    };
    const ReportSources sources = sources_ ? sources_() : ReportSources{};
    printerpre_ =
        new PrintPreviewWindow(language_, header(), sources, chosenPrinter_, print, mainWindow_);
    if (!saveFolder_.isEmpty()) printerpre_->setPdfSaving(nullptr, saveFolder_);
  }
  printerpre_->show();
  printerpre_->raise();
  printerpre_->activateWindow();
}

}  // namespace tracelink
