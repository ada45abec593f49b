// Files attached to a PDF document, through qpdf (qpdf_files.h keeps its headers apart).
#include <QCryptographicHash>

#include "report/cable_report.h"
#include "report/qpdf_files.h"

namespace tracelink {

Attachment deflatedAttachment(std::string name, std::string description, std::string_view bytes) {
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
  std::vector<qpdf_files::EmbeddedFile> embedded;
  embedded.reserve(files.size());
  for (const Attachment& file : files)
    embedded.push_back(
        {file.name, file.description, file.bytes, file.deflated, file.size, file.md5});
  std::string out;
  const std::string problem =
      qpdf_files::attach(pdf.constData(), static_cast<std::size_t>(pdf.size()), embedded, out);
  if (!problem.empty()) return Error{"the attachments could not be added: " + problem};
  return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

Result<std::vector<Attachment>> readAttachments(const QByteArray& pdf) {
  std::vector<qpdf_files::EmbeddedFile> found;
  const std::string problem =
      qpdf_files::attached(pdf.constData(), static_cast<std::size_t>(pdf.size()), found);
  if (!problem.empty()) return Error{problem};
  std::vector<Attachment> files;
  files.reserve(found.size());
  for (qpdf_files::EmbeddedFile& f : found)
    files.push_back({std::move(f.name), std::move(f.description), std::move(f.bytes)});
  return files;
}

}  // namespace tracelink
