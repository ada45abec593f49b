#include <ostream>
#include <string>

#include "cli_command.h"
#include "cli_options.h"
#include "cli_sor_input.h"
#include "cli_trace.h"
#include "trace/trace_csv.h"

namespace tracelink::cli {

namespace {

int runCsv(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string file;
  // csv takes no options.
  const std::string problem = parseOptions(
      args, {"csv", {}, false}, [](std::string_view, const std::string&) { return std::string(); },
      oneFile(file));
  if (!problem.empty()) return fail(err, problem);
  if (file.empty()) return fail(err, "csv: no FILE given (see --help)");
  if (isSorFile(file)) {
    Result<SorInput> input = loadSorInput(file);
    if (!input) return fail(err, input.error().text());
    if (!input->record) {
      out << TraceCsv(input->trace);
      out.flush();
      return out ? kExitOk : fail(err, "cannot write the output");
    }
  }
  Result<LoadedTrace> trace = loadTrace(file);
  if (!trace) return fail(err, trace.error().text());
  out << RecordCsv(*trace->record, trace->header, trace->view);
  out.flush();
  if (!out) return fail(err, "cannot write the output");
  return kExitOk;
}

}  // namespace

extern const Command kCsvCommand{
    "csv",
    "csv FILE",
    "Print one line per sample of FILE's full view: distance_m,level_db (distance with the "
    "group index 1.4677, 3 decimals; level in dB, 2 decimals). A SOR file prints its data "
    "points at its own spacing in the frame of its events (3 decimals), levels in dB with 3 "
    "decimals, 0 at the top and negative below; one exported by tracelink prints its record "
    "as the .otdr file did.",
    runCsv,
    {}};

}  // namespace tracelink::cli
