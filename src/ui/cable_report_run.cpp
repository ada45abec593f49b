#include "ui/cable_report_run.h"

#include <QDir>
#include <QFileInfo>

#include "report/cable_xlsx.h"
#include "ui/export_file.h"
#include "ui/qt_text.h"

namespace tracelink {

namespace {

// The Save As dialog asked before the PDF was replaced; the CSV and XLSX go with it.
QString written(const QString& path, std::string_view bytes, Language language) {
  const Status saved = writeExport(path, bytes);
  return saved ? QString() : fromStd(saved.error().text(language));
}

}  // namespace

CableReportOutcome writeCableReport(const cable::Cable& cable, const cable::Limits& limits,
                                    const CableReportInfo& info, const QString& pdfPath) {
  CableReportOutcome outcome;
  const QFileInfo pdf(pdfPath);
  const QString base = QDir(pdf.absolutePath()).filePath(pdf.completeBaseName());
  outcome.csv = base + QStringLiteral(".csv");
  outcome.xlsx = base + QStringLiteral(".xlsx");
  const Language language = info.language;

  CableReportWriter writer(cable, limits, info);
  for (std::size_t row = 0; row < cable.rows.size(); ++row) {
    Result<FibrePage> page = buildFibrePage(cable, row, info);
    if (!page) {
      outcome.problem = fromStd(page.error().text(language));
      return outcome;
    }
    writer.addFibrePage(row, std::move(*page));
  }
  const Result<QByteArray> document = writer.finish();
  if (!document) {
    outcome.problem = QDir::toNativeSeparators(pdfPath) + QStringLiteral(": ") +
                      fromStd(document.error().text(language));
    return outcome;
  }
  outcome.problem = written(
      pdfPath, std::string_view(document->constData(), static_cast<std::size_t>(document->size())),
      language);
  if (!outcome.problem.isEmpty()) return outcome;
  outcome.problem = written(outcome.csv, cable::cableCsv(cable), language);
  if (!outcome.problem.isEmpty()) return outcome;
  const Result<std::string> book = cableXlsx(cable, language, info.events);
  if (!book) {
    outcome.problem = QDir::toNativeSeparators(outcome.xlsx) + QStringLiteral(": ") +
                      fromStd(book.error().text(language));
    return outcome;
  }
  outcome.problem = written(outcome.xlsx, *book, language);
  return outcome;
}

}  // namespace tracelink
