#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "record/language.h"
#include "record/result.h"
#include "report/report_layout.h"

class QBuffer;
class QPainter;
class QPdfWriter;

namespace tracelink {

// The report as a PDF document, page after page: the same composition as the page canvas,
// drawn on an A4 portrait page and scaled to fit it whole, with real text, the plot canvas
// embedded pixel for pixel and the rules as lines. The document's title is the report's
// title, its subject the cable and fibre numbers, its creator the program.
// A page's plot canvas as the document stores it (a compressed image object). Making it
// is most of the cost of a page and needs nothing of the document, so a batch makes it on
// its own threads (reportPdfPicture) and hands it to addPage, which then only draws.
struct ReportPdfPicture {
  QByteArray objectBody;  // empty for a page without a plot canvas
};
ReportPdfPicture reportPdfPicture(const QImage& plotCanvas);

class ReportPdfWriter {
 public:
  ReportPdfWriter(Language language, QString decimalSeparator);
  ~ReportPdfWriter();
  ReportPdfWriter(const ReportPdfWriter&) = delete;
  ReportPdfWriter& operator=(const ReportPdfWriter&) = delete;

  // Adds one page. Pages come out in the order they were added.
  void addPage(const ReportHeader& header, const ReportSources& sources);
  // The same with the plot canvas made beforehand: reportPdfPicture(sources.plotCanvas)
  // (an empty picture is made here). The document is the same byte for byte.
  void addPage(const ReportHeader& header, const ReportSources& sources, ReportPdfPicture picture);
  int pageCount() const { return pages_; }

  // Ends the document and returns its bytes; the writer takes no more pages afterwards.
  // A failure is a code (PdfNoPage, PdfCannotDraw, ...) for the caller to word; it names
  // no file, since the writer writes none.
  Result<QByteArray> finish();

 private:
  // Starts the next page (the first: begins painting); false, and the writer failed, when
  // the toolkit refuses.
  bool beginPage();

  Language language_;
  QString decimalSeparator_;
  QString fontFamily_;
  std::unique_ptr<QByteArray> bytes_;
  std::unique_ptr<QBuffer> buffer_;
  std::unique_ptr<QPdfWriter> writer_;
  std::unique_ptr<QPainter> painter_;
  QStringList subjects_;              // one "cable, fibre" entry per distinct pair, in page order
  std::vector<QByteArray> pictures_;  // each page's plot canvas as an image object's body
  int pages_ = 0;
  bool failed_ = false;
  bool finished_ = false;

 public:
  // For documents of more than report pages (the cable report). A page with nothing of
  // the report on it; subject, when not empty, joins the document's subject.
  void addEmptyPage(const QString& subject);
  // Draws over the page added last, in canvas pixels as the report page is laid out
  // (kPagePixelWidth x kPagePixelHeight), in the report's face. Texts and lines only: the
  // document's images are the pages' plots, replaced in order when it is finished.
  void drawOnPage(const std::function<void(QPainter&, const QString& fontFamily)>& draw);
};

// A document's A4 portrait pages without margins, at a resolution fine enough that the
// rules and glyph positions of the canvas land on whole device units, with its title and
// the program as its creator.
void setUpA4Document(QPdfWriter& writer, const QString& title);
// Maps the report canvas (kPagePixelWidth x kPagePixelHeight) onto the writer's page,
// replacing the painter's transform: the canvas is taller than A4 in proportion, so its
// height fills the page and it is centred across; nothing of it is cut.
void mapCanvasOntoPage(QPainter& painter, const QPdfWriter& writer);

// One page as a PDF document in memory.
Result<QByteArray> ReportPdf(const ReportHeader& header, const ReportSources& sources,
                             Language language, const QString& decimalSeparator);

// The file name a saved report suggests: cable number, fibre number and the trace's base
// name, those that are not empty, joined by "_", with characters that no file name may
// hold replaced, and ".pdf"; "report.pdf" when all are empty.
QString suggestedReportName(const ReportHeader& header, const QString& traceName);

}  // namespace tracelink
