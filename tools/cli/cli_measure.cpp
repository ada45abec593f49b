#include <charconv>
#include <optional>
#include <ostream>
#include <string>

#include "cli_command.h"
#include "cli_options.h"
#include "cli_trace.h"
#include "files/path_text.h"
#include "measure/measure.h"
#include "measure/measure_strings.h"
#include "measure/measure_text.h"
#include "trace/load_trace.h"

namespace tracelink::cli {

namespace {

struct MeasureOptions {
  std::string file;
  std::optional<double> a;
  std::optional<double> b;
  std::optional<double> event;
  Language language = Language::English;
  bool json = false;
};

constexpr OptionRule kMeasureOptions[] = {
    {"--json"}, {"--a", true}, {"--b", true}, {"--event", true}, {"--lang", true}};

// Returns an empty string when the arguments are good, else what is wrong with them.
std::string parseMeasureArgs(std::span<const std::string> args, MeasureOptions& options) {
  const std::string problem = parseOptions(
      args, {"measure", kMeasureOptions},
      [&](std::string_view name, const std::string& value) -> std::string {
        if (name == "--json") {
          options.json = true;
        } else if (name == "--lang") {
          const std::optional<Language> lang = languageNamed(value);
          if (!lang) return "unknown language '" + value + "' (use en or zh)";
          options.language = *lang;
        } else {
          const std::optional<double> metres = plainNumber(value);
          if (!metres)
            return std::string(name) + " needs a distance in metres, not '" + value + "'";
          (name == "--a" ? options.a : name == "--b" ? options.b : options.event) = metres;
        }
        return {};
      },
      oneFile(options.file));
  if (!problem.empty()) return problem;
  if (options.file.empty()) return "measure: no FILE given (see --help)";
  if (!options.a || !options.b) return "measure: both --a and --b are needed";
  return {};
}

std::string jsonNumber(double v) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

std::string jsonMarker(const MarkerLevel& m) {
  return "{\"distanceM\":" + jsonNumber(m.distanceM) + ",\"levelDb\":" + jsonNumber(m.levelDb()) +
         "}";
}

void writeJson(std::ostream& out, const std::string& file, const SpanMeasure& span,
               const std::optional<EventLoss>& event) {
  out << "{\"file\":" << jsonString(file) << ",\"a\":" << jsonMarker(span.a)
      << ",\"b\":" << jsonMarker(span.b) << ",\"deltaM\":" << jsonNumber(span.deltaM)
      << ",\"deltaDb\":" << jsonNumber(span.deltaDb())
      << ",\"twoPointDbPerKm\":" << jsonNumber(span.twoPointDbPerKm)
      << ",\"lsaDbPerKm\":" << jsonNumber(span.lsa.dbPerKm())
      << ",\"lsaLossDb\":" << jsonNumber(span.lsaLossDb)
      << ",\"lsaRmsDb\":" << jsonNumber(span.lsa.rmsDb) << ",\"event\":";
  if (event) {
    out << "{\"distanceM\":" << jsonNumber(event->eventM)
        << ",\"lossDb\":" << jsonNumber(event->lossDb)
        << ",\"deadZoneM\":" << jsonNumber(event->deadZoneM) << '}';
  } else {
    out << "null";
  }
  out << "}\n";
}

int runMeasure(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  MeasureOptions options;
  if (const std::string problem = parseMeasureArgs(args, options); !problem.empty())
    return fail(err, problem);
  // Any trace file: an .otdr file, our own SOR export or another maker's SOR file.
  Result<Trace> loaded = LoadTrace(pathFromText(options.file));
  if (!loaded) return fail(err, loaded.error().text());
  const Trace& measured = *loaded;
  const auto refused = [&](const MeasureProblem& p) {
    return fail(err,
                options.file + ": " + measureError(p, options.language).text(options.language));
  };

  const Measured<SpanMeasure> span = measureSpan(measured, *options.a, *options.b);
  if (!span) return refused(span.problem());

  // A distance the user names must be measurable; without one the instrument's event
  // nearest the middle is taken when there is one, and its absence is no failure.
  std::optional<EventLoss> event;
  std::string eventLine;
  if (options.event) {
    const Measured<EventLoss> loss = eventLoss(measured, *options.a, *options.b, *options.event);
    if (!loss) return refused(loss.problem());
    event = *loss;
  } else if (const Measured<std::int32_t> listed = eventBetween(measured, *options.a, *options.b);
             !listed) {
    eventLine = describe(listed.problem(), options.language);
  } else if (const Measured<EventLoss> loss = eventLoss(measured, *options.a, *options.b, *listed);
             !loss) {
    eventLine = describe(loss.problem(), options.language);
  } else {
    event = *loss;
  }
  if (event) eventLine = eventLossText(*event, options.language);

  if (options.json) {
    writeJson(out, options.file, *span, event);
  } else {
    const std::string_view gap = measureStrings(options.language).gap;
    out << markerText('A', span->a, options.language) << gap
        << markerText('B', span->b, options.language) << gap << spanText(*span, options.language)
        << '\n'
        << eventLine << '\n';
  }
  out.flush();
  if (!out) return fail(err, "cannot write the output");
  return kExitOk;
}

}  // namespace

extern const Command kMeasureCommand{
    "measure", "measure FILE --a METRES --b METRES [--event METRES] [--lang en|zh] [--json]",
    "Measure FILE (an .otdr file or any maker's SOR file) between markers A and B, at "
    "distances in the frame of its events: their levels, the two-point loss and attenuation, "
    "the least-squares attenuation with its RMS residual, and the loss of the event at "
    "--event (else of the instrument's event nearest the middle of A and B) by two "
    "least-squares lines outside the pulse's dead zone.",
    runMeasure, kMeasureOptions};

}  // namespace tracelink::cli
