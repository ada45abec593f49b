// Files attached to a PDF document, through qpdf's embedded-file helpers. qpdf reports
// what it cannot do by throwing; nothing of that leaves this file.
#include <exception>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "report/cable_report.h"

namespace tracelink {

Result<QByteArray> withAttachments(const QByteArray& pdf, const std::vector<Attachment>& files) {
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    document.processMemoryFile("report", pdf.constData(), static_cast<std::size_t>(pdf.size()));
    QPDFEmbeddedFileDocumentHelper attachments(document);
    for (const Attachment& file : files) {
      QPDFEFStreamObjectHelper stream =
          QPDFEFStreamObjectHelper::createEFStream(document, file.bytes);
      stream.setSubtype("application/octet-stream");
      QPDFFileSpecObjectHelper embedded =
          QPDFFileSpecObjectHelper::createFileSpec(document, file.name, stream);
      embedded.setDescription(file.description);
      attachments.replaceEmbeddedFile(file.name, embedded);
    }
    QPDFWriter writer(document);
    writer.setOutputMemory();
    // The same inputs give the same bytes.
    writer.setDeterministicID(true);
    writer.write();
    const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(out->getBuffer()),
                      static_cast<qsizetype>(out->getSize()));
  } catch (const std::exception& e) {
    return Error{std::string("the attachments could not be added: ") + e.what()};
  }
}

Result<std::vector<Attachment>> readAttachments(const QByteArray& pdf) {
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    document.processMemoryFile("report", pdf.constData(), static_cast<std::size_t>(pdf.size()));
    QPDFEmbeddedFileDocumentHelper attachments(document);
    std::vector<Attachment> files;
    for (const auto& [name, embedded] : attachments.getEmbeddedFiles()) {
      QPDFObjectHandle stream = embedded->getEmbeddedFileStream();
      if (!stream.isStream()) return Error{"attachment '" + name + "' holds no file"};
      const std::shared_ptr<Buffer> data = stream.getStreamData();
      files.push_back(
          {name, embedded->getDescription(),
           std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize())});
    }
    return files;
  } catch (const std::exception& e) {
    return Error{std::string("not a PDF document qpdf can read: ") + e.what()};
  }
}

}  // namespace tracelink
