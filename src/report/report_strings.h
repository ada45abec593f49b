#pragma once

#include <QString>
#include <array>

#include "record/language.h"
#include "report/report_printer.h"

namespace tracelink {

// The print settings window's captions and the defaults of its fields.
struct PrinterSetStrings {
  QString caption;
  QString frame1;  // user settings
  QString frame2;  // printer choice
  QString label1, label2, label3, label4, label5, label6, label7;
  QString command1;
  QString text1, text2, text3, text4, text5;  // field defaults
};

// The texts printed on the report page.
struct ReportPageStrings {
  QString title;
  QString operatorCaption;
  QString fiberTypeCaption;
  QString deviceNameCaption;
  QString cableNoCaption;
  QString fiberNoCaption;
  QString timeCaption;
  QString iorCaption;
  QString pulseCaption;
  QString ampCaption;
  QString wavelength;
  QString plotCaption;
  QString eventsTitle;
  std::array<QString, 5> columns;  // No., type, distance, loss, IL
};

// The preview window's captions and the messages of the print button.
struct PreviewStrings {
  QString caption;
  QString command1;
  QString label1Prefix;
  QString label1Suffix;
  QString sentTo;      // %1 printer
  QString notPrinted;  // %1 printer, %2 reason
  QString noPrinter;   // no printer installed at all
  QString noDefault;   // none chosen and no system default
  // Reasons, by SpoolStatus.
  QString notInstalled;
  QString cannotOpen;
  QString cannotStart;
  QString cannotFinish;
  QString refused;  // %1 the print system's words
  // Saving the page as a PDF file.
  QString savePdf;      // the context menu entry
  QString saveCaption;  // the Save As dialog's caption
  QString pdfFilter;    // the dialog's file filter
  QString pdfSaved;     // %1 the file
  QString pdfNotSaved;  // %1 the file and the reason
};

struct ReportStrings {
  PrinterSetStrings printerSet;
  ReportPageStrings page;
  PreviewStrings preview;
};

const ReportStrings& reportStrings(Language language);

// The sentence the preview shows after its print button: where the page went, or which
// printer did not take it and why.
QString describePrintAttempt(const PrintAttempt& attempt, Language language);

// Shown by the print button when the system has no printer; the same text in both builds.
inline const QString kNoPrinterInstalled = QStringLiteral("未找到安装的打印机！");

}  // namespace tracelink
