#include <array>
#include <ostream>

#include "cli_command.h"

namespace tracelink::cli {

// Each subcommand lives in its own file and defines one of these; adding a subcommand is
// its declaration here and its entry in the table.
extern const Command kInfoCommand;
extern const Command kCsvCommand;
extern const Command kPlotCommand;
extern const Command kSorCommand;
extern const Command kReportCommand;
extern const Command kMeasureCommand;

std::span<const Command* const> commands() {
  static const std::array<const Command*, 6> table{&kInfoCommand, &kCsvCommand,    &kPlotCommand,
                                                   &kSorCommand,  &kReportCommand, &kMeasureCommand};
  return table;
}

std::string saveFailureText(const Error& error) {
  std::string text = error.text();
  if (error.code == ErrorCode::AlreadyExists) text += " (--force replaces it)";
  return text;
}

int fail(std::ostream& err, std::string_view message) {
  err << "tracelink-cli: " << message << '\n';
  return kExitFailure;
}

}  // namespace tracelink::cli
