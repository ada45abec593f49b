// qpdf reports what it cannot do by throwing; nothing of that leaves this file.
#include "report/qpdf_files.h"

#include <exception>
#include <memory>
#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace tracelink::qpdf_files {

namespace {

// An embedded file's stream holding data compressed already: what qpdf's own
// createEFStream makes of the plain bytes (type, size, checksum), but with the data filtered.
QPDFEFStreamObjectHelper deflatedStream(QPDF& document, const EmbeddedFile& file) {
  QPDFObjectHandle stream = document.newStream();
  stream.replaceStreamData(file.bytes, QPDFObjectHandle::newName("/FlateDecode"),
                           QPDFObjectHandle::newNull());
  QPDFObjectHandle params = QPDFObjectHandle::newDictionary();
  params.replaceKey("/Size", QPDFObjectHandle::newInteger(static_cast<long long>(file.size)));
  params.replaceKey("/CheckSum", QPDFObjectHandle::newString(file.md5));
  QPDFObjectHandle dict = stream.getDict();
  dict.replaceKey("/Type", QPDFObjectHandle::newName("/EmbeddedFile"));
  dict.replaceKey("/Params", params);
  return QPDFEFStreamObjectHelper(stream);
}

}  // namespace

std::string deflated(const unsigned char* bytes, std::size_t size) {
  std::string out;
  Pl_String sink("deflated", nullptr, out);
  Pl_Flate flate("deflate", &sink, Pl_Flate::a_deflate);
  flate.write(bytes, size);
  flate.finish();
  return out;
}

std::string attach(const char* pdf, std::size_t size, const std::vector<EmbeddedFile>& files,
                   std::string& out) {
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    document.processMemoryFile("report", pdf, size);
    QPDFEmbeddedFileDocumentHelper attachments(document);
    for (const EmbeddedFile& file : files) {
      QPDFEFStreamObjectHelper stream =
          file.deflated ? deflatedStream(document, file)
                        : QPDFEFStreamObjectHelper::createEFStream(document, file.bytes);
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
