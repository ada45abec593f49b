#include "cli_trace.h"

#include <cstdio>

#include "cli_sor_input.h"
#include "files/path_text.h"

namespace tracelink::cli {

Result<LoadedTrace> loadTrace(const std::string& path) {
  // One of our own SOR exports gives its record back; a foreign one has none.
  if (isSorFile(path)) {
    Result<SorInput> input = loadSorInput(path);
    if (!input) return input.error();
    if (!input->record) return Error{path + ": a SOR file without a tracelink record"};
    return std::move(*input->record);
  }
  return LoadTraceFile(pathFromText(path));
}

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + '"';
}

}  // namespace tracelink::cli
