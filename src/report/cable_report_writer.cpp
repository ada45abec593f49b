// The cable report's document: the summary pages, the fibre pages with what the cable
// report adds to each, and the files attached at the end.
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <array>
#include <iterator>

#include "cable/cable_strings.h"
#include "files/path_text.h"
#include "files/record_file.h"
#include "record/fill_in.h"
#include "report/bidir_table.h"
#include "report/cable_report.h"
#include "report/page_geometry.h"
#include "report/report_pdf.h"
#include "report/report_strings.h"
#include "report/report_text.h"
#include "sor/sor_io.h"
#include "trace/sha256.h"

namespace tracelink {

namespace {

using report_text::utf8;

constexpr double kLeft = 30;
constexpr double kRight = kPagePixelWidth - 30;
constexpr double kBottom = kPagePixelHeight - 30;
constexpr double kTitlePx = 20;
constexpr double kTextPx = 12;
constexpr double kTablePx = 10;
constexpr double kHashPx = 9;

QString number(double value, int decimals, const QString& separator) {
  QString text = QString::number(value, 'f', decimals);
  if (separator != QStringLiteral(".")) text.replace(QChar('.'), separator);
  return text;
}

enum class Face { Report, Fixed };

// Texts on a page in canvas pixels, each with its top at y, the next line below it.
class Writing {
 public:
  Writing(QPainter& painter, const QString& family, double y)
      : painter_(painter), family_(family), y_(y) {
    painter_.setPen(Qt::black);
  }
  double y() const { return y_; }
  void skip(double pixels) { y_ += pixels; }

  // One line at x; cut short with an ellipsis past maxRight.
  void at(double x, double px, const QString& text, double maxRight = kRight) {
    const QFont f = font(px);
    painter_.setFont(f);
    const QFontMetricsF metrics(f);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, maxRight - x);
    painter_.drawText(QPointF(x, y_ + metrics.ascent()), shown);
  }
  void line(double px, const QString& text) {
    at(kLeft, px, text);
    next(px);
  }
  // A line that must stay whole (verify reads it back): a smaller face where it is long.
  void wholeLine(double px, const QString& text, Face face = Face::Report) {
    double size = px;
    while (size > 5 && QFontMetricsF(font(size, face)).horizontalAdvance(text) > kRight - kLeft)
      size -= 1;
    const QFont f = font(size, face);
    painter_.setFont(f);
    painter_.drawText(QPointF(kLeft, y_ + QFontMetricsF(f).ascent()), text);
    next(px);
  }
  // Words separated by "; ", wrapped at the right margin.
  void wrapped(double px, const QStringList& parts, const QString& lead) {
    const QFontMetricsF metrics(font(px));
    QString current = lead;
    for (qsizetype i = 0; i < parts.size(); ++i) {
      const QString piece = parts[i] + (i + 1 < parts.size() ? QStringLiteral("; ") : QString());
      if (current != lead && metrics.horizontalAdvance(current + piece) > kRight - kLeft) {
        line(px, current);
        current = QStringLiteral("    ");
      }
      current += piece;
    }
    line(px, current);
  }
  void next(double px) { y_ += px * 1.45; }
  void rule() {
    painter_.drawLine(QLineF(kLeft, y_, kRight, y_));
    y_ += 3;
  }

 private:
  QFont font(double px, Face face = Face::Report) const {
    // Pixel sizes: the painter maps canvas pixels onto the page.
    QFont f(family_);
    // Hashes in a face without ligatures, so that a reader copies them as they are.
    if (face == Face::Fixed) {
      f = QFont(QStringLiteral("monospace"));
      f.setStyleHint(QFont::Monospace);
      f.setFixedPitch(true);
    }
    f.setPixelSize(std::max(1, static_cast<int>(px)));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
  }
  QPainter& painter_;
  QString family_;
  double y_;
};

QStringList limitTexts(const cable::Limits& l, const CableReportStrings& s, const QString& sep) {
  QStringList out;
  const auto add = [&](const std::optional<double>& v, const QString& pattern, int decimals) {
    if (v) out << fillIn(pattern, {number(*v, decimals, sep)});
  };
  add(l.spliceLossMaxDb, s.limitSplice, 2);
  add(l.connectorLossMaxDb, s.limitConnector, 2);
  add(l.reflectanceMaxDb, s.limitReflectance, 1);
  for (const auto& [nm, max] : l.attenuationMaxDbPerKm)
    out << fillIn(s.limitAttenuation, {QString::number(nm), number(max, 3, sep)});
  add(l.linkLossMaxDb, s.limitLink, 2);
  add(l.orlMinDb, s.limitOrl, 1);
  add(l.lengthMinM, s.limitLengthMin, 1);
  add(l.lengthMaxM, s.limitLengthMax, 1);
  if (l.useBidirectional) out << s.limitBidirectional;
  if (out.isEmpty()) out << s.noLimits;
  return out;
}

// The fibre table's columns: left edge of each.
constexpr double kColumns[] = {kLeft, 75, 215, 275, 330, 385, 440};

// One line of the fibre table, each cell cut short before the next column.
void drawRow(Writing& w, const std::array<QString, std::size(kColumns)>& cells) {
  for (std::size_t c = 0; c < cells.size(); ++c)
    w.at(kColumns[c], kTablePx, cells[c],
         c + 1 < std::size(kColumns) ? kColumns[c + 1] - 4 : kRight);
  w.next(kTablePx);
}

void tableHeader(Writing& w, const CableReportStrings& s) {
  drawRow(w, {s.fibreColumn, s.foundColumn, s.lengthColumn, s.lossColumn, s.dbPerKmColumn,
              s.verdictColumn, s.firstFailureColumn});
  w.rule();
}

}  // namespace

Result<Attachment> certifiedAttachment(const cable::CableFile& file) {
  if (!file.trace) return Error{file.path + ": was not certified, so it is not attached"};
  // No trace the program reads is larger than the trace reader's own limit.
  const Result<std::vector<std::uint8_t>> bytes =
      ReadFileBytes(pathFromText(file.path), sor::kMaxSorFileBytes);
  if (!bytes) return Error{file.path + ": cannot be read again to attach it"};
  const std::string sha = Sha256Hex(*bytes);
  if (sha != file.trace->origin.sha256)
    return Error{file.path + ": changed while the report was written (SHA-256 " + sha +
                 ", certified " + file.trace->origin.sha256 + ")"};
  return deflatedAttachment({}, "SHA-256 " + sha, *bytes);
}

CableReportWriter::CableReportWriter(const cable::Cable& cable, const cable::Limits& limits,
                                     CableReportInfo info)
    : cable_(cable),
      limits_(limits),
      info_(std::move(info)),
      names_(attachmentNames(cable)),
      attachments_(cable.files.size()),
      pdf_(std::make_unique<ReportPdfWriter>(info_.language, info_.decimalSeparator)) {
  const CableReportStrings& s = reportStrings(info_.language).cable;
  const QString& sep = info_.decimalSeparator;
  int summaryPage = 1;
  pdf_->addEmptyPage(s.cableCaption + info_.cable);
  // The summary's rows run on over as many pages as they need.
  std::size_t row = 0;
  bool headDone = false;
  while (!headDone || row < cable_.rows.size()) {
    pdf_->drawOnPage([&](QPainter& painter, const QString& family) {
      Writing w(painter, family, 30);
      if (!headDone) {
        w.line(kTitlePx, s.title);
        w.skip(4);
        w.line(kTextPx, s.cableCaption + info_.cable);
        w.line(kTextPx, s.operatorCaption + info_.operatorName);
        w.line(kTextPx, s.dateCaption + info_.date.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        w.wrapped(kTextPx, limitTexts(limits_, s, sep),
                  s.limitsCaption + utf8(limits_.name) + QStringLiteral(": "));
        w.line(kTextPx, fillIn(s.counts, {QString::number(cable_.passed() + cable_.failed()),
                                          QString::number(cable_.passed()),
                                          QString::number(cable_.failed())}));
        // As many of the files that could not be read as leave the table some room; the
        // rest counted, as a folder of nothing but damaged files would fill the page.
        const auto bad = std::count_if(cable_.files.begin(), cable_.files.end(),
                                       [](const cable::CableFile& f) { return !f.trace; });
        if (bad > 0) w.line(kTextPx, s.badFiles);
        qsizetype shown = 0;
        for (const cable::CableFile& f : cable_.files) {
          if (f.trace) continue;
          if (w.y() > kBottom / 2) {
            w.line(kTablePx, QStringLiteral("    … +%1").arg(bad - shown));
            break;
          }
          w.line(kTablePx, QStringLiteral("    ") + utf8(f.error.empty() ? f.path : f.error));
          ++shown;
        }
        w.skip(8);
        headDone = true;
      } else {
        w.line(kTextPx,
               s.title + QStringLiteral(" ") + fillIn(s.continued, {QString::number(summaryPage)}));
        w.skip(4);
      }
      tableHeader(w, s);
      for (; row < cable_.rows.size() && w.y() + kTablePx * 1.45 < kBottom; ++row) {
        const cable::FibreRow& r = cable_.rows[row];
        const cable::Judgement* first = r.verdict.firstFailure();
        drawRow(w, {utf8(r.fibre), utf8(r.found), number(r.lengthM, 1, sep),
                    number(r.lossDb, 2, sep), number(r.dbPerKm, 3, sep),
                    utf8(std::string(cable::verdictWord(first == nullptr, info_.language))),
                    first ? utf8(cable::judgementText(*first, info_.language)) : QString()});
      }
    });
    if (row < cable_.rows.size()) {
      pdf_->addEmptyPage({});
      ++summaryPage;
    }
  }
}

CableReportWriter::~CableReportWriter() = default;

int CableReportWriter::pageCount() const {
  return pdf_->pageCount();
}

void CableReportWriter::addFibrePage(std::size_t row, FibrePage page) {
  const cable::FibreRow& r = cable_.rows.at(row);
  for (auto& [i, file] : page.files) attachments_.at(i) = std::move(file);
  pdf_->addPage(page.header, page.sources, std::move(page.picture));
  pdf_->drawOnPage([&](QPainter& painter, const QString& family) {
    // Below the events list, which ends above this row at eight events.
    Writing w(painter, family, pageUnitToPixel(0, 200).y());
    w.wholeLine(kTextPx, fibreVerdictLine(r, info_.language));
    for (const std::size_t i : r.files) {
      const cable::CableFile& f = cable_.files.at(i);
      if (f.trace)
        w.wholeLine(kHashPx, hashLine(f.trace->origin.sha256, names_[i], info_.language),
                    Face::Fixed);
    }
    const CableReportStrings& s = reportStrings(info_.language).cable;
    for (const compare::BidirResult& both : r.bothEnds) {
      if (w.y() + 3 * kTablePx > kBottom) break;
      w.skip(4);
      w.line(kTablePx, fillIn(s.bothEndsTitle, {QString::number(both.wavelengthNm)}));
      const double used =
          drawBidirTable(painter, QRectF(kLeft, w.y(), kRight - kLeft, kBottom - w.y()), both,
                         info_.language, info_.decimalSeparator);
      w.skip(used);
    }
  });
}

Result<QByteArray> CableReportWriter::finish() {
  const Result<QByteArray> pdf = pdf_->finish();
  if (!pdf) return pdf.error();
  std::vector<Attachment> files;
  for (std::size_t i = 0; i < cable_.files.size(); ++i) {
    if (!cable_.files[i].trace) continue;
    if (!attachments_[i]) {
      Result<Attachment> read = certifiedAttachment(cable_.files[i]);
      if (!read) return read.error();
      attachments_[i] = std::move(*read);
    }
    files.push_back(std::move(*attachments_[i]));
    files.back().name = names_[i].toStdString();
    attachments_[i].reset();
  }
  files.push_back({kLimitsAttachment, "limits", cable::limitsJson(limits_)});
  files.push_back({kCertifyAttachment, "certification settings", certifyJson(info_)});
  return withAttachments(*pdf, files);
}

}  // namespace tracelink
