// What tracelink-cli does with its arguments, apart from the process around it.
#include <ostream>
#include <string>

#include "cli_command.h"
#include "cli_run.h"
#include "record/version.h"

namespace {

void printHelp(std::ostream& out) {
  out << "Usage: tracelink-cli COMMAND [ARGS]\n"
         "       tracelink-cli --help\n"
         "       tracelink-cli --version\n\n"
         "Reads .otdr trace files exactly as the tracelink window loads them, and SOR files of\n"
         "any maker.\n\n"
         "Commands:\n";
  for (const tracelink::cli::Command* c : tracelink::cli::commands())
    out << "  " << c->usage << "\n      " << c->summary << "\n";
  out << "\nExit status: 0 on success; 1 when bidir or bends refuses its two traces; 2 on\n"
         "any other failure, with one line on standard error naming the file and what is\n"
         "wrong (for example \"trace.otdr: field 4001 is not a number\", \"ends after 5000 of\n"
         "8000 fields\", \"block count 16 is outside 1..15\").\n";
}

}  // namespace

namespace tracelink::cli {

int runCli(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return fail(err, "no command given (see --help)");
  const std::string& name = args.front();
  if (name == "--help" || name == "-h" || name == "help") {
    printHelp(out);
    return kExitOk;
  }
  if (name == "--version") {
    out << "tracelink-cli " << kVersion << "\n";
    return kExitOk;
  }
  for (const Command* c : commands()) {
    if (c->name != name) continue;
    const std::span<const std::string> rest(args.begin() + 1, args.end());
    for (const std::string& a : rest) {
      if (a == "--help" || a == "-h") {
        out << "Usage: tracelink-cli " << c->usage << "\n" << c->summary << "\n";
        return kExitOk;
      }
    }
    return c->run(rest, out, err);
  }
  return fail(err, "unknown command '" + name + "' (see --help)");
}

}  // namespace tracelink::cli
