// Files attached to a PDF document, through qpdf (qpdf_files.h keeps its headers apart).
#include <QCryptographicHash>

#include "report/cable_report.h"
#include "report/qpdf_files.h"

namespace tracelink {

Attachment deflatedAttachment(std::string name, std::string description,
                              std::span<const std::uint8_t> bytes) {
  Attachment a;
  a.name = std::move(name);
  a.description = std::move(description);
  a.bytes = qpdf_files::deflated(bytes.data(), bytes.size());
  a.deflated = true;
  a.size = bytes.size();
  a.md5 =
      QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                               QCryptographicHash::Md5)
          .toStdString();
  return a;
}

Result<QByteArray> withAttachments(const QByteArray& pdf, const std::vector<Attachment>& files) {
  std::string out;
  const std::string problem =
      qpdf_files::attach(pdf.constData(), static_cast<std::size_t>(pdf.size()), files, out);
  if (!problem.empty()) return Error{"the attachments could not be added: " + problem};
  return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

Result<std::vector<Attachment>> readAttachments(const QByteArray& pdf) {
  std::vector<Attachment> files;
  const std::string problem =
      qpdf_files::attached(pdf.constData(), static_cast<std::size_t>(pdf.size()), files);
  if (!problem.empty()) return Error{problem};
  return files;
}

}  // namespace tracelink
