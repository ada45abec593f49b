#pragma once

// The only place that speaks to qpdf. Its headers do not compile as C++20 with every
// compiler we build with (clang 14 with libstdc++ 12 rejects qpdf's JSON as an incomplete
// type in a constexpr vector), so this file and its .cpp stay plain C++17 with standard
// types only, and the rest of the report speaks to it through them.
#include <cstddef>
#include <string>
#include <vector>

namespace tracelink::qpdf_files {

// A file's bytes as they are, or deflated (see deflated()) with the file's size and MD5.
struct EmbeddedFile {
  std::string name;
  std::string description;
  std::string bytes;
  bool deflated = false;
  std::size_t size = 0;  // the file's, when deflated
  std::string md5 = {};  // the file's 16 bytes, when deflated
};

// The bytes as a zlib stream, PDF's FlateDecode, as qpdf would compress them; on any thread.
std::string deflated(const unsigned char* bytes, std::size_t size);

// The document with the files attached (an attachment of the same name replaced), written
// with a deterministic ID; deflated files are written as they are given, the others
// compressed here. An empty return, else what qpdf said.
std::string attach(const char* pdf, std::size_t size, const std::vector<EmbeddedFile>& files,
                   std::string& out);
// The files attached to a document, in qpdf's order; an empty return, else why not.
std::string attached(const char* pdf, std::size_t size, std::vector<EmbeddedFile>& out);

}  // namespace tracelink::qpdf_files
