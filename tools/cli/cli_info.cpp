#include <ostream>
#include <string>

#include "cli_command.h"
#include "cli_options.h"
#include "cli_sor_input.h"
#include "cli_trace.h"
#include "record/decode.h"

namespace tracelink::cli {

namespace {

struct InfoOptions {
  std::string file;
  Language language = Language::English;
  bool json = false;
  bool record = false;  // a SOR export: its record as the .otdr would show it
};

constexpr OptionRule kInfoOptions[] = {{"--json"}, {"--record"}, {"--lang", true, "en or zh"}};

// Returns an empty string when the arguments are good, else what is wrong with them.
std::string parseInfoArgs(std::span<const std::string> args, InfoOptions& options) {
  const std::string problem = parseOptions(
      args, {"info", kInfoOptions},
      [&](std::string_view name, const std::string& value) -> std::string {
        if (name == "--json") {
          options.json = true;
        } else if (name == "--record") {
          options.record = true;
        } else if (const std::optional<Language> lang = languageNamed(value)) {
          options.language = *lang;
        } else {
          return "unknown language '" + value + "' (use en or zh)";
        }
        return {};
      },
      oneFile(options.file));
  if (!problem.empty()) return problem;
  if (options.file.empty()) return "info: no FILE given (see --help)";
  return {};
}

// The text as a terminal shows it: the window's CR LF line ends become plain line ends.
std::string plainLines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

void writeJson(std::ostream& out, const InfoOptions& options, const LoadedTrace& trace,
               const DecodedValues& values, const DecodedTexts& texts) {
  const TraceRecord& record = *trace.record;
  out << "{\"file\":" << jsonString(options.file) << ",\"blocks\":" << trace.blocks
      << ",\"rangeN\":" << record[slot::kRangeN]
      << ",\"blocksPerTrace\":" << trace.header.BlocksPerTrace
      << ",\"fullRangeStart\":" << trace.view.FullRangeStart
      << ",\"fullRangeEnd\":" << trace.view.FullRangeEnd
      << ",\"startPoint\":" << trace.header.StartPoint
      << ",\"rangeLine\":" << trace.header.RangeLine
      << ",\"text4\":{\"0\":" << jsonString(texts.text4_0) << ",\"1\":" << jsonString(texts.text4_1)
      << ",\"3\":" << jsonString(texts.text4_3) << "},\"infoLine\":" << jsonString(texts.label1)
      << ",\"eventHeader\":" << jsonString(texts.eventHeader)
      << ",\"eventTable\":" << jsonString(texts.eventText)
      << ",\"eventCount\":" << values.EventCount << ",\"events\":[";
  bool first = true;
  for (const EventRow& row : eventRows(values)) {
    out << (first ? "" : ",") << "{\"no\":" << row.no << ",\"type\":" << row.type
        << ",\"typeName\":" << jsonString(row.typeName) << ",\"position\":" << row.position
        << ",\"distance\":" << row.distance << ",\"db1\":" << row.db1 << ",\"db2\":" << row.db2
        << '}';
    first = false;
  }
  out << "]}\n";
}

int runInfo(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  InfoOptions options;
  if (const std::string problem = parseInfoArgs(args, options); !problem.empty())
    return fail(err, problem);
  if (isSorFile(options.file)) {
    Result<SorInput> input = loadSorInput(options.file);
    if (!input) return fail(err, input.error().text());
    if (options.record && !input->record)
      return fail(err, options.file + ": a SOR file without a tracelink record");
    if (!options.record && (options.json || !input->record)) {
      if (options.json) {
        writeSorJson(out, *input);
      } else {
        writeSorSummary(out, *input);
      }
      out.flush();
      return out ? kExitOk : fail(err, "cannot write the output");
    }
  }
  Result<LoadedTrace> trace = loadTrace(options.file);
  if (!trace) return fail(err, trace.error().text());

  DecodedValues values;
  const DecodedTexts texts = DecodeRecord(*trace->record, values, options.language);
  if (options.json) {
    writeJson(out, options, *trace, values, texts);
  } else {
    out << texts.label1 << '\n' << plainLines(texts.eventText) << '\n';
  }
  out.flush();
  if (!out) return fail(err, "cannot write the output");
  return kExitOk;
}

}  // namespace

extern const Command kInfoCommand{
    "info", "info FILE [--lang en|zh] [--json] [--record]",
    "Load FILE as the window does and print its info line and event table (--json: one "
    "object with the header values, the window's texts and the events shown). A SOR file "
    "prints its summary (--json: its blocks); one exported by tracelink prints its record "
    "as the .otdr file did, and --record does so with --json too.",
    runInfo, kInfoOptions};

}  // namespace tracelink::cli
