#pragma once

#include <QImage>
#include <QString>

#include "report/print_system.h"

namespace tracelink {

// What became of one press of the preview's print button.
struct PrintAttempt {
  enum class Outcome {
    Sent,       // the print system accepted the job
    NoPrinter,  // the system has no printer at all
    NoDefault,  // nothing chosen yet and the system names no default printer
    Failed,     // the printer or its spooler did not take the job; see spool
  };
  Outcome outcome = Outcome::Sent;
  QString printer;  // where the page went, or was meant to go
  SpoolResult spool;
};

// The program's current printer and the print path of the report. The current printer is
// the system's default until a print names an installed printer exactly; from then on that
// one stays current, for later reports too, until the program ends. One lives as long as
// the main window.
class ReportPrinter {
 public:
  explicit ReportPrinter(PrintSystem& system) : system_(system) {}

  // Makes wantedName current when the system lists a printer of exactly that name (an
  // empty or unknown name keeps the current one), then prints the page there.
  PrintAttempt Print(const QImage& page, const QString& wantedName);

  // The printer a print would go to now (empty when there is none).
  QString currentPrinter() const;

 private:
  PrintSystem& system_;
  QString chosen_;  // empty until a print chose one: the system default stands in
};

}  // namespace tracelink
