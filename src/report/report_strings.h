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

// The cable report: its summary, the lines added to each fibre's page, the wording of a
// judged item, and the sheets of its workbook.
struct CableReportStrings {
  QString title;            // the summary's heading and the document's title
  QString cableCaption;     // "Cable:"
  QString operatorCaption;  // "Operator:"
  QString dateCaption;      // "Date:"
  QString limitsCaption;    // "Limits:" before the limits' name and figures
  QString counts;           // {0} fibres, {1} passed, {2} failed
  QString badFiles;         // heading of the files that could not be read
  QString continued;        // {0} the page number of the summary, from 2
  // The summary's fibre table and the workbook's summary sheet.
  QString fibreColumn, fileColumn, foundColumn, wavelengthColumn, lengthColumn, lossColumn,
      dbPerKmColumn, eventsColumn, worstSpliceColumn, worstConnectorColumn, worstReflectanceColumn,
      orlColumn, verdictColumn, firstFailureColumn;
  // {0} fibre, {1} wavelength in nm, {2} the verdict's word, {3} the first failure.
  QString fibreVerdict;
  QString fibreVerdictPass;        // {0} fibre, {1} wavelength in nm, {2} the verdict's word
  QString hashLine;                // {0} SHA-256 as 64 hex digits, {1} the file's name
  QString bothEndsTitle;           // {0} wavelength in nm
  QString fromA, fromB, averaged;  // the direction a figure was read in
  // The limits as the summary states them.
  QString limitSplice, limitConnector, limitReflectance, limitAttenuation, limitLink, limitOrl,
      limitLengthMin, limitLengthMax, limitBidirectional, noLimits;
  // The workbook.
  QString summarySheet, eventsSheet;
  QString directionColumn, eventColumn, distanceColumn, typeColumn, eventLossColumn,
      eventReflectanceColumn, itemColumn;
  QString launch, reflective, nonReflective, gainer, end;  // event types
  QString notJudged;
};

struct ReportStrings {
  PrinterSetStrings printerSet;
  ReportPageStrings page;
  PreviewStrings preview;
  // The cable report.
  CableReportStrings cable;
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
