#pragma once

#include <optional>
#include <ostream>
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

// The options both commands take: --ours, --lang and --tolerance. nullopt when name is
// none of them; else the problem with the value, empty when it was taken.
inline std::optional<std::string> sharedCompareOption(std::string_view name,
                                                      const std::string& value,
                                                      compare::EventSource& events,
                                                      Language& language,
                                                      std::optional<double>& toleranceM) {
  if (name == "--ours") {
    events = compare::EventSource::Ours;
  } else if (name == "--lang") {
    return takeLanguage(value, language);
  } else if (name == "--tolerance") {
    const std::optional<double> m = plainNumber(value);
    if (!m || *m < 0 || *m > kMaxToleranceM)
      return "--tolerance needs a distance in metres from 0 to 100000, not '" + value + "'";
    toleranceM = m;
  } else {
    return std::nullopt;
  }
  return std::string();
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

// A comparison the core refuses is no failure of the program: its own status, 1.
inline constexpr int kExitRefused = 1;
inline int refuse(std::ostream& err, std::string_view message) {
  fail(err, message);
  return kExitRefused;
}

}  // namespace tracelink::cli
