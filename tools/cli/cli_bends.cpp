#include <optional>
#include <ostream>
#include <string>
#include <variant>

#include "analysis/thresholds.h"
#include "cli_command.h"
#include "cli_compare.h"
#include "cli_options.h"
#include "cli_trace.h"
#include "compare/bends.h"
#include "compare/compare_strings.h"
#include "record/fill_in.h"

namespace tracelink::cli {

namespace {

struct BendArgs : CompareArgs {
  compare::BendOptions options;
};

constexpr OptionRule kBendOptions[] = {{"--json"},
                                       {"--delta-db", true, "a loss in dB"},
                                       {"--tolerance", true, "a distance in metres"},
                                       {"--ours"},
                                       {"--lang", true}};

std::string parseBendArgs(std::span<const std::string> args, BendArgs& o) {
  return parseCompareArgs(
      args, {"bends", kBendOptions}, "one fibre at two wavelengths", o, o.options,
      [&](std::string_view, const std::string& value) -> std::string {
        // --delta-db, the one option of bends alone.
        const std::optional<double> db = plainNumber(value);
        if (!db || !analysis::validSpliceDb(*db))
          return "--delta-db needs a loss in dB above 0 and up to 60, not '" + value + "'";
        o.options.deltaDb = *db;
        return {};
      });
}

void writeJson(std::ostream& out, const std::string& fileShort, const std::string& fileLong,
               const compare::BendResult& r) {
  out << "{\"fileShort\":" << jsonString(fileShort) << ",\"fileLong\":" << jsonString(fileLong)
      << ",\"wavelengthsNm\":[" << jsonFigure(r.shortNm, 1) << ',' << jsonFigure(r.longNm, 1)
      << "],\"deltaDb\":" << jsonFigure(r.deltaDb, kDbDecimals) << ",\"events\":[";
  for (std::size_t i = 0; i < r.events.size(); ++i) {
    const compare::BendEvent& e = r.events[i];
    out << (i ? "," : "") << "{\"no\":" << e.no
        << ",\"distanceM\":" << jsonFigure(e.distanceM, kMetreDecimals)
        << ",\"lossShortDb\":" << jsonFigure(e.lossShortDb, kDbDecimals)
        << ",\"lossLongDb\":" << jsonFigure(e.lossLongDb, kDbDecimals)
        << ",\"bend\":" << (e.bend ? "true" : "false") << '}';
  }
  out << "]}\n";
}

void writeTable(std::ostream& out, Language language, const compare::BendResult& r) {
  const compare::CompareStrings& s = compare::compareStrings(language);
  const std::string shortNm = compare::compactNumber(r.shortNm, 1);
  const std::string longNm = compare::compactNumber(r.longNm, 1);
  out << fillIn(s.bendsHead, {shortNm, longNm, compare::compactNumber(r.deltaDb, kDbDecimals)})
      << '\n'
      << s.number << '\t' << s.distance << '\t' << fillIn(s.lossAt, {shortNm}) << '\t'
      << fillIn(s.lossAt, {longNm}) << '\n';
  for (const compare::BendEvent& e : r.events) {
    out << e.no << '\t' << formatFixed(e.distanceM, kMetreDecimals) << '\t'
        << tableFigure(e.lossShortDb, kDbDecimals) << '\t'
        << tableFigure(e.lossLongDb, kDbDecimals);
    if (e.bend) out << '\t' << s.bend;
    out << '\n';
  }
}

int runBends(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  BendArgs o;
  if (const std::string problem = parseBendArgs(args, o); !problem.empty())
    return fail(err, problem);
  const std::optional<std::pair<Trace, Trace>> traces = loadBoth(o.first, o.second, err);
  if (!traces) return kExitFailure;
  const compare::BendOutcome outcome = compare::findBends(traces->first, traces->second, o.options);
  if (const auto* problem = std::get_if<compare::BendProblem>(&outcome))
    return refuse(err, compare::problemText(*problem, o.first, o.second, o.language));
  const compare::BendResult& r = std::get<compare::BendResult>(outcome);
  if (o.json) {
    writeJson(out, r.firstIsShort ? o.first : o.second, r.firstIsShort ? o.second : o.first, r);
  } else {
    writeTable(out, o.language, r);
  }
  return outputWritten(out, err);
}

}  // namespace

extern const Command kBendsCommand{
    "bends",
    "bends FILE1 FILE2 [--delta-db DB] [--tolerance METRES] [--ours] [--lang en|zh] [--json]",
    "Bends from two wavelengths of one fibre (each file an .otdr file or any maker's SOR "
    "file): the events are matched by distance, and one that loses more than DB (0.5 unless "
    "given) more at the longer wavelength than at the shorter is a bend. The events are the "
    "files' own, or tracelink's analysis where a file has none or with --ours. Two files of "
    "one wavelength are refused (exit status 1). --json prints one object, the shorter "
    "wavelength first.",
    runBends, kBendOptions};

}  // namespace tracelink::cli
