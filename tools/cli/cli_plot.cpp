#include <QGuiApplication>
#include <QImage>
#include <charconv>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_options.h"
#include "cli_qt.h"
#include "cli_sor_input.h"
#include "cli_sor_plot.h"
#include "cli_trace.h"
#include "compare/compare_strings.h"
#include "compare/overlay.h"
#include "record/decode.h"
#include "render/plot_render.h"
#include "session/view_window.h"

namespace tracelink::cli {

namespace {

struct PlotOptions {
  std::vector<std::string> files;
  std::string out;
  // As given: sample numbers for one file, metres along the plot's axis for several.
  std::optional<std::string> fromText;
  std::optional<std::string> toText;
  std::optional<std::int32_t> from;
  std::optional<std::int32_t> to;
  std::optional<double> fromM;
  std::optional<double> toM;
  bool dark = false;
};

// A sample number 0 .. 60099, or nullopt.
std::optional<std::int32_t> parseSample(const std::string& text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < 0 || value >= kRecordWords) return std::nullopt;
  return value;
}

constexpr OptionRule kPlotOptions[] = {
    {"--dark"}, {"--out", true}, {"--from", true}, {"--to", true}};

// A distance along the plot's axis: a plain number of metres, not negative.
std::optional<double> parseMetres(const std::string& text) {
  const std::optional<double> value = plainNumber(text);
  if (!value || *value < 0 || *value > 1e9) return std::nullopt;
  return value;
}

// The window's edges as the number of files makes them: samples of one file, or metres
// of the overlay's axis.
std::string parseWindow(PlotOptions& options) {
  if (options.fromText.has_value() != options.toText.has_value())
    return "plot: --from and --to go together";
  if (!options.fromText) return {};
  for (const bool isFrom : {true, false}) {
    const std::string& text = isFrom ? *options.fromText : *options.toText;
    const std::string name = isFrom ? "--from" : "--to";
    if (options.files.size() == 1) {
      const std::optional<std::int32_t> sample = parseSample(text);
      if (!sample)
        return "plot: " + name + " '" + text + "' is not a sample number 0.." +
               std::to_string(kRecordWords - 1);
      (isFrom ? options.from : options.to) = sample;
    } else {
      const std::optional<double> metres = parseMetres(text);
      if (!metres)
        return "plot: " + name + " '" + text + "' is not a distance in metres (0 or more)";
      (isFrom ? options.fromM : options.toM) = metres;
    }
  }
  if (options.from && *options.to <= *options.from)
    return "plot: --to " + std::to_string(*options.to) + " is not after --from " +
           std::to_string(*options.from);
  if (options.fromM && *options.toM <= *options.fromM)
    return "plot: --to " + *options.toText + " is not after --from " + *options.fromText;
  return {};
}

// Returns an empty string when the arguments are good, else what is wrong with them.
std::string parsePlotArgs(std::span<const std::string> args, PlotOptions& options) {
  const std::string problem = parseOptions(
      args, {"plot", kPlotOptions},
      [&](std::string_view name, const std::string& value) -> std::string {
        if (name == "--dark") {
          options.dark = true;
        } else if (name == "--out") {
          options.out = value;
        } else {
          (name == "--from" ? options.fromText : options.toText) = value;
        }
        return {};
      },
      [&](const std::string& file) -> std::string {
        options.files.push_back(file);
        return {};
      });
  if (!problem.empty()) return problem;
  if (options.files.empty()) return "plot: no FILE given (see --help)";
  if (options.files.size() > compare::kMaxOverlay)
    return "plot: " + compare::tooManyText(options.files.size(), Language::English);
  if (options.out.empty()) return "plot: no --out PNG given";
  return parseWindow(options);
}

int runPlot(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  PlotOptions options;
  if (const std::string problem = parsePlotArgs(args, options); !problem.empty())
    return fail(err, problem);
  if (options.files.size() > 1)
    return plotOverlay(options.files, options.out, options.dark, options.fromM, options.toM, err);
  const std::string& file = options.files.front();
  if (isSorFile(file)) {
    Result<SorInput> input = loadSorInput(file);
    if (!input) return fail(err, input.error().text());
    if (!input->record)
      return plotTrace(input->trace, file, options.out, options.dark, options.from, options.to,
                       err);
  }
  Result<LoadedTrace> trace = loadTrace(file);
  if (!trace) return fail(err, trace.error().text());

  DecodedValues values;
  DecodeRecord(*trace->record, values, Language::English);
  ViewWindow view = trace->view;
  if (options.from) {
    view.ViewStart = *options.from;
    view.ViewEnd = *options.to;
  }

  // Labels need the font machinery of a GUI application, but no screen.
  const std::unique_ptr<QGuiApplication> app = startGuiApplication();

  const QImage canvas = renderPlotCanvas(*trace->record, trace->header, view, values.Ior);
  QImage picture = canvas;
  if (options.dark) presentPlot(canvas, picture, kDarkScheme);
  if (const std::optional<std::string> problem = writePng(picture, options.out))
    return fail(err, "plot: cannot write '" + options.out + "': " + *problem);
  out.flush();
  return kExitOk;
}

}  // namespace

extern const Command kPlotCommand{
    "plot", "plot FILE... --out PNG [--from S --to S] [--dark]",
    "Draw the plot of FILE (723 x 369 pixels) as the window's canvas holds it and write it "
    "as PNG: the full view, or samples S to S; --dark writes the dark presentation. A SOR "
    "file is drawn at its own spacing across its whole range (S are then its points). Two "
    "to eight files are drawn over each other as the Compare window draws them, each at its "
    "own spacing and in its own colour; S are then metres along the plot's distance axis, "
    "which counts from the earliest first point.",
    runPlot, kPlotOptions};

}  // namespace tracelink::cli
