#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli_options.h"
#include "record/result.h"

namespace tracelink::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 2;

// One subcommand: its name, a usage line and a one-line summary for --help, the function
// that runs it with the arguments after the name, and the options it parses them with.
// Failures are written to err as one line and give kExitFailure.
struct Command {
  std::string_view name;
  std::string_view usage;
  std::string_view summary;
  int (*run)(std::span<const std::string> args, std::ostream& out, std::ostream& err);
  std::span<const OptionRule> options;
};

// Every subcommand, in the order --help lists them (cli_commands.cpp).
std::span<const Command* const> commands();

// The words of a failed save; a refused existing file says how to replace it.
std::string saveFailureText(const Error& error);

// An output file that is there already (a link counts, even one that leads nowhere) and
// force not given, refused before any work so that a long run does not end in it:
// "FILE: exists already (--force replaces it)". nullopt when the output may be written.
std::optional<std::string> refuseExisting(const std::string& file, bool force);

// bytes written to path atomically, taking the place of a file there only with force.
// The words of a failure as saveFailureText gives them; the empty string when written.
std::string writeOutput(const std::filesystem::path& path, std::string_view bytes, bool force);

// The text on one line: line breaks and other control characters as escapes (\n, \x1b).
std::string oneLine(std::string_view text);

// Writes "tracelink-cli: <message>" and a line end to err and returns kExitFailure.
int fail(std::ostream& err, std::string_view message);

}  // namespace tracelink::cli
