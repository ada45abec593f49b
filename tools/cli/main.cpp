// tracelink-cli: the trace-file side of tracelink for batch work and scripts.
#include <iostream>
#include <string>
#include <vector>

#include "cli_command.h"

namespace {

void printHelp(std::ostream& out) {
  out << "Usage: tracelink-cli COMMAND [ARGS]\n"
         "       tracelink-cli --help\n\n"
         "Reads .otdr trace files exactly as the tracelink window loads them, and SOR files of\n"
         "any maker.\n\n"
         "Commands:\n";
  for (const tracelink::cli::Command* c : tracelink::cli::commands())
    out << "  " << c->usage << "\n      " << c->summary << "\n";
  out << "\nExit status: 0 on success; 2 on any failure, with one line on standard error\n"
         "naming the file and what is wrong (for example \"trace.otdr: field 4001 is not a\n"
         "number\", \"ends after 5000 of 8000 fields\", \"block count 16 is outside 1..15\").\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tracelink::cli;
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (args.empty()) return fail(std::cerr, "no command given (see --help)");
  const std::string& name = args.front();
  if (name == "--help" || name == "-h" || name == "help") {
    printHelp(std::cout);
    return kExitOk;
  }
  for (const Command* c : commands()) {
    if (c->name != name) continue;
    const std::span<const std::string> rest(args.begin() + 1, args.end());
    for (const std::string& a : rest) {
      if (a == "--help" || a == "-h") {
        std::cout << "Usage: tracelink-cli " << c->usage << "\n" << c->summary << "\n";
        return kExitOk;
      }
    }
    return c->run(rest, std::cout, std::cerr);
  }
  return fail(std::cerr, "unknown command '" + name + "' (see --help)");
}
