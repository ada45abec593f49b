// tracelink-cli verify: a cable report checked against the traces it carries.
#include <cstdint>
#include <limits>
#include <ostream>
#include <vector>

#include "cli_command.h"
#include "cli_options.h"
#include "files/path_text.h"
#include "files/record_file.h"
#include "report/report_verify.h"

namespace tracelink::cli {

namespace {

// The largest document the PDF reader takes (its sizes are int); verifyCableReport refuses
// anything larger as "too large a document to read".
constexpr std::uintmax_t kMaxReportBytes = std::numeric_limits<int>::max();

int runVerify(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string file;
  if (const std::string problem = parseOptions(
          args, {"verify", {}}, [](std::string_view, const std::string&) { return std::string(); },
          oneFile(file));
      !problem.empty())
    return fail(err, problem);
  if (file.empty()) return fail(err, "verify: no REPORT.pdf given (see --help)");
  // A folder, a pipe or a device is no report; a file larger than the document reader
  // takes is refused before it is read into memory.
  const Result<std::vector<std::uint8_t>> bytes =
      ReadFileBytes(pathFromText(file), kMaxReportBytes);
  if (!bytes)
    return fail(err, file + (bytes.error().code == ErrorCode::FileTooLarge
                                 ? ": too large a document to read"
                                 : ": cannot be read"));
  // The checks only read the document: no copy of it is made.
  const Result<VerifyOutcome> outcome = verifyCableReport(QByteArray::fromRawData(
      reinterpret_cast<const char*>(bytes->data()), static_cast<qsizetype>(bytes->size())));
  if (!outcome) return fail(err, file + ": " + outcome.error().text());
  for (const std::string& line : outcome->mismatches) out << oneLine(line) << '\n';
  if (outcome->ok())
    out << file << ": " << outcome->pages << " pages, " << outcome->traces << " traces, "
        << outcome->fibres << " fibres: all match\n";
  out.flush();
  return outcome->ok() ? kExitOk : kExitFailure;
}

}  // namespace

extern const Command kVerifyCommand{
    "verify",
    "verify REPORT.pdf",
    "Check a cable report against itself: each attached trace's SHA-256 against the page "
    "that names it, and each fibre's verdict, judged again from the attached traces and "
    "limits, against its page. Prints one line per page that does not match; the exit "
    "status is 0 only when everything matches.",
    runVerify,
    {}};

}  // namespace tracelink::cli
