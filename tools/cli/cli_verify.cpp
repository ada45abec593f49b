// tracelink-cli verify: a cable report checked against the traces it carries.
#include <fstream>
#include <iterator>
#include <ostream>

#include "cli_command.h"
#include "cli_options.h"
#include "files/path_text.h"
#include "report/report_verify.h"

namespace tracelink::cli {

namespace {

int runVerify(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string file;
  if (const std::string problem = parseOptions(
          args, {"verify", {}}, [](std::string_view, const std::string&) { return std::string(); },
          oneFile(file));
      !problem.empty())
    return fail(err, problem);
  if (file.empty()) return fail(err, "verify: no REPORT.pdf given (see --help)");
  std::ifstream in(pathFromText(file), std::ios::binary);
  if (!in) return fail(err, file + ": cannot be read");
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return fail(err, file + ": cannot be read");
  const Result<VerifyOutcome> outcome =
      verifyCableReport(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
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
