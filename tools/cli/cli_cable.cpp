// tracelink-cli cable: a folder of traces (or a list) certified as one cable against
// limits, written as the cable report with its traces attached, and as CSV and XLSX.
#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cable/limits.h"
#include "cable/summary.h"
#include "cli_batch.h"
#include "cli_command.h"
#include "cli_options.h"
#include "cli_qt.h"
#include "files/path_text.h"
#include "files/record_file.h"
#include "report/cable_report.h"
#include "report/cable_xlsx.h"

namespace tracelink::cli {

namespace {

namespace fs = std::filesystem;

struct CableOptions {
  std::vector<std::string> inputs;
  std::string limits;
  std::string out, csv, xlsx;
  Language language = Language::English;
  std::string cable, operatorName;
  std::optional<std::string> pattern;
  bool ours = false;
  bool force = false;
  unsigned jobs = 0;  // 0: one per core
};

constexpr OptionRule kCableOptions[] = {
    {"--limits", true, "a limits file or a preset's name"},
    {"--out", true},
    {"--csv", true},
    {"--xlsx", true},
    {"--lang", true, "en or zh"},
    {"--cable", true},
    {"--operator", true},
    {"--pattern", true},
    {"--ours"},
    {"--force"},
    {"--jobs", true},
};

std::string parseCableArgs(std::span<const std::string> args, CableOptions& o) {
  const std::map<std::string_view, std::string*> texts{
      {"--limits", &o.limits}, {"--out", &o.out},     {"--csv", &o.csv},
      {"--xlsx", &o.xlsx},     {"--cable", &o.cable}, {"--operator", &o.operatorName}};
  const std::string problem = parseOptions(
      args, {"cable", kCableOptions},
      [&](std::string_view name, const std::string& value) -> std::string {
        if (const auto t = texts.find(name); t != texts.end()) {
          *t->second = value;
        } else if (name == "--pattern") {
          if (value.find("{fibre}") == std::string::npos)
            return "--pattern '" + value + "' has no {fibre}";
          o.pattern = value;
        } else if (name == "--ours") {
          o.ours = true;
        } else if (name == "--force") {
          o.force = true;
        } else if (name == "--lang") {
          return takeLanguage(value, o.language);
        } else {
          return takeJobs(value, o.jobs);
        }
        return {};
      },
      [&](const std::string& input) {
        o.inputs.push_back(input);
        return std::string();
      });
  if (!problem.empty()) return problem;
  if (o.inputs.empty()) return "cable: no folder or FILE given (see --help)";
  if (o.limits.empty()) return "cable: no --limits FILE or PRESET given";
  if (o.out.empty()) return "cable: no --out FILE.pdf given";
  return {};
}

std::string faultWords(cable::LimitsFault fault) {
  using F = cable::LimitsFault;
  switch (fault) {
    case F::NotJson:
      return "is not JSON";
    case F::NotAnObject:
      return "is not a JSON object";
    case F::MissingName:
      return "has no name";
    case F::NotANumber:
      return "is not a number";
    case F::NotABoolean:
      return "is not true or false";
    case F::NotAString:
      return "is not a string";
    case F::NotAWavelength:
      return "is not a wavelength in nm (400..2000)";
    case F::OutOfRange:
      return "cannot be a limit";
    case F::UnknownKey:
      return "is not a limit this program knows";
    case F::DuplicateKey:
      return "is given twice";
    case F::MinAboveMax:
      return "is above lengthMaxM";
  }
  return "is refused";
}

// A limits file is a JSON object of a dozen figures, a few hundred bytes; a file far
// larger is not one and is refused before it is read.
constexpr std::uintmax_t kMaxLimitsBytes = 1024 * 1024;

// The limits a file gives, else the preset of that name.
Result<cable::Limits> limitsNamed(const std::string& given) {
  const fs::path path = pathFromText(given);
  std::error_code ec;
  if (fs::is_regular_file(path, ec)) {
    const Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path, kMaxLimitsBytes);
    if (!bytes) {
      const Error& e = bytes.error();
      if (e.code != ErrorCode::FileTooLarge) return Error{given + ": cannot be read"};
      return Error{given + ": is " + std::to_string(e.a) +
                   " bytes, more than a limits file holds (" + std::to_string(e.b) + " at most)"};
    }
    const cable::LimitsOutcome parsed = cable::parseLimits(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    if (const auto* problem = std::get_if<cable::LimitsProblem>(&parsed)) {
      const std::string what = problem->key.empty() ? "the document" : "\"" + problem->key + "\"";
      return Error{given + ": refused: " + what + " " + faultWords(problem->fault) + " (byte " +
                   std::to_string(problem->offset) + ")"};
    }
    return std::get<cable::Limits>(parsed);
  }
  if (const cable::Limits* preset = cable::findPreset(given)) return *preset;
  std::string names;
  for (const cable::Limits& p : cable::presets()) names += (names.empty() ? "" : ", ") + p.name;
  return Error{"--limits '" + given + "' is neither a file nor a preset (presets: " + names + ")"};
}

// A folder gives its .sor and .otdr files in name order; a file is taken as it is named.
Result<std::vector<std::string>> traceFiles(const std::vector<std::string>& inputs) {
  std::vector<std::string> files;
  for (const std::string& input : inputs) {
    const fs::path path = pathFromText(input);
    std::error_code ec;
    if (!fs::is_directory(path, ec)) {
      files.push_back(input);
      continue;
    }
    const std::vector<std::string> found = cable::traceFilesIn(input, &ec);
    if (ec) return Error{input + ": the folder cannot be read"};
    files.insert(files.end(), found.begin(), found.end());
  }
  if (files.empty()) return Error{"cable: no .sor or .otdr file in what was given"};
  return files;
}

int runCable(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  CableOptions o;
  if (const std::string problem = parseCableArgs(args, o); !problem.empty())
    return fail(err, problem);
  const Result<cable::Limits> limits = limitsNamed(o.limits);
  if (!limits) return fail(err, limits.error().text());
  const Result<std::vector<std::string>> files = traceFiles(o.inputs);
  if (!files) return fail(err, files.error().text());
  for (const std::string* target : {&o.out, &o.csv, &o.xlsx}) {
    if (target->empty()) continue;
    if (const std::optional<std::string> refused = refuseExisting(*target, o.force))
      return fail(err, *refused);
  }
  const std::unique_ptr<QGuiApplication> app = startGuiApplication();

  // Reading in parallel; a file that cannot be read is named and left out of the cable.
  bool anyBad = false;
  std::vector<cable::CableFile> read(files->size());
  {
    ProgressLine progress(err, "cable: reading", files->size(), showsProgress(err));
    runBatch<cable::CableFile>(
        *files, o.jobs, progress, [&](std::size_t i) { return cable::readCableFile((*files)[i]); },
        [&](std::size_t i, cable::CableFile&& file) {
          if (!file.trace) {
            progress.message(file.error);
            anyBad = true;
          }
          read[i] = std::move(file);
        });
  }
  CableReportInfo info;
  info.cable = QString::fromStdString(o.cable);
  info.operatorName = QString::fromStdString(o.operatorName);
  info.date = QDateTime::currentDateTime();
  info.language = o.language;
  info.decimalSeparator = QLocale().decimalPoint();
  if (o.pattern) info.pairing.namePattern = *o.pattern;
  info.events = o.ours ? compare::EventSource::Ours : compare::EventSource::InstrumentElseOurs;
  const cable::Cable cable = cable::certify(std::move(read), *limits, info.pairing, info.events);
  if (cable.rows.empty()) return fail(err, o.out + ": not written, no trace could be read");

  // The pages in parallel, into the document in fibre order.
  CableReportWriter writer(cable, *limits, info);
  std::vector<std::string> fibres;
  for (const cable::FibreRow& row : cable.rows) fibres.push_back("fibre " + row.fibre);
  bool pageFailed = false;
  {
    ProgressLine progress(err, "cable: pages", fibres.size(), showsProgress(err));
    runBatch<Result<FibrePage>>(
        fibres, o.jobs, progress, [&](std::size_t row) { return buildFibrePage(cable, row, info); },
        [&](std::size_t row, Result<FibrePage>&& page) {
          if (!page) {
            progress.message(page.error().text());
            pageFailed = true;
            return;
          }
          writer.addFibrePage(row, std::move(*page));
        });
  }
  if (pageFailed) return fail(err, o.out + ": not written, a fibre's page is missing");
  const Result<QByteArray> pdf = writer.finish();
  if (!pdf) return fail(err, o.out + ": " + pdf.error().text());
  if (const std::string problem = writeOutput(pathFromText(o.out), bytesOf(*pdf), o.force);
      !problem.empty())
    return fail(err, problem);
  if (!o.csv.empty())
    if (const std::string problem =
            writeOutput(pathFromText(o.csv), cable::cableCsv(cable), o.force);
        !problem.empty())
      return fail(err, problem);
  if (!o.xlsx.empty()) {
    const Result<std::string> book = cableXlsx(cable, o.language, info.events);
    if (!book) return fail(err, o.xlsx + ": " + book.error().text());
    if (const std::string problem = writeOutput(pathFromText(o.xlsx), *book, o.force);
        !problem.empty())
      return fail(err, problem);
  }
  out << cable.passed() + cable.failed() << " fibres: " << cable.passed() << " passed, "
      << cable.failed() << " failed\n";
  out.flush();
  return anyBad ? kExitFailure : kExitOk;
}

}  // namespace

extern const Command kCableCommand{
    "cable",
    "cable DIR_OR_FILE... --limits FILE|PRESET --out FILE.pdf [--csv FILE] [--xlsx FILE]\n"
    "         [--lang en|zh] [--cable TEXT] [--operator TEXT] [--pattern P] [--ours]\n"
    "         [--force] [--jobs N]",
    "Certify the traces as one cable against the limits (a JSON file or a preset's name) "
    "and write the cable report: a summary, one page per fibre with its verdict and the "
    "SHA-256 of its files, and the files attached. A folder gives its .sor and .otdr "
    "files. Fibres and directions come from the SOR fibre ID, else the name pattern "
    "(--pattern, {fibre} {dir} *), else the first number in the name. --ours judges our "
    "own events rather than the instrument's. --csv and --xlsx write the summary too. A "
    "file that cannot be read is named and left out; the exit status is then 2. An "
    "existing file is replaced only with --force. Uses every core unless --jobs.",
    runCable, kCableOptions};

}  // namespace tracelink::cli
