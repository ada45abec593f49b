#include <array>
#include <ostream>
#include <string>

#include "cli_command.h"
#include "files/atomic_file.h"
#include "files/path_text.h"

namespace tracelink::cli {

// Each subcommand lives in its own file and defines one of these; adding a subcommand is
// its declaration here and its entry in the table.
extern const Command kInfoCommand;
extern const Command kCsvCommand;
extern const Command kPlotCommand;
extern const Command kSorCommand;
extern const Command kReportCommand;
extern const Command kMeasureCommand;
extern const Command kAnalyseCommand;
extern const Command kIdentityCommand;
extern const Command kUploadCommand;
// Comparing two traces of one fibre.
extern const Command kBidirCommand;
extern const Command kBendsCommand;
// The cable report.
extern const Command kCableCommand;
extern const Command kVerifyCommand;

std::span<const Command* const> commands() {
  static const std::array table{&kInfoCommand, &kCsvCommand, &kPlotCommand, &kSorCommand,
                                &kReportCommand, &kMeasureCommand, &kAnalyseCommand,
                                &kIdentityCommand, &kUploadCommand,
                                // Comparing two traces of one fibre.
                                &kBidirCommand, &kBendsCommand,
                                // The cable report.
                                &kCableCommand, &kVerifyCommand};
  return table;
}

std::string saveFailureText(const Error& error) {
  std::string text = error.text();
  if (error.code == ErrorCode::AlreadyExists) text += " (--force replaces it)";
  return text;
}

std::optional<std::string> refuseExisting(const std::string& file, bool force) {
  std::error_code ec;
  if (force || !std::filesystem::exists(std::filesystem::symlink_status(pathFromText(file), ec)))
    return std::nullopt;
  return file + ": exists already (--force replaces it)";
}

std::string writeOutput(const std::filesystem::path& path, std::string_view bytes, bool force) {
  const Status written =
      WriteFileAtomically(path, bytes, force ? ExistingFile::Replace : ExistingFile::Keep);
  return written ? std::string() : saveFailureText(written.error());
}

std::string oneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else if (c == '\t') {
      line += "\\t";
    } else if (u < 0x20 || u == 0x7F) {
      static constexpr char kHex[] = "0123456789abcdef";
      line += "\\x";
      line += kHex[u >> 4];
      line += kHex[u & 15];
    } else {
      line += c;
    }
  }
  return line;
}

int fail(std::ostream& err, std::string_view message) {
  // Messages quote arguments and file names, which may hold line breaks; written as
  // escapes they keep the failure on its one line.
  err << "tracelink-cli: " << oneLine(message) << '\n';
  return kExitFailure;
}

}  // namespace tracelink::cli
