// tracelink-cli report: the report page of each trace as a PDF, one document for all
// (--out) or one per trace (--out-dir).
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

#include "cli_batch.h"
#include "cli_command.h"
#include "cli_options.h"
#include "cli_qt.h"
#include "cli_sor_input.h"
#include "cli_trace.h"
#include "files/atomic_file.h"
#include "files/path_text.h"
#include "report/report_pdf.h"
#include "report/report_sources.h"
#include "report/report_strings.h"

namespace tracelink::cli {

namespace {

namespace fs = std::filesystem;

struct ReportOptions {
  std::vector<std::string> files;
  std::string out;
  std::string outDir;
  Language language = Language::English;
  std::optional<std::string> device, cable, fiber, fiberType, operatorName, time;
  bool force = false;
  unsigned jobs = 0;  // 0: one per core
};

constexpr OptionRule kReportOptions[] = {
    {"--force"},          {"--out", true},   {"--out-dir", true}, {"--lang", true},
    {"--device", true},   {"--cable", true}, {"--fiber", true},   {"--fiber-type", true},
    {"--operator", true}, {"--time", true},  {"--jobs", true},
};

// Returns an empty string when the arguments are good, else what is wrong with them.
std::string parseReportArgs(std::span<const std::string> args, ReportOptions& o) {
  const std::map<std::string_view, std::optional<std::string>*> texts{
      {"--device", &o.device},        {"--cable", &o.cable},           {"--fiber", &o.fiber},
      {"--fiber-type", &o.fiberType}, {"--operator", &o.operatorName}, {"--time", &o.time}};
  const std::string problem = parseOptions(
      args, {"report", kReportOptions},
      [&](std::string_view name, const std::string& value) -> std::string {
        if (name == "--force") {
          o.force = true;
        } else if (const auto t = texts.find(name); t != texts.end()) {
          *t->second = value;
        } else if (name == "--out") {
          o.out = value;
        } else if (name == "--out-dir") {
          o.outDir = value;
        } else if (name == "--lang") {
          return takeLanguage(value, o.language);
        } else {
          return takeJobs(value, o.jobs);
        }
        return {};
      },
      [&](const std::string& file) {
        o.files.push_back(file);
        return std::string();
      });
  if (!problem.empty()) return problem;
  if (o.files.empty()) return "report: no FILE given (see --help)";
  if (o.out.empty() == o.outDir.empty())
    return "report: give either --out FILE.pdf or --out-dir DIR";
  return {};
}

QString qtext(const std::string& s) {
  return QString::fromStdString(s);
}

// The header the print settings window would show, with what the options replace. The
// window's time field holds its load time; a file report gives the time the trace was
// saved.
ReportHeader headerFor(const ReportOptions& o, const std::string& file) {
  ReportHeader h = defaultReportHeader(o.language, QFileInfo(qtext(file)).lastModified());
  const auto pick = [](const std::optional<std::string>& given, QString& field) {
    if (given) field = qtext(*given);
  };
  pick(o.device, h.deviceName);
  pick(o.cable, h.cableNo);
  pick(o.fiber, h.fiberNo);
  pick(o.fiberType, h.fiberType);
  pick(o.operatorName, h.operatorName);
  pick(o.time, h.time);
  return h;
}

struct Page {
  ReportHeader header;
  ReportSources sources;
  ReportPdfPicture picture;  // made on the worker for a page of the one document
};

Result<Page> pageFor(const ReportOptions& o, const std::string& file, const QString& separator) {
  // The trace as the window shows it after loading the file, and the report it prints.
  TraceSession session(o.language, separator.toStdString());
  if (isSorFile(file)) {
    // Any maker's SOR file, told by its content as the window tells it: ours gives its
    // record back, another maker's its own trace.
    if (const Status read = session.loadFile(pathFromText(file)); !read) return read.error();
  } else {
    Result<LoadedTrace> trace = loadTrace(file);
    if (!trace) return trace.error();
    session.showLoadedTrace(std::move(*trace), pathFromText(file));
  }
  Page page;
  page.header = headerFor(o, file);
  // Another maker's file names its cable, fibre and operator, as the print settings start
  // with them in the window; what the options give wins.
  if (const ForeignShown* foreign = session.foreign()) {
    const Identity& id = foreign->trace.identity;
    const auto take = [](const std::optional<std::string>& given, const std::string& text,
                         QString& field) {
      if (!given && !qtext(text).trimmed().isEmpty()) field = qtext(text).trimmed();
    };
    take(o.cable, id.cable, page.header.cableNo);
    take(o.fiber, id.fiber, page.header.fiberNo);
    take(o.operatorName, id.operatorName, page.header.operatorName);
  }
  page.sources = BuildReportSources(session);
  return page;
}

int reportIntoOneFile(const ReportOptions& o, const QString& separator, std::ostream& err) {
  const fs::path out = pathFromText(o.out);
  if (const std::optional<std::string> refused = refuseExisting(o.out, o.force))
    return fail(err, *refused);

  ProgressLine progress(err, "report", o.files.size(), showsProgress(err));
  ReportPdfWriter writer(o.language, separator);
  bool anyFailed = false;
  // The document is drawn on this thread alone; its plot pictures, the larger part of a
  // page's cost, are made on the workers.
  runBatch<Result<Page>>(
      o.files, o.jobs, progress,
      [&](std::size_t i) {
        Result<Page> page = pageFor(o, o.files[i], separator);
        if (page) page->picture = reportPdfPicture(page->sources.plotCanvas);
        return page;
      },
      [&](std::size_t, Result<Page>&& page) {
        if (!page) {
          progress.message(page.error().text());
          anyFailed = true;
          return;
        }
        writer.addPage(page->header, page->sources, std::move(page->picture));
      });
  if (writer.pageCount() == 0)
    return fail(err, pathText(out) + ": not written, no page to put in it");
  const Result<QByteArray> bytes = writer.finish();
  if (!bytes) return fail(err, pathText(out) + ": " + bytes.error().text());
  if (const std::string problem = writeOutput(out, bytesOf(*bytes), o.force); !problem.empty())
    return fail(err, problem);
  return anyFailed ? kExitFailure : kExitOk;
}

int reportIntoFolder(const ReportOptions& o, const QString& separator, std::ostream& err) {
  const fs::path dir = pathFromText(o.outDir);
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return fail(err, pathText(dir) + ": is not a folder");

  // Two inputs of the same base name would write one file; the later one is refused.
  std::vector<fs::path> targets;
  std::map<fs::path, std::size_t> firstOwner;
  std::vector<std::string> clash(o.files.size());
  for (std::size_t i = 0; i < o.files.size(); ++i) {
    targets.push_back(dir / pathFromText(o.files[i]).filename().replace_extension(".pdf"));
    const auto [it, fresh] = firstOwner.emplace(targets.back(), i);
    if (!fresh)
      clash[i] = pathText(targets.back()) + ": also the report of '" + o.files[it->second] +
                 "', not written for '" + o.files[i] + "'";
  }

  ProgressLine progress(err, "report", o.files.size(), showsProgress(err));
  bool anyFailed = false;
  {
    GroupedSaves saves([&](std::size_t, const Status& saved) {
      if (!saved) {
        progress.message(saveFailureText(saved.error()));
        anyFailed = true;
      }
    });
    const ExistingFile existing = o.force ? ExistingFile::Replace : ExistingFile::Keep;
    runBatch<Result<StagedFile>>(
        o.files, o.jobs, progress,
        [&](std::size_t i) -> Result<StagedFile> {
          if (!clash[i].empty()) return Error{clash[i]};
          const Result<Page> page = pageFor(o, o.files[i], separator);
          if (!page) return page.error();
          const Result<QByteArray> bytes =
              ReportPdf(page->header, page->sources, o.language, separator);
          if (!bytes) return Error{pathText(targets[i]) + ": " + bytes.error().text()};
          return StageFile(
              targets[i],
              std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())),
              existing);
        },
        [&](std::size_t i, Result<StagedFile>&& staged) { saves.add(i, std::move(staged)); });
    saves.finish();
  }
  return anyFailed ? kExitFailure : kExitOk;
}

int runReport(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  ReportOptions options;
  if (const std::string problem = parseReportArgs(args, options); !problem.empty())
    return fail(err, problem);
  const std::unique_ptr<QGuiApplication> app = startGuiApplication();
  const QString separator = QLocale().decimalPoint();
  const int status = options.out.empty() ? reportIntoFolder(options, separator, err)
                                         : reportIntoOneFile(options, separator, err);
  out.flush();
  return status;
}

}  // namespace

extern const Command kReportCommand{
    "report",
    "report FILE... (--out FILE.pdf | --out-dir DIR) [--lang en|zh] [--device TEXT]\n"
    "         [--cable TEXT] [--fiber TEXT] [--fiber-type TEXT] [--operator TEXT]\n"
    "         [--time TEXT] [--force] [--jobs N]",
    "Write the report page of each FILE as the window prints it, as PDF (A4): all pages "
    "in one file, in the order given (--out), or FILE's base name with .pdf in DIR "
    "(--out-dir). The header fields default to the print settings window's, the time to "
    "the file's modification time. An existing file is replaced only with --force. A bad "
    "FILE is named and skipped; the exit status is then 2. Uses every core unless --jobs.",
    runReport, kReportOptions};

}  // namespace tracelink::cli
