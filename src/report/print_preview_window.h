#pragma once

#include <QWidget>
#include <functional>

#include "record/language.h"
#include "report/report_layout.h"
#include "report/report_printer.h"

class QLabel;
class QPushButton;
class QScrollBar;

namespace tracelink {

class PageView;

// The print preview window ("printerpre"). Loading it composes the report page once into
// the hidden canvas Picture2; the page view Picture1 shows 553 canvas rows from
// 20 x VScroll1; Command1 prints. Closing it deletes it and its page.
class PrintPreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // Prints the page on the printer the settings window names at that moment.
  using PrintFn = std::function<PrintAttempt(const QImage& page)>;

  // printerName is the settings window's chosen printer at load, shown in Label1.
  PrintPreviewWindow(Language language, const ReportHeader& header, const ReportSources& sources,
                     const QString& printerName, PrintFn print, QWidget* parent = nullptr);

  // The composed page canvas.
  const QImage& page() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load(const ReportHeader& header, const ReportSources& sources,
                 const QString& printerName);
  void VScroll1_Change(int value);
  void VScroll1_GotFocus();
  void Command1_Click();

  Language language_;
  PrintFn print_;
  QPushButton* command1_;
  QLabel* label1_;
  PageView* picture2_;
  PageView* picture1_;
  QScrollBar* vScroll1_;
  QLabel* printStatus_;
};

}  // namespace tracelink
