#pragma once

// Runs the poppler tools on a PDF file and reads back what they say.
#include <sys/wait.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace tracelink::test {

inline std::string readText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string shellQuoted(const std::filesystem::path& p) {
  std::string out = "'";
  for (const char c : p.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The standard output of a shell command, or "<exit N>" when it failed.
inline std::string commandOutput(const std::string& command, const std::filesystem::path& scratch) {
  const std::filesystem::path out = scratch / "command.out";
  const int status = std::system((command + " >" + shellQuoted(out) + " 2>/dev/null").c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return "<exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ">";
  return readText(out);
}

// pdftotext of one page (or all with page 0), every run of white space made one blank.
inline std::string pdfText(const std::filesystem::path& pdf, const std::filesystem::path& scratch,
                           int page = 0) {
  const std::string range =
      page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
  return commandOutput("pdftotext -enc UTF-8" + range + " " + shellQuoted(pdf) + " -", scratch);
}

inline std::string withoutBlanks(const std::string& text) {
  std::string out;
  for (const char c : text)
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t' && c != '\f') out += c;
  return out;
}

// The value of one "Key: value" line of pdfinfo.
inline std::string pdfInfo(const std::filesystem::path& pdf, const std::filesystem::path& scratch,
                           const std::string& key) {
  std::istringstream info(commandOutput("pdfinfo -enc UTF-8 " + shellQuoted(pdf), scratch));
  for (std::string line; std::getline(info, line);) {
    if (!line.starts_with(key + ":")) continue;
    const std::size_t value = line.find_first_not_of(' ', key.size() + 1);
    return value == std::string::npos ? std::string() : line.substr(value);
  }
  return "<no " + key + ">";
}

// The first page rasterised at dpi.
inline QImage pdfRaster(const std::filesystem::path& pdf, const std::filesystem::path& scratch,
                        int dpi) {
  const std::filesystem::path stem = scratch / "raster";
  commandOutput("pdftoppm -r " + std::to_string(dpi) + " -f 1 -l 1 -singlefile -png " +
                    shellQuoted(pdf) + " " + shellQuoted(stem),
                scratch);
  return QImage(QString::fromStdString(stem.string() + ".png"));
}

// The first embedded image, as stored.
inline QImage pdfFirstImage(const std::filesystem::path& pdf,
                            const std::filesystem::path& scratch) {
  const std::filesystem::path stem = scratch / "embedded";
  commandOutput("pdfimages -f 1 -l 1 -png " + shellQuoted(pdf) + " " + shellQuoted(stem), scratch);
  return QImage(QString::fromStdString(stem.string() + "-000.png"));
}

}  // namespace tracelink::test
