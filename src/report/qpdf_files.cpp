// qpdf reports what it cannot do by throwing; nothing of that leaves this file.
#include "report/qpdf_files.h"

#include <exception>
#include <memory>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace tracelink::qpdf_files {

std::string attach(const char* pdf, std::size_t size, const std::vector<EmbeddedFile>& files,
                   std::string& out) {
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    document.processMemoryFile("report", pdf, size);
    QPDFEmbeddedFileDocumentHelper attachments(document);
    for (const EmbeddedFile& file : files) {
      QPDFEFStreamObjectHelper stream =
          QPDFEFStreamObjectHelper::createEFStream(document, file.bytes);
      stream.setSubtype("application/octet-stream");
      QPDFFileSpecObjectHelper entry =
          QPDFFileSpecObjectHelper::createFileSpec(document, file.name, stream);
      entry.setDescription(file.description);
      attachments.replaceEmbeddedFile(file.name, entry);
    }
    QPDFWriter writer(document);
    writer.setOutputMemory();
    // The same inputs give the same bytes.
    writer.setDeterministicID(true);
    writer.write();
    const std::shared_ptr<Buffer> written = writer.getBufferSharedPointer();
    out.assign(reinterpret_cast<const char*>(written->getBuffer()), written->getSize());
    return {};
  } catch (const std::exception& e) {
    return e.what();
  }
}

std::string attached(const char* pdf, std::size_t size, std::vector<EmbeddedFile>& out) {
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    document.processMemoryFile("report", pdf, size);
    QPDFEmbeddedFileDocumentHelper attachments(document);
    for (const auto& named : attachments.getEmbeddedFiles()) {
      QPDFObjectHandle stream = named.second->getEmbeddedFileStream();
      if (!stream.isStream()) return "attachment '" + named.first + "' holds no file";
      const std::shared_ptr<Buffer> data = stream.getStreamData();
      out.push_back(
          {named.first, named.second->getDescription(),
           std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize())});
    }
    return {};
  } catch (const std::exception& e) {
    return std::string("not a PDF document qpdf can read: ") + e.what();
  }
}

}  // namespace tracelink::qpdf_files
