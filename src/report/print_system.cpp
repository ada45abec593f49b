#include "report/print_system.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "report/page_geometry.h"

#ifdef TRACELINK_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace tracelink {

namespace {

// Qt hands a finished document to CUPS without looking at the answer, so a queue that
// refuses the job still ends the painter successfully. libcups keeps the status of the
// last request on this thread, which is that submission; read it back.
SpoolResult spoolerVerdict() {
#ifdef TRACELINK_HAVE_CUPS
  if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
    return {SpoolStatus::Refused, QString::fromUtf8(cupsLastErrorString())};
#endif
  return {};
}

class QtPrintSystem final : public PrintSystem {
 public:
  QStringList printerNames() const override { return QPrinterInfo::availablePrinterNames(); }

  QString defaultPrinterName() const override { return QPrinterInfo::defaultPrinterName(); }

  SpoolResult printImage(const QString& printerName, const QImage& page,
                         const QString& documentName) override {
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    if (info.isNull()) return {SpoolStatus::NotInstalled, {}};
    QPrinter printer(info, QPrinter::HighResolution);
    // For a printer it cannot open QPrinter quietly falls back to another one or to PDF
    // output; never let a report go elsewhere than asked.
    if (!printer.isValid() || printer.printerName() != printerName)
      return {SpoolStatus::CannotOpen, {}};
    printer.setFullPage(false);  // the painter's origin is the printable area's top-left
    printer.setDocName(documentName);

    QPainter painter;
    if (!painter.begin(&printer)) return {SpoolStatus::CannotStart, {}};
    const double widthInches = double(page.width()) * kTwipsPerPixel / kTwipsPerInch;
    const double heightInches = double(page.height()) * kTwipsPerPixel / kTwipsPerInch;
    painter.drawImage(
        QRectF(0.0, 0.0, widthInches * printer.logicalDpiX(), heightInches * printer.logicalDpiY()),
        page);
    if (!painter.end() || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted)
      return {SpoolStatus::CannotFinish, {}};
    return spoolerVerdict();
  }
};

}  // namespace

std::unique_ptr<PrintSystem> makeSystemPrintSystem() {
  return std::make_unique<QtPrintSystem>();
}

}  // namespace tracelink
