// tracelink-cli upload: a cable, or any traces, from the instrument into a folder, for lab
// benches and scripts. The same link, transfer and naming as the window's "Upload cable…",
// with no window and no display.
#include <QCoreApplication>
#include <QEventLoop>
#include <array>
#include <charconv>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "cli_batch.h"
#include "cli_command.h"
#include "files/path_text.h"
#include "link/cable_upload_run.h"
#include "link/serial_link.h"
#include "link/transfer_messages.h"
#include "link/upload_controller.h"

namespace tracelink::cli {

namespace {

constexpr std::array<OptionRule, 15> kUploadOptions{{
    {"--port", true, "a device"},
    {"--current"},
    {"--all"},
    {"--traces", true, "a range such as 3-14"},
    {"--cable", true, "an ID"},
    {"--first-fibre", true, "a number"},
    {"--fibre-step", true, "a number"},
    {"--direction", true, "AB or BA"},
    {"--location-a", true},
    {"--location-b", true},
    {"--operator", true},
    {"--format", true, "sor or otdr"},
    {"--out-dir", true, "a folder"},
    {"--on-exists", true, "skip, replace or keep-both"},
    {"--help"},
}};

struct UploadOptions {
  std::string port;
  int choices = 0;  // how many of --current, --all, --traces were given
  CablePlan plan;
  std::string outDir;
  std::optional<std::string> firstFiber, fiberStep, direction, locationA, locationB, operatorName;
  bool help = false;
};

// A whole number written plainly, within 0..limit.
std::optional<int> plainNumber(std::string_view text, int limit) {
  int value = 0;
  if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > limit) return std::nullopt;
  return value;
}

std::string takeOption(std::string_view name, const std::string& value, UploadOptions& o) {
  CablePlan& plan = o.plan;
  if (name == "--port") {
    o.port = value;
  } else if (name == "--current") {
    ++o.choices;
    plan.traces = TraceChoice::current();
  } else if (name == "--all") {
    ++o.choices;
    plan.traces = TraceChoice::all();
  } else if (name == "--traces") {
    ++o.choices;
    const std::size_t dash = value.find('-');
    const std::optional<int> first =
        plainNumber(std::string_view(value).substr(0, dash), kMaxUploadedTraces);
    const std::optional<int> last =
        dash == std::string::npos
            ? first
            : plainNumber(std::string_view(value).substr(dash + 1), kMaxUploadedTraces);
    if (!first || !last || *first < 1 || *last < 1)
      return "--traces '" + value + "' is not a range of trace numbers 1-" +
             std::to_string(kMaxUploadedTraces) + " such as 3-14";
    if (*first > *last) return "--traces '" + value + "' runs backwards";
    plan.traces = TraceChoice::range(*first, *last);
  } else if (name == "--cable") {
    if (value.empty()) return "--cable needs an ID (leave it out for the automatic names)";
    plan.cable = value;
  } else if (name == "--first-fibre") {
    o.firstFiber = value;
  } else if (name == "--fibre-step") {
    o.fiberStep = value;
  } else if (name == "--direction") {
    o.direction = value;
  } else if (name == "--location-a") {
    o.locationA = value;
  } else if (name == "--location-b") {
    o.locationB = value;
  } else if (name == "--operator") {
    o.operatorName = value;
  } else if (name == "--format") {
    if (value == "sor") {
      plan.format = CableFormat::Sor;
    } else if (value == "otdr") {
      plan.format = CableFormat::Otdr;
    } else {
      return "--format '" + value + "' is neither sor nor otdr";
    }
  } else if (name == "--out-dir") {
    o.outDir = value;
  } else if (name == "--on-exists") {
    if (value == "skip") {
      plan.onExisting = OnExisting::Skip;
    } else if (value == "replace") {
      plan.onExisting = OnExisting::Replace;
    } else if (value == "keep-both") {
      plan.onExisting = OnExisting::KeepBoth;
    } else {
      return "--on-exists '" + value + "' is not skip, replace or keep-both";
    }
  } else if (name == "--help") {
    o.help = true;
  }
  return {};
}

// The cable's options come together: with --cable the fibre, the direction, the
// locations and the operator are asked for; without it none of them has a place.
std::string checkCableOptions(UploadOptions& o) {
  CablePlan& plan = o.plan;
  const std::array<std::pair<const char*, const std::optional<std::string>*>, 6> cableOnly{{
      {"--first-fibre", &o.firstFiber},
      {"--fibre-step", &o.fiberStep},
      {"--direction", &o.direction},
      {"--location-a", &o.locationA},
      {"--location-b", &o.locationB},
      {"--operator", &o.operatorName},
  }};
  if (plan.cable.empty()) {
    for (const auto& [name, value] : cableOnly)
      if (value->has_value())
        return std::string(name) + " names a cable's fibre; give --cable with it";
    return {};
  }
  for (const auto& [name, value] : cableOnly)
    if (!value->has_value() && std::string_view(name) != "--fibre-step")
      return std::string("--cable needs ") + name + " as well";
  const std::optional<int> first = plainNumber(*o.firstFiber, kMaxFirstFiber);
  if (!first || *first < 1)
    return "--first-fibre '" + *o.firstFiber + "' is not a number 1.." +
           std::to_string(kMaxFirstFiber);
  plan.firstFiber = *first;
  if (o.fiberStep) {
    const std::optional<int> step = plainNumber(*o.fiberStep, kMaxFiberStep);
    if (!step || *step < 1)
      return "--fibre-step '" + *o.fiberStep + "' is not a number 1.." +
             std::to_string(kMaxFiberStep);
    plan.fiberStep = *step;
  }
  if (*o.direction == "AB") {
    plan.direction = CableDirection::FromA;
  } else if (*o.direction == "BA") {
    plan.direction = CableDirection::FromB;
  } else {
    return "--direction '" + *o.direction + "' is neither AB nor BA";
  }
  plan.locationA = *o.locationA;
  plan.locationB = *o.locationB;
  plan.operatorName = *o.operatorName;
  return {};
}

std::string parseUploadArgs(std::span<const std::string> args, UploadOptions& o) {
  // Upload reads no FILE; one given is told once the options have been read, as the
  // commands that take files tell a bad option before a bad file.
  std::optional<std::string> stray;
  const std::string problem = parseOptions(
      args, {"upload", kUploadOptions},
      [&](std::string_view name, const std::string& value) { return takeOption(name, value, o); },
      [&](const std::string& file) {
        if (!stray) stray = file;
        return std::string();
      });
  if (!problem.empty()) return problem;
  if (stray) return "upload: '" + *stray + "' is not an option (see --help)";
  if (o.help) return {};
  if (o.port.empty()) return "upload: --port DEVICE is needed";
  if (o.choices != 1) return "upload: give one of --current, --all or --traces FIRST-LAST";
  if (o.outDir.empty()) return "upload: --out-dir DIR is needed";
  if (const std::string cable = checkCableOptions(o); !cable.empty()) return "upload: " + cable;
  o.plan.folder = pathFromText(o.outDir);
  return {};
}

// "upload: trace 5 of 12, block 3 of 12" on a terminal, rewritten in place.
std::string progressText(const TransferProgress& p) {
  std::string text = "upload: ";
  text += p.trace == kCurrentTraceSelect ? std::string("current trace")
                                         : "trace " + std::to_string(p.trace);
  if (p.series) text += " of " + std::to_string(p.traces);
  text += ", block " + std::to_string(p.block) + " of " + std::to_string(p.blocks);
  return text;
}

int runUpload(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  UploadOptions options;
  if (const std::string problem = parseUploadArgs(args, options); !problem.empty())
    return fail(err, problem);
  if (options.help) {
    for (const Command* c : commands())
      if (c->name == "upload")
        out << "Usage: tracelink-cli " << c->usage << "\n" << c->summary << "\n";
    return kExitOk;
  }

  // A plan that cannot be uploaded is refused before the port is touched.
  if (const std::optional<CablePlanProblem> problem = CheckCablePlan(options.plan))
    return fail(err, "upload: " + cablePlanProblemText(*problem, Language::English));

  // The link needs an event loop, never a display.
  std::unique_ptr<QCoreApplication> app;
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "tracelink-cli";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QCoreApplication>(argc, argv);
  }

  auto record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow view;
  PlainTraceSink sink(*record, header, view);
  SerialLink link;
  if (const std::optional<LinkError> error = link.open(QString::fromStdString(options.port)))
    return fail(err, "upload: " + linkErrorText(*error, Language::English));
  UploadController controller(link, sink, Language::English);
  CableUploadRun run(controller, sink, Language::English);

  const bool shown = showsProgress(err);
  QObject::connect(&controller, &UploadController::progressChanged, [&](const TransferProgress& p) {
    if (!shown) return;
    if (p.phase == ProgressPhase::Receiving) {
      err << '\r' << progressText(p) << "    " << std::flush;
    }
  });
  QObject::connect(&run, &CableUploadRun::traceDone, [&](const CableTraceResult& r) {
    if (shown) err << "\r\x1b[K" << std::flush;
    const std::string line = cableTraceLine(r, Language::English);
    if (r.outcome == CableTraceResult::Outcome::Failed) {
      fail(err, "upload: " + line);
    } else {
      out << oneLine(line) << '\n' << std::flush;
    }
  });
  QEventLoop loop;
  QObject::connect(&run, &CableUploadRun::finished, &loop, &QEventLoop::quit);
  if (const Status started = run.start(options.plan); !started)
    return fail(err, "upload: " + started.error().text());
  if (run.running()) loop.exec();
  if (shown) err << "\r\x1b[K" << std::flush;
  link.close();

  const CableSummary summary = run.summary();
  out << oneLine(cableSummaryText(summary, Language::English)) << '\n';
  out.flush();
  if (!out) return fail(err, "cannot write the output");
  return summary.failed > 0 ? kExitFailure : kExitOk;
}

}  // namespace

extern const Command kUploadCommand{
    "upload",
    "upload --port DEVICE (--current | --all | --traces 3-14) [--cable ID --first-fibre N "
    "[--fibre-step K] --direction AB|BA --location-a TEXT --location-b TEXT --operator TEXT] "
    "[--format sor|otdr] --out-dir DIR [--on-exists skip|replace|keep-both]",
    "Upload traces from the instrument into DIR: with --cable each as CABLE_F01_AB.sor (BA "
    "from end B) carrying the cable's texts, without it under the window's automatic names. "
    "Prints one line per trace (file, blocks, time) and the summary; a file already there is "
    "skipped unless --on-exists says otherwise, and one holding the same trace is always "
    "skipped. Writes atomically. Exit 0 when no trace failed, else 2 with one line per "
    "failure naming the trace.",
    runUpload, kUploadOptions};

}  // namespace tracelink::cli
