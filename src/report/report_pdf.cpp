#include "report/report_pdf.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include "record/version.h"
#include "report/page_geometry.h"
#include "report/report_page.h"
#include "report/report_strings.h"

namespace tracelink {

namespace {

// Fine enough that the rules and glyph positions of the canvas land on whole device units.
constexpr int kPdfResolution = 1200;

QByteArray pdfTextString(const QString& text) {
  QByteArray utf16("\xFE\xFF", 2);
  for (const QChar c : text) {
    utf16 += static_cast<char>(c.unicode() >> 8);
    utf16 += static_cast<char>(c.unicode() & 0xFF);
  }
  return '<' + utf16.toHex().toUpper() + '>';
}

QString subjectOf(const ReportHeader& header, Language language) {
  const ReportPageStrings& s = reportStrings(language).page;
  return s.cableNoCaption + header.cableNo + QStringLiteral("  ") + s.fiberNoCaption +
         header.fiberNo;
}

// The plot canvas as the body of a PDF image object, compressed without loss. Grey
// canvases (the plot is black, grey and white) take one byte a pixel.
QByteArray pictureObjectBody(const QImage& canvas) {
  const QImage rgb = canvas.convertToFormat(QImage::Format_RGB32);
  const bool grey = rgb.allGray();
  const int width = rgb.width();
  const int height = rgb.height();
  QByteArray samples(qsizetype{width} * height * (grey ? 1 : 3), Qt::Uninitialized);
  auto* out = reinterpret_cast<uchar*>(samples.data());
  for (int y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < width; ++x) {
      *out++ = static_cast<uchar>(qRed(line[x]));
      if (!grey) {
        *out++ = static_cast<uchar>(qGreen(line[x]));
        *out++ = static_cast<uchar>(qBlue(line[x]));
      }
    }
  }
  // qCompress puts the length in front of a zlib stream; the stream is what PDF reads.
  const QByteArray zlib = qCompress(samples, 1).mid(4);
  return "<<\n/Type /XObject\n/Subtype /Image\n/Width " + QByteArray::number(rgb.width()) +
         "\n/Height " + QByteArray::number(rgb.height()) + "\n/ColorSpace " +
         (grey ? "/DeviceGray" : "/DeviceRGB") +
         "\n/BitsPerComponent 8\n/Filter /FlateDecode\n/Length " + QByteArray::number(zlib.size()) +
         "\n>>\nstream\n" + zlib + "\nendstream\n";
}

struct XrefEntry {
  int number = 0;
  qsizetype offset = 0;
};

// Qt writes the document with one cross-reference table for objects 0..N-1, each object
// ending in "endobj". The document is written again with the information dictionary
// given the subject and with the stand-in pictures replaced by the plot canvases, in the
// order they were drawn; every other object is copied as it is.
Result<QByteArray> rewriteDocument(const QByteArray& pdf, const QString& subject,
                                   const std::vector<QByteArray>& pictures) {
  const auto bad = [](PdfFault fault) {
    return Error::of(ErrorCode::PdfUnexpected, static_cast<std::int64_t>(fault));
  };
  static const QRegularExpression startRe(QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$"));
  const QRegularExpressionMatch start = startRe.match(QString::fromLatin1(pdf.right(64)));
  if (!start.hasMatch()) return bad(PdfFault::NoXrefOffset);
  const qsizetype xrefAt = start.captured(1).toLongLong();
  static const QRegularExpression headRe(QStringLiteral("^xref\\n0 (\\d+)\\n"));
  const QRegularExpressionMatch head = headRe.match(QString::fromLatin1(pdf.mid(xrefAt, 32)));
  if (xrefAt <= 0 || !head.hasMatch()) return bad(PdfFault::NoXrefTable);
  const int count = head.captured(1).toInt();
  const qsizetype entriesAt = xrefAt + head.capturedLength(0);
  if (count < 1 || entriesAt + qsizetype{count} * 20 > pdf.size())
    return bad(PdfFault::ShortXrefTable);
  std::vector<XrefEntry> objects;
  for (int n = 0; n < count; ++n) {
    const QByteArray entry = pdf.mid(entriesAt + qsizetype{n} * 20, 20);
    if (entry.at(17) == 'n') objects.push_back({n, entry.left(10).toLongLong()});
  }
  std::sort(objects.begin(), objects.end(),
            [](const XrefEntry& a, const XrefEntry& b) { return a.offset < b.offset; });
  const QByteArray trailer = pdf.mid(entriesAt + qsizetype{count} * 20);
  const qsizetype trailerEnd = trailer.indexOf("startxref");
  static const QRegularExpression infoRe(QStringLiteral("/Info\\s+(\\d+)\\s+0\\s+R"));
  const QRegularExpressionMatch info = infoRe.match(QString::fromLatin1(trailer));
  if (objects.empty() || trailerEnd < 0 || !info.hasMatch()) return bad(PdfFault::NoTrailer);
  const int infoNumber = info.captured(1).toInt();

  QByteArray out = pdf.left(objects.front().offset);
  std::vector<qsizetype> offsets(static_cast<std::size_t>(count), 0);
  std::size_t picture = 0;
  for (std::size_t k = 0; k < objects.size(); ++k) {
    const qsizetype from = objects[k].offset;
    const qsizetype to = k + 1 < objects.size() ? objects[k + 1].offset : xrefAt;
    if (to <= from || to > xrefAt) return bad(PdfFault::ObjectOutsideBody);
    const QByteArray object = pdf.mid(from, to - from);
    const QByteArray number = QByteArray::number(objects[k].number) + " 0 obj\n";
    if (!object.startsWith(number)) return bad(PdfFault::ObjectMisplaced);
    offsets[static_cast<std::size_t>(objects[k].number)] = out.size();
    if (objects[k].number == infoNumber) {
      const qsizetype close = object.lastIndexOf(">>");
      if (close < 0) return bad(PdfFault::NoInfoDictionary);
      out += object.left(close) + "/Subject " + pdfTextString(subject) + "\n>>\nendobj\n";
    } else if (object.contains("/Subtype /Image")) {
      if (picture == pictures.size()) return bad(PdfFault::MorePictures);
      out += number + pictures[picture++] + "endobj\n";
    } else {
      out += object;
    }
  }
  if (picture != pictures.size()) return bad(PdfFault::PictureMissing);

  const qsizetype newXref = out.size();
  out += "xref\n0 " + QByteArray::number(count) + "\n";
  for (int n = 0; n < count; ++n) {
    const QByteArray entry = pdf.mid(entriesAt + qsizetype{n} * 20, 20);
    if (entry.at(17) != 'n') {
      out += entry;
      continue;
    }
    out += QByteArray::number(offsets[static_cast<std::size_t>(n)]).rightJustified(10, '0') +
           entry.mid(10);
  }
  out += trailer.left(trailerEnd) + "startxref\n" + QByteArray::number(newXref) + "\n%%EOF\n";
  return out;
}

}  // namespace

void setUpA4Document(QPdfWriter& writer, const QString& title) {
  writer.setResolution(kPdfResolution);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
  writer.setTitle(title);
  writer.setCreator(QString::fromUtf8(kProgramAndVersion.data(),
                                      static_cast<qsizetype>(kProgramAndVersion.size())));
}

void mapCanvasOntoPage(QPainter& painter, const QPdfWriter& writer) {
  const QRectF page(0, 0, writer.width(), writer.height());
  const double scale = std::min(page.width() / kPagePixelWidth, page.height() / kPagePixelHeight);
  painter.resetTransform();
  painter.translate((page.width() - kPagePixelWidth * scale) / 2,
                    (page.height() - kPagePixelHeight * scale) / 2);
  painter.scale(scale, scale);
}

ReportPdfWriter::ReportPdfWriter(Language language, QString decimalSeparator)
    : language_(language),
      decimalSeparator_(std::move(decimalSeparator)),
      fontFamily_(reportFontFamily(language)),
      bytes_(std::make_unique<QByteArray>()),
      buffer_(std::make_unique<QBuffer>(bytes_.get())) {
  buffer_->open(QIODevice::WriteOnly);
  writer_ = std::make_unique<QPdfWriter>(buffer_.get());
  setUpA4Document(*writer_, reportStrings(language_).page.title);
}

ReportPdfWriter::~ReportPdfWriter() {
  if (painter_ && painter_->isActive()) painter_->end();
}

ReportPdfPicture reportPdfPicture(const QImage& plotCanvas) {
  if (plotCanvas.isNull()) return {};
  return {pictureObjectBody(plotCanvas)};
}

bool ReportPdfWriter::beginPage() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(writer_.get())) {
      failed_ = true;
      return false;
    }
  } else if (!writer_->newPage()) {
    failed_ = true;
    return false;
  }
  ++pages_;
  return true;
}

void ReportPdfWriter::addPage(const ReportHeader& header, const ReportSources& sources) {
  addPage(header, sources, ReportPdfPicture{});
}

void ReportPdfWriter::addPage(const ReportHeader& header, const ReportSources& sources,
                              ReportPdfPicture picture) {
  if (finished_ || failed_) return;
  if (!beginPage()) return;
  const QString subject = subjectOf(header, language_);
  if (!subjects_.contains(subject)) subjects_.append(subject);

  mapCanvasOntoPage(*painter_, *writer_);
  // The toolkit would store the plot as a JPEG; a one-pixel stand-in of its own (a new
  // image each page, so none is shared) marks the place and is replaced by the canvas
  // itself, without loss, when the document is finished.
  QImage standIn;
  if (!sources.plotCanvas.isNull()) {
    standIn = QImage(1, 1, QImage::Format_RGB32);
    standIn.fill(Qt::white);
    // A picture not made beforehand is made here.
    pictures_.push_back(picture.objectBody.isEmpty() ? pictureObjectBody(sources.plotCanvas)
                                                     : std::move(picture.objectBody));
  }
  drawReportPage(*painter_, layoutReportPage(header, sources, language_, decimalSeparator_),
                 sources.plotCanvas, fontFamily_, PageDevice::Document, &standIn);
}

Result<QByteArray> ReportPdfWriter::finish() {
  if (finished_) return Error::of(ErrorCode::PdfFinished);
  finished_ = true;
  if (failed_ || !painter_)
    return Error::of(pages_ == 0 && !failed_ ? ErrorCode::PdfNoPage : ErrorCode::PdfCannotDraw);
  if (!painter_->end()) return Error::of(ErrorCode::PdfCannotEnd);
  buffer_->close();
  return rewriteDocument(*bytes_, subjects_.join(QStringLiteral("; ")), pictures_);
}

Result<QByteArray> ReportPdf(const ReportHeader& header, const ReportSources& sources,
                             Language language, const QString& decimalSeparator) {
  ReportPdfWriter writer(language, decimalSeparator);
  writer.addPage(header, sources);
  return writer.finish();
}

QString suggestedReportName(const ReportHeader& header, const QString& traceName) {
  QStringList parts;
  const QString base = QFileInfo(traceName).completeBaseName();
  for (const QString& part : {header.cableNo, header.fiberNo, base}) {
    QString clean;
    for (const QChar c : part.trimmed())
      clean += c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c) ? QChar('_') : c;
    if (!clean.isEmpty()) parts.append(clean);
  }
  if (parts.isEmpty()) return QStringLiteral("report.pdf");
  return parts.join(QChar('_')) + QStringLiteral(".pdf");
}

void ReportPdfWriter::addEmptyPage(const QString& subject) {
  if (finished_ || failed_) return;
  if (!beginPage()) return;
  if (!subject.isEmpty() && !subjects_.contains(subject)) subjects_.append(subject);
}

void ReportPdfWriter::drawOnPage(
    const std::function<void(QPainter&, const QString& fontFamily)>& draw) {
  if (finished_ || failed_ || !painter_) return;
  // The canvas placed on the page as addPage places it.
  painter_->save();
  mapCanvasOntoPage(*painter_, *writer_);
  draw(*painter_, fontFamily_);
  painter_->restore();
}

}  // namespace tracelink
