#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cable/limits.h"
#include "cable/summary.h"
#include "cable/verdict.h"
#include "compare/event_list.h"
#include "record/language.h"
#include "record/result.h"
#include "report/qpdf_files.h"
#include "report/report_layout.h"
#include "report/report_pdf.h"

namespace tracelink {

// The cable report: a summary (cable, operator, date, the limits, every fibre's verdict,
// the counts and the files that could not be read), then one report page per fibre with
// its verdict, the SHA-256 of its files and the two-direction tables, and the trace files
// themselves attached, so that whoever receives it can check every figure (verify).

// What the report is about beyond the cable itself, and how it was certified: verify
// certifies the attached traces again the same way.
struct CableReportInfo {
  QString cable;
  QString operatorName;
  QDateTime date;
  Language language = Language::English;
  QString decimalSeparator = QStringLiteral(".");
  cable::Pairing pairing;
  compare::EventSource events = compare::EventSource::InstrumentElseOurs;
};

// The attachments beside the traces: the limits as judged, and how the traces were paired
// and their events taken, with the report's language and decimal separator.
inline constexpr const char* kLimitsAttachment = "limits.json";
inline constexpr const char* kCertifyAttachment = "certify.json";

// The lines a fibre page carries, as verify reads them back.
// "Fibre 3 at 1550 nm: fail, first failure: ..." in the cable's own words for the item.
QString fibreVerdictLine(const cable::FibreRow& row, Language language);
QString hashLine(const std::string& sha256, const QString& fileName, Language language);

// The name each file of the cable is attached under: its own name, with " (2)", " (3)"
// ... before the extension for a later file of a name taken already. Empty for a file
// that could not be read, which is named in the summary and not attached.
std::vector<QString> attachmentNames(const cable::Cable& cable);

// Attachments as qpdf reads and writes them: name, description and bytes; or the bytes
// deflated (a zlib stream, which PDF calls FlateDecode) with the file's own size and MD5,
// made ready on a worker so that the one thread writing the document compresses nothing.
using Attachment = qpdf_files::EmbeddedFile;
Attachment deflatedAttachment(std::string name, std::string description,
                              std::span<const std::uint8_t> bytes);

// A file of the cable read again to be attached, deflated, described by its SHA-256 (its name
// is the writer's to give); refused when it no longer has the hash it was certified with, for
// a report whose pages do not follow from its data is worse than none.
Result<Attachment> certifiedAttachment(const cable::CableFile& file);

// The report page of one fibre: the page `report` makes of the row's first file, with its
// plot's picture made already (most of a page's cost), and the row's files ready to attach.
// Reads the files again; safe on any thread, so that a batch builds pages on its workers.
struct FibrePage {
  ReportHeader header;
  ReportSources sources;
  ReportPdfPicture picture;
  std::vector<std::pair<std::size_t, Attachment>> files;  // index into cable.files, the file
};
Result<FibrePage> buildFibrePage(const cable::Cable& cable, std::size_t row,
                                 const CableReportInfo& info);

// certify.json's content, and back.
std::string certifyJson(const CableReportInfo& info);
struct CertifySettings {
  cable::Pairing pairing;
  compare::EventSource events = compare::EventSource::InstrumentElseOurs;
  Language language = Language::English;
  QString decimalSeparator = QStringLiteral(".");
};
Result<CertifySettings> parseCertifyJson(const std::string& json);

// Writes the document: the summary pages at once, then the fibre pages in row order as
// they are given, and the attachments when finished. Not thread-safe; the pages may be
// built elsewhere. The cable and the limits must outlive the writer.
class CableReportWriter {
 public:
  CableReportWriter(const cable::Cable& cable, const cable::Limits& limits, CableReportInfo info);
  ~CableReportWriter();
  CableReportWriter(const CableReportWriter&) = delete;
  CableReportWriter& operator=(const CableReportWriter&) = delete;

  // The page of cable.rows[row], with its verdict, hashes and two-direction tables.
  void addFibrePage(std::size_t row, FibrePage page);
  int pageCount() const;
  // The document with every readable file attached (as its page brought it, else read
  // again here and checked against the hash it was certified with) and the two settings
  // attachments.
  Result<QByteArray> finish();

 private:
  const cable::Cable& cable_;
  const cable::Limits& limits_;
  CableReportInfo info_;
  std::vector<QString> names_;
  std::vector<std::optional<Attachment>> attachments_;  // by file, as the pages brought them
  std::unique_ptr<ReportPdfWriter> pdf_;
};

Result<QByteArray> withAttachments(const QByteArray& pdf, const std::vector<Attachment>& files);
Result<std::vector<Attachment>> readAttachments(const QByteArray& pdf);

}  // namespace tracelink
