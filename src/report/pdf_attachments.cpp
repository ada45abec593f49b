// Files attached to a PDF document, through qpdf (qpdf_files.h keeps its headers apart).
#include "report/cable_report.h"
#include "report/qpdf_files.h"

namespace tracelink {

Result<QByteArray> withAttachments(const QByteArray& pdf, const std::vector<Attachment>& files) {
  std::vector<qpdf_files::EmbeddedFile> embedded;
  embedded.reserve(files.size());
  for (const Attachment& file : files)
    embedded.push_back({file.name, file.description, file.bytes});
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
