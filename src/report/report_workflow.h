#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "record/language.h"
#include "report/print_system.h"
#include "report/report_layout.h"
#include "report/report_printer.h"

class QWidget;

namespace tracelink {

class PrinterSetWindow;
class PrintPreviewWindow;

// The report workflow behind the main window's print button. The main window owns one for
// its whole life and wires it like this:
//
//   report_ = new ReportWorkflow(language, [this] { return reportSources(); }, this);
//   connect(Command5, &QPushButton::clicked, report_, &ReportWorkflow::Command5_Click);
//
// where reportSources() returns the hidden value boxes Text4(0), (1), (3), (5), a copy of
// the plot canvas Picture3 and a copy of the decoded values. It is called when the preview
// window loads, so the page shows what the main window holds at that moment.
//
// The workflow is a child of mainWindow and goes with it (holding it in a unique_ptr member
// instead is fine too). It owns the settings window (printerset), the preview (printerpre)
// and the current printer. Both windows are secondary top-level windows of mainWindow,
// created on first use and deleted when the user closes them; the current printer lasts as
// long as the workflow. The real printers are reached through Qt's printer support (CUPS
// here): a failed or refused print is shown in the preview, naming the printer and why.
// What the trace on screen states for the settings window's fields; an empty text leaves
// the field's default.
struct HeaderPrefill {
  QString cableNo;
  QString fiberNo;
  QString operatorName;
};

class ReportWorkflow : public QObject {
  Q_OBJECT

 public:
  using SourcesFn = std::function<ReportSources()>;
  using PrefillFn = std::function<HeaderPrefill()>;
  // Shows a plain message with an OK button over parent.
  using MessageFn = std::function<void(QWidget* parent, const QString& text)>;

  // printSystem and showMessage default to the real printers and a modal message box.
  ReportWorkflow(Language language, SourcesFn sources, QWidget* mainWindow,
                 std::unique_ptr<PrintSystem> printSystem = nullptr, MessageFn showMessage = {});
  ~ReportWorkflow() override;

  // The print button: lists the installed printers in the settings window (with none,
  // the earlier list stays), then shows the settings window, modeless. Preview and PDF
  // need no printer; the preview's print button says when there is none at all.
  void Command5_Click();

  // The settings window, loaded now if it is not (as any use of it loads it).
  PrinterSetWindow* printerset();
  // The texts the settings window starts with in place of its defaults, asked for when it
  // loads (and by header() while it is not loaded).
  void setHeaderPrefill(PrefillFn prefill) { prefill_ = std::move(prefill); }
  // Where the preview's Save PDF starts (the program's save folder).
  void setSaveFolder(const QString& folder) { saveFolder_ = folder; }

  // The settings window, or nullptr while it is not loaded (nothing is loaded by asking).
  const PrinterSetWindow* loadedPrinterset() const;
  // The report's header values (device, cable, fibre, fibre type, operator, time), which
  // the report and the SOR export read: as the settings window shows them while it is
  // loaded, else as it would open with them now (its defaults and the time now). Closing
  // the window brings its defaults back, as it always did.
  ReportHeader header() const;
  // From now on the settings window opens with the texts last typed into it (device,
  // cable, fibre, fibre type, operator) instead of its defaults, starting with start when
  // given; each edit is announced with headerTextsRemembered. Without this call, closing
  // the window brings its defaults back, as it always did.
  void rememberHeaderTexts(const std::optional<ReportHeader>& start);
  // The preview window, or nullptr while it is not loaded.
  PrintPreviewWindow* printerpre() const;
  // The program's current printer.
  const ReportPrinter& printer() const { return printer_; }
  // The printer last clicked in the settings window since it was loaded (empty until a
  // click); closing the settings window discards it with the window's other state.
  const QString& chosenPrinter() const { return chosenPrinter_; }

 signals:
  // The settings window's texts changed while they are remembered (time left empty).
  void headerTextsRemembered(const ReportHeader& texts);

 private:
  void ListInstalledPrinters();
  void showPreview();

  Language language_;
  SourcesFn sources_;
  PrefillFn prefill_;
  QWidget* mainWindow_;
  std::unique_ptr<PrintSystem> printSystem_;
  MessageFn showMessage_;
  ReportPrinter printer_;
  QString chosenPrinter_;
  QString saveFolder_;
  bool rememberTexts_ = false;
  std::optional<ReportHeader> rememberedTexts_;
  QPointer<PrinterSetWindow> printerset_;
  QPointer<PrintPreviewWindow> printerpre_;
};

}  // namespace tracelink
