#pragma once

#include <QDateTime>
#include <QString>

#include "record/language.h"
#include "report/report_layout.h"
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

// The texts printed on the report page. The refractive index, pulse and amplifier
// captions and the event columns other than the type are the decoder's (recordStrings).
struct ReportPageStrings {
  QString title;
  QString operatorCaption;
  QString fiberTypeCaption;
  QString deviceNameCaption;
  QString cableNoCaption;
  QString fiberNoCaption;
  QString timeCaption;
  QString wavelength;  // the English page words it unlike the info line
  QString plotCaption;
  QString eventsTitle;
  QString typeColumn;  // the English and Chinese pages name the column unlike the table

  // Another maker's trace on the page ("viewer"): the caption before its own wavelength.
  QString wavelengthCaption;
};

// The preview window's captions and the messages of the print button.
struct PreviewStrings {
  QString caption;
  QString command1;
  QString label1Prefix;
  QString label1Suffix;
  QString sentTo;      // {0} printer
  QString notPrinted;  // {0} printer, {1} reason
  QString noPrinter;   // no printer installed at all
  QString noDefault;   // none chosen and no system default
  // Reasons, by SpoolStatus.
  QString notInstalled;
  QString cannotOpen;
  QString cannotStart;
  QString cannotFinish;
  QString refused;  // {0} the print system's words
  // Saving the page as a PDF file.
  QString savePdf;      // the context menu entry
  QString saveCaption;  // the Save As dialog's caption
  QString pdfFilter;    // the dialog's file filter
  QString pdfSaved;     // {0} the file
  QString pdfNotSaved;  // {0} the file and the reason
};

struct ReportStrings {
  PrinterSetStrings printerSet;
  ReportPageStrings page;
  PreviewStrings preview;
};

const ReportStrings& reportStrings(Language language);

// The header the print settings window opens with: its field defaults, and the time now
// in the form its time field shows.
ReportHeader defaultReportHeader(Language language, const QDateTime& now);

// The sentence the preview shows after its print button: where the page went, or which
// printer did not take it and why.
QString describePrintAttempt(const PrintAttempt& attempt, Language language);

// Shown by the print button when the system has no printer; the same text in both builds.
inline const QString kNoPrinterInstalled = QStringLiteral("未找到安装的打印机！");

}  // namespace tracelink
