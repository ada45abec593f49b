#include <optional>
#include <ostream>
#include <string>
#include <variant>

#include "cli_command.h"
#include "cli_compare.h"
#include "cli_options.h"
#include "cli_sor_plot.h"
#include "cli_trace.h"
#include "compare/bidir.h"
#include "compare/compare_strings.h"
#include "record/fill_in.h"

namespace tracelink::cli {

namespace {

// first is A, the fibre measured from one end; second is B, from the other.
struct BidirArgs : CompareArgs {
  compare::BidirOptions options;
  std::string pdf;  // the two-direction report page goes here
  bool force = false;
};

constexpr OptionRule kBidirOptions[] = {{"--json"},
                                        {"--tolerance", true, "a distance in metres"},
                                        {"--ours"},
                                        {"--lang", true},
                                        {"--pdf", true, "a file name"},
                                        {"--force"}};

std::string parseBidirArgs(std::span<const std::string> args, BidirArgs& o) {
  return parseCompareArgs(args, {"bidir", kBidirOptions}, "the fibre from end A and from end B", o,
                          o.options,
                          [&](std::string_view name, const std::string& value) -> std::string {
                            if (name == "--pdf") {
                              o.pdf = value;
                            } else if (name == "--force") {
                              o.force = true;
                            }
                            return {};
                          });
}

void writeJson(std::ostream& out, const BidirArgs& o, const compare::BidirResult& r) {
  out << "{\"fileA\":" << jsonString(o.first) << ",\"fileB\":" << jsonString(o.second)
      << ",\"wavelengthNm\":" << jsonFigure(r.wavelengthNm, 1)
      << ",\"lengthM\":" << jsonFigure(r.lengthM, kMetreDecimals)
      << ",\"toleranceM\":" << jsonFigure(r.toleranceM, kMetreDecimals) << ",\"events\":[";
  for (std::size_t i = 0; i < r.events.size(); ++i) {
    const compare::BidirEvent& e = r.events[i];
    out << (i ? "," : "") << "{\"no\":" << e.no
        << ",\"distanceM\":" << jsonFigure(e.distanceM, kMetreDecimals)
        << ",\"lossAB\":" << jsonFigure(e.lossAB, kDbDecimals)
        << ",\"lossBA\":" << jsonFigure(e.lossBA, kDbDecimals)
        << ",\"averageDb\":" << jsonFigure(e.averageDb, kDbDecimals)
        << ",\"reflectanceDb\":" << jsonFigure(e.reflectanceDb, kDbDecimals)
        << ",\"oneDirection\":" << (e.oneDirection ? "true" : "false") << '}';
  }
  out << "],\"totalLossAB\":" << jsonFigure(r.totalLossAB, kDbDecimals)
      << ",\"totalLossBA\":" << jsonFigure(r.totalLossBA, kDbDecimals)
      << ",\"totalLossDb\":" << jsonFigure(r.totalLossDb, kDbDecimals) << ",\"warnings\":[";
  for (std::size_t i = 0; i < r.warnings.size(); ++i)
    out << (i ? "," : "")
        << jsonString(compare::warningText(r.warnings[i], o.first, o.second, o.language));
  out << "]}\n";
}

void writeTable(std::ostream& out, const BidirArgs& o, const compare::BidirResult& r) {
  const compare::CompareStrings& s = compare::compareStrings(o.language);
  out << fillIn(s.bidirHead,
                {compare::compactNumber(r.wavelengthNm, 1), formatFixed(r.lengthM, kMetreDecimals),
                 compare::compactNumber(r.toleranceM, kMetreDecimals)})
      << '\n'
      << s.number << '\t' << s.distance << '\t' << s.lossAB << '\t' << s.lossBA << '\t' << s.average
      << '\t' << s.reflectance << '\n';
  for (const compare::BidirEvent& e : r.events) {
    out << e.no << '\t' << formatFixed(e.distanceM, kMetreDecimals) << '\t'
        << tableFigure(e.lossAB, kDbDecimals) << '\t' << tableFigure(e.lossBA, kDbDecimals) << '\t'
        << formatFixed(e.averageDb, kDbDecimals) << '\t'
        << tableFigure(e.reflectanceDb, kMetreDecimals);
    if (e.oneDirection) out << '\t' << s.oneDirection;
    out << '\n';
  }
  out << fillIn(s.bidirTotals,
                {formatFixed(r.totalLossAB, kDbDecimals), formatFixed(r.totalLossBA, kDbDecimals),
                 formatFixed(r.totalLossDb, kDbDecimals)})
      << '\n';
  for (const compare::BidirNote& note : r.warnings)
    out << compare::warningText(note, o.first, o.second, o.language) << '\n';
}

int runBidir(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  BidirArgs o;
  if (const std::string problem = parseBidirArgs(args, o); !problem.empty())
    return fail(err, problem);
  const std::optional<std::pair<Trace, Trace>> traces = loadBoth(o.first, o.second, err);
  if (!traces) return kExitFailure;
  const compare::BidirOutcome outcome =
      compare::bidirectional(traces->first, traces->second, o.options);
  if (const auto* problem = std::get_if<compare::BidirProblem>(&outcome))
    return refuse(err, compare::problemText(*problem, o.first, o.second, o.language));
  const compare::BidirResult& r = std::get<compare::BidirResult>(outcome);
  if (!o.pdf.empty()) {
    if (const std::string problem = writeBidirPdf(o.pdf, o.force, traces->first, traces->second, r,
                                                  o.first, o.second, o.language);
        !problem.empty())
      return fail(err, "bidir: " + problem);
  }
  if (o.json) {
    writeJson(out, o, r);
  } else {
    writeTable(out, o, r);
  }
  return outputWritten(out, err);
}

}  // namespace

extern const Command kBidirCommand{
    "bidir",
    "bidir A B [--tolerance METRES] [--ours] [--lang en|zh] [--json] [--pdf FILE [--force]]",
    "Two-direction analysis of one fibre: A measured from one end, B from the other (each an "
    ".otdr file or any maker's SOR file). B is mirrored onto A's distances, the events are "
    "matched within the tolerance (by default the larger of 20 m and both dead zones) and "
    "each event's losses from both ends are averaged, which is its true loss; an event seen "
    "from one end only is averaged with 0 and marked. The events are the files' own, or "
    "tracelink's analysis where a file has none or with --ours. Two wavelengths, or lengths "
    "further apart than the tolerance, are refused (exit status 1). --json prints one object. "
    "--pdf writes the two-direction report page (both traces, B mirrored, and the table) "
    "to FILE; an existing file is replaced only with --force.",
    runBidir, kBidirOptions};

}  // namespace tracelink::cli
