#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "cli_command.h"
#include "cli_options.h"
#include "compare/compare_strings.h"
#include "compare/event_list.h"
#include "files/path_text.h"
#include "measure/measure_text.h"
#include "record/language.h"
#include "trace/load_trace.h"

namespace tracelink::cli {

// What `bidir` and `bends` share: two trace files in, a comparison's figures out.

// A figure in JSON: metres to the centimetre, dB to the thousandth; null for none.
inline std::string jsonFigure(double v, int decimals) {
  return compare::compactNumber(v, decimals);
}
inline std::string jsonFigure(const std::optional<double>& v, int decimals) {
  return v ? compare::compactNumber(*v, decimals) : std::string("null");
}
// The same in a table: "-" for none.
inline std::string tableFigure(const std::optional<double>& v, int decimals) {
  return v ? formatFixed(*v, decimals) : std::string("-");
}

inline constexpr int kMetreDecimals = 2;
inline constexpr int kDbDecimals = 3;

// The longest tolerance that still tells events of a fibre apart.
inline constexpr double kMaxToleranceM = 100'000;

// What both commands are given alike: two files, --json and --lang.
struct CompareArgs {
  std::string first;
  std::string second;
  bool json = false;
  Language language = Language::English;
};

// The arguments of bidir or bends: two files (what "needs two files, ..." says they are)
// and the options both take, --json, --lang, and --ours and --tolerance into options
// (compare::BidirOptions or compare::BendOptions); any other option of the table goes to
// more. The problem, else the empty string.
template <typename Options>
std::string parseCompareArgs(std::span<const std::string> args, const OptionTable& table,
                             std::string_view twoFilesAre, CompareArgs& o, Options& options,
                             const OptionHandler& more) {
  std::size_t files = 0;
  const std::string problem = parseOptions(
      args, table,
      [&](std::string_view name, const std::string& value) -> std::string {
        if (name == "--json") {
          o.json = true;
        } else if (name == "--ours") {
          options.events = compare::EventSource::Ours;
        } else if (name == "--lang") {
          return takeLanguage(value, o.language);
        } else if (name == "--tolerance") {
          const std::optional<double> m = plainNumber(value);
          if (!m || *m < 0 || *m > kMaxToleranceM)
            return "--tolerance needs a distance in metres from 0 to 100000, not '" + value + "'";
          options.toleranceM = m;
        } else {
          return more(name, value);
        }
        return {};
      },
      [&](const std::string& file) -> std::string {
        if (++files > 2) return "takes two files, " + std::string(twoFilesAre);
        (files == 1 ? o.first : o.second) = file;
        return {};
      });
  if (!problem.empty()) return problem;
  if (files < 2)
    return std::string(table.command) + ": needs two files, " + std::string(twoFilesAre) +
           " (see --help)";
  return {};
}

// Both files loaded, or the first failure written to err (naming the file).
inline std::optional<std::pair<Trace, Trace>> loadBoth(const std::string& first,
                                                       const std::string& second,
                                                       std::ostream& err) {
  Result<Trace> a = LoadTrace(pathFromText(first));
  if (!a) {
    fail(err, a.error().text());
    return std::nullopt;
  }
  Result<Trace> b = LoadTrace(pathFromText(second));
  if (!b) {
    fail(err, b.error().text());
    return std::nullopt;
  }
  return std::pair<Trace, Trace>(std::move(*a), std::move(*b));
}

// The end of a run that printed its result: kExitOk, or the failure when the output could
// not take it.
inline int outputWritten(std::ostream& out, std::ostream& err) {
  out.flush();
  if (!out) return fail(err, "cannot write the output");
  return kExitOk;
}

// A comparison the core refuses is no failure of the program: its own status, 1.
inline constexpr int kExitRefused = 1;
inline int refuse(std::ostream& err, std::string_view message) {
  fail(err, message);
  return kExitRefused;
}

}  // namespace tracelink::cli
