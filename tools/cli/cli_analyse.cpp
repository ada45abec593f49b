#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "cli_batch.h"
#include "cli_command.h"
#include "cli_options.h"
#include "cli_trace.h"
#include "files/path_text.h"
#include "trace/load_trace.h"

namespace tracelink::cli {

namespace {

struct AnalyseOptions {
  std::vector<std::string> files;
  analysis::ThresholdRequest thresholds;
  bool json = false;
  unsigned jobs = 0;  // 0: one per core
};

constexpr OptionRule kAnalyseOptions[] = {{"--json"},
                                          {"--splice-db", true},
                                          {"--reflectance-db", true},
                                          {"--end-db", true},
                                          {"--jobs", true}};

// Returns an empty string when the arguments are good, else what is wrong with them.
std::string parseAnalyseArgs(std::span<const std::string> args, AnalyseOptions& o) {
  const std::string problem = parseOptions(
      args, {"analyse", kAnalyseOptions},
      [&](std::string_view name, const std::string& value) -> std::string {
        if (name == "--json") {
          o.json = true;
          return {};
        }
        if (name == "--jobs") return takeJobs(value, o.jobs);
        const std::optional<double> db = plainNumber(value);
        if (name == "--splice-db") {
          if (!db || !analysis::validSpliceDb(*db))
            return "--splice-db needs a loss in dB above 0 and up to 60, not '" + value + "'";
          o.thresholds.spliceDb = db;
        } else if (name == "--reflectance-db") {
          if (!db || !analysis::validReflectanceDb(*db))
            return "--reflectance-db needs a reflectance in dB below 0 and down to -100, not '" +
                   value + "'";
          o.thresholds.reflectanceDb = db;
        } else {
          if (!db || !analysis::validEndDb(*db))
            return "--end-db needs a loss in dB above 0 and up to 60, not '" + value + "'";
          o.thresholds.endDb = db;
        }
        return {};
      },
      [&](const std::string& file) {
        o.files.push_back(file);
        return std::string();
      });
  if (!problem.empty()) return problem;
  if (o.files.empty()) return "analyse: no FILE given (see --help)";
  return {};
}

// Figures to what they mean: centimetres, thousandths of a dB.
std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string text = buf;
  // No "-0.000" for a value that rounds to nothing.
  if (text.front() == '-' && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
  return text;
}

// The same without trailing zeros, as a JSON number.
std::string jsonNumber(double v, int decimals) {
  std::string text = fixed(v, decimals);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

const char* sourceName(analysis::ThresholdSource s) {
  switch (s) {
    case analysis::ThresholdSource::File:
      return "file";
    case analysis::ThresholdSource::Given:
      return "given";
    case analysis::ThresholdSource::Default:
      break;
  }
  return "default";
}

constexpr int kMetre = 2;  // decimals
constexpr int kDb = 3;

void writeJson(std::ostream& out, const std::string& file, const analysis::Analysis& a) {
  const analysis::Thresholds& t = a.thresholds;
  out << "{\"file\":" << jsonString(file)
      << ",\"thresholds\":{\"spliceDb\":" << jsonNumber(t.spliceDb, kDb)
      << ",\"reflectanceDb\":" << jsonNumber(t.reflectanceDb, kDb)
      << ",\"endDb\":" << jsonNumber(t.endDb, kDb) << ",\"source\":\"" << sourceName(t.source())
      << "\"},\"lengthM\":" << jsonNumber(a.lengthM, kMetre)
      << ",\"totalLossDb\":" << jsonNumber(a.totalLossDb, kDb)
      << ",\"orlDb\":" << (a.orlDb ? jsonNumber(*a.orlDb, kDb) : std::string("null"))
      << ",\"events\":[";
  for (std::size_t i = 0; i < a.events.size(); ++i) {
    const analysis::Event& e = a.events[i];
    out << (i ? "," : "") << "{\"no\":" << i + 1
        << ",\"distanceM\":" << jsonNumber(e.distanceM, kMetre) << ",\"type\":\""
        << analysis::kindName(e.kind) << "\",\"lossDb\":" << jsonNumber(e.lossDb, kDb)
        << ",\"reflectanceDb\":"
        << (e.reflectanceDb ? jsonNumber(*e.reflectanceDb, kDb) : std::string("null"))
        << ",\"sectionDbPerKm\":" << jsonNumber(e.sectionDbPerKm, kDb) << '}';
  }
  out << "],\"sections\":[";
  for (std::size_t i = 0; i < a.sections.size(); ++i) {
    const analysis::Section& s = a.sections[i];
    out << (i ? "," : "") << "{\"fromM\":" << jsonNumber(s.fromM, kMetre)
        << ",\"toM\":" << jsonNumber(s.toM, kMetre) << ",\"lossDb\":" << jsonNumber(s.lossDb, kDb)
        << ",\"dbPerKm\":" << jsonNumber(s.dbPerKm, kDb) << '}';
  }
  out << "]}";
}

void writeText(std::ostream& out, const std::string& file, const analysis::Analysis& a) {
  const analysis::Thresholds& t = a.thresholds;
  out << file << ": length " << fixed(a.lengthM, 2) << " m, total loss " << fixed(a.totalLossDb, 3)
      << " dB, ORL " << (a.orlDb ? fixed(*a.orlDb, 2) + " dB" : std::string("none")) << '\n'
      << "Thresholds (" << sourceName(t.source()) << "): splice " << fixed(t.spliceDb, 3)
      << " dB, reflectance " << fixed(t.reflectanceDb, 2) << " dB, end " << fixed(t.endDb, 2)
      << " dB\n"
      << "No.\tType\tDis(m)\tLoss(dB)\tRefl(dB)\tdB/km\n";
  for (std::size_t i = 0; i < a.events.size(); ++i) {
    const analysis::Event& e = a.events[i];
    out << i + 1 << '\t' << analysis::kindName(e.kind) << '\t' << fixed(e.distanceM, 2) << '\t'
        << fixed(e.lossDb, 3) << '\t' << (e.reflectanceDb ? fixed(*e.reflectanceDb, 2) : "")
        << (e.saturated ? " (at least)" : "") << '\t' << fixed(e.sectionDbPerKm, 3) << '\n';
  }
}

struct Outcome {
  std::optional<analysis::Analysis> analysis;
  std::string failure;
};

Outcome analyseFile(const std::string& file, const analysis::ThresholdRequest& thresholds) {
  Result<Trace> trace = LoadTrace(pathFromText(file));
  if (!trace) return {std::nullopt, trace.error().text()};
  return {analysis::analyse(*trace, thresholds), {}};
}

int runAnalyse(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  AnalyseOptions options;
  if (const std::string problem = parseAnalyseArgs(args, options); !problem.empty())
    return fail(err, problem);

  // The results are written in the order the files were given, once all are done.
  const std::size_t n = options.files.size();
  std::vector<Outcome> outcomes(n);
  ProgressLine progress(err, "analyse", n, showsProgress(err));
  runBatch<Outcome>(
      options.files, options.jobs, progress,
      [&](std::size_t i) { return analyseFile(options.files[i], options.thresholds); },
      [&](std::size_t i, Outcome&& outcome) { outcomes[i] = std::move(outcome); });

  bool anyFailed = false;
  bool first = true;
  const bool array = options.json && n > 1;
  if (array) out << '[';
  for (std::size_t i = 0; i < n; ++i) {
    const Outcome& o = outcomes[i];
    if (!o.analysis) {
      fail(err, o.failure);
      anyFailed = true;
      continue;
    }
    if (options.json) {
      if (!first) out << ',';
      writeJson(out, options.files[i], *o.analysis);
    } else {
      if (!first) out << '\n';
      writeText(out, options.files[i], *o.analysis);
    }
    first = false;
  }
  if (array) out << ']';
  if (options.json && (array || !first)) out << '\n';
  out.flush();
  if (!out) return fail(err, "cannot write the output");
  return anyFailed ? kExitFailure : kExitOk;
}

}  // namespace

extern const Command kAnalyseCommand{
    "analyse",
    "analyse FILE... [--splice-db X] [--reflectance-db Y] [--end-db Z] [--json] [--jobs N]",
    "Find, classify and measure the events of each FILE (an .otdr file or any maker's SOR "
    "file) by tracelink's own analysis: launch, reflective and non-reflective events, gainers, "
    "the fibre end and ghosts, with position, loss, reflectance and the attenuation before "
    "each, the sections between them, the length, the end-to-end loss and the ORL. The "
    "thresholds are the file's where it stores them, else the defaults, unless given. "
    "--json prints one object per file (an array for several). A bad FILE is named and the "
    "others are still analysed; the exit status is then 2. Uses every core unless --jobs.",
    runAnalyse, kAnalyseOptions};

}  // namespace tracelink::cli
