#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "record/result.h"

namespace tracelink::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 2;

// One subcommand: its name, a usage line and a one-line summary for --help, and the
// function that runs it with the arguments after the name. Failures are written to err as
// one line and give kExitFailure.
struct Command {
  std::string_view name;
  std::string_view usage;
  std::string_view summary;
  int (*run)(std::span<const std::string> args, std::ostream& out, std::ostream& err);
};

// Every subcommand, in the order --help lists them (cli_commands.cpp).
std::span<const Command* const> commands();

// The words of a failed save; a refused existing file says how to replace it.
std::string saveFailureText(const Error& error);

// Writes "tracelink-cli: <message>" and a line end to err and returns kExitFailure.
int fail(std::ostream& err, std::string_view message);

}  // namespace tracelink::cli
