#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

namespace tracelink {

// The outcome of handing one page to the print system.
enum class SpoolStatus {
  Accepted,      // the print system took the job
  NotInstalled,  // no printer of that name
  CannotOpen,    // the printer is listed but could not be set up
  CannotStart,   // the document could not be started
  CannotFinish,  // the document could not be completed
  Refused,       // the spooler refused the job; detail holds its reason
};

struct SpoolResult {
  SpoolStatus status = SpoolStatus::Accepted;
  QString detail;  // the print system's own words, when it gave any
  bool accepted() const { return status == SpoolStatus::Accepted; }
};

// The operating system's printers as the report needs them. The real one reaches the
// system through Qt (CUPS on Linux); tests substitute their own list.
class PrintSystem {
 public:
  virtual ~PrintSystem() = default;
  // The installed printers' names in the order the system lists them.
  virtual QStringList printerNames() const = 0;
  // The system's default printer, or an empty string when there is none.
  virtual QString defaultPrinterName() const = 0;
  // Prints the image as one page on the named printer, its top-left at the top-left of the
  // printable area, at the physical size of its pixels at kTwipsPerPixel; the job is
  // reported as accepted only when the print system took it.
  virtual SpoolResult printImage(const QString& printerName, const QImage& page,
                                 const QString& documentName) = 0;
};

std::unique_ptr<PrintSystem> makeSystemPrintSystem();

}  // namespace tracelink
