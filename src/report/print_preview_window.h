#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "record/language.h"
#include "report/report_layout.h"
#include "report/report_printer.h"

class QAction;
class QLabel;
class QPushButton;
class QScrollBar;

namespace tracelink {

class PageView;
class PdfSaveDialog;

// The print preview window ("printerpre"). Loading it composes the report page once into
// the hidden canvas Picture2; the page view Picture1 shows 553 canvas rows from
// 20 x VScroll1; Command1 prints. "Save PDF…" (the page view's context menu, Ctrl+S)
// writes the same page as a PDF file. Closing it deletes it and its page.
class PrintPreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // Prints the page on the printer the settings window names at that moment. A NoPrinter
  // outcome is shown under the page only; the function itself tells the user.
  using PrintFn = std::function<PrintAttempt(const QImage& page)>;

  // printerName is the settings window's chosen printer at load, shown in Label1.
  PrintPreviewWindow(Language language, const ReportHeader& header, const ReportSources& sources,
                     const QString& printerName, PrintFn print, QWidget* parent = nullptr);

  ~PrintPreviewWindow() override;

  // The composed page canvas.
  const QImage& page() const;

  // Where "Save PDF…" asks for the file and the folder it starts in. By default the
  // toolkit's Save As dialog and the folder "save" beside the program.
  void setPdfSaving(std::unique_ptr<PdfSaveDialog> dialog, const QString& saveFolder);

  // "Save PDF…": asks for a file, writes the page there as a PDF (replacing a file the
  // user agreed to replace) and shows what became of it under the page view.
  void SavePdf();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load(const ReportHeader& header, const ReportSources& sources,
                 const QString& printerName);
  void VScroll1_Change(int value);
  void VScroll1_GotFocus();
  void Command1_Click();
  void Picture1_ContextMenu(const QPoint& at);
  void showFailure(const QString& message);

  Language language_;
  PrintFn print_;
  QPushButton* command1_;
  QLabel* label1_;
  PageView* picture2_;
  PageView* picture1_;
  QScrollBar* vScroll1_;
  QLabel* printStatus_;
  QAction* savePdf_;
  // What the page was composed from, for the PDF.
  ReportHeader header_;
  ReportSources sources_;
  std::unique_ptr<PdfSaveDialog> saveDialog_;
  QString saveFolder_;
};

}  // namespace tracelink
