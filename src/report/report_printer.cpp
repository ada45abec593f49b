#include "report/report_printer.h"

namespace tracelink {

namespace {

const QString kDocumentName = QStringLiteral("OTDR Report");

}  // namespace

QString ReportPrinter::currentPrinter() const {
  return chosen_.isEmpty() ? system_.defaultPrinterName() : chosen_;
}

PrintAttempt ReportPrinter::Print(const QImage& page, const QString& wantedName) {
  const QStringList installed = system_.printerNames();
  // Exact, case-sensitive match on the whole name; the first listed wins.
  if (!wantedName.isEmpty() && installed.contains(wantedName, Qt::CaseSensitive))
    chosen_ = wantedName;

  PrintAttempt attempt;
  attempt.printer = currentPrinter();
  if (attempt.printer.isEmpty()) {
    attempt.outcome =
        installed.isEmpty() ? PrintAttempt::Outcome::NoPrinter : PrintAttempt::Outcome::NoDefault;
    return attempt;
  }
  attempt.spool = system_.printImage(attempt.printer, page, kDocumentName);
  attempt.outcome =
      attempt.spool.accepted() ? PrintAttempt::Outcome::Sent : PrintAttempt::Outcome::Failed;
  return attempt;
}

}  // namespace tracelink
