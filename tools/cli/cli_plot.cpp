#include <QGuiApplication>
#include <QImage>
#include <charconv>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli_command.h"
#include "cli_options.h"
#include "cli_qt.h"
#include "cli_sor_input.h"
#include "cli_sor_plot.h"
#include "cli_trace.h"
#include "record/decode.h"
#include "render/plot_render.h"
#include "session/view_window.h"

namespace tracelink::cli {

namespace {

struct PlotOptions {
  std::string file;
  std::string out;
  std::optional<std::int32_t> from;
  std::optional<std::int32_t> to;
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
          const std::optional<std::int32_t> sample = parseSample(value);
          if (!sample)
            return std::string(name) + " '" + value + "' is not a sample number 0.." +
                   std::to_string(kRecordWords - 1);
          (name == "--from" ? options.from : options.to) = sample;
        }
        return {};
      },
      oneFile(options.file));
  if (!problem.empty()) return problem;
  if (options.file.empty()) return "plot: no FILE given (see --help)";
  if (options.out.empty()) return "plot: no --out PNG given";
  if (options.from.has_value() != options.to.has_value())
    return "plot: --from and --to go together";
  if (options.from && *options.to <= *options.from)
    return "plot: --to " + std::to_string(*options.to) + " is not after --from " +
           std::to_string(*options.from);
  return {};
}

int runPlot(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  PlotOptions options;
  if (const std::string problem = parsePlotArgs(args, options); !problem.empty())
    return fail(err, problem);
  if (isSorFile(options.file)) {
    Result<SorInput> input = loadSorInput(options.file);
    if (!input) return fail(err, input.error().text());
    if (!input->record)
      return plotTrace(input->trace, options.file, options.out, options.dark, options.from,
                       options.to, err);
  }
  Result<LoadedTrace> trace = loadTrace(options.file);
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
    "plot", "plot FILE --out PNG [--from S --to S] [--dark]",
    "Draw the plot of FILE (723 x 369 pixels) as the window's canvas holds it and write it "
    "as PNG: the full view, or samples S to S; --dark writes the dark presentation. A SOR "
    "file is drawn at its own spacing across its whole range (S are then its points).",
    runPlot, kPlotOptions};

}  // namespace tracelink::cli
