#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace tracelink::cli {

// tracelink-cli with its arguments (the program name left out): runs the command they name
// and returns the exit status. Output goes to out, failures as one line to err.
int runCli(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace tracelink::cli
