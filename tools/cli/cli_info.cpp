#include <ostream>
#include <string>

#include "cli_command.h"
#include "cli_trace.h"
#include "record/decode.h"

namespace tracelink::cli {

namespace {

struct InfoOptions {
  std::string file;
  Language language = Language::English;
  bool json = false;
};

// Returns an empty string when the arguments are good, else what is wrong with them.
std::string parseInfoArgs(std::span<const std::string> args, InfoOptions& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      options.json = true;
    } else if (a == "--lang" || a.starts_with("--lang=")) {
      std::string lang;
      if (a == "--lang") {
        if (i + 1 == args.size()) return "info: --lang needs en or zh";
        lang = args[++i];
      } else {
        lang = a.substr(7);
      }
      if (lang == "en") {
        options.language = Language::English;
      } else if (lang == "zh") {
        options.language = Language::Chinese;
      } else {
        return "info: unknown language '" + lang + "' (use en or zh)";
      }
    } else if (a.starts_with("-") && a != "-") {
      return "info: unknown option '" + a + "' (see --help)";
    } else if (options.file.empty()) {
      options.file = a;
    } else {
      return "info: more than one FILE given";
    }
  }
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
    "info", "info FILE [--lang en|zh] [--json]",
    "Load FILE as the window does and print its info line and event table (--json: one "
    "object with the header values, the window's texts and the events shown).",
    runInfo};

}  // namespace tracelink::cli
