#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "cli_batch.h"
#include "cli_command.h"
#include "cli_identity.h"
#include "cli_options.h"
#include "cli_sor_input.h"
#include "cli_trace.h"
#include "files/atomic_file.h"
#include "files/path_text.h"
#include "files/record_file.h"
#include "sor/sor_io.h"
#include "sor/sor_strings.h"
#include "sor/trace_sor.h"

namespace tracelink::cli {

namespace {

namespace fs = std::filesystem;

struct SorOptions {
  std::vector<std::string> files;
  std::string out;
  std::string outDir;
  bool force = false;
  std::optional<std::int64_t> time;
  sor::SorExportOptions texts;
  // The same texts for another maker's file, which keeps those not given.
  IdentityOverrides given;
  unsigned jobs = 0;  // 0: one per core
};

constexpr OptionRule kSorOptions[] = {
    {"--force"},
    {"--out", true},
    {"--out-dir", true},
    {"--cable", true},
    {"--fiber", true},
    {"--operator", true},
    {"--location-a", true},
    {"--location-b", true},
    {"--comment", true},
    {"--time", true, "YYYY-MM-DDTHH:MM:SS"},
    {"--lang", true, "en or zh"},
    {"--jobs", true},
};

// Returns an empty string when the arguments are good, else what is wrong with them.
std::string parseSorArgs(std::span<const std::string> args, SorOptions& o) {
  const std::map<std::string_view, std::string*> textOptions{{"--out", &o.out},
                                                             {"--out-dir", &o.outDir},
                                                             {"--cable", &o.texts.cable},
                                                             {"--fiber", &o.texts.fiber},
                                                             {"--operator", &o.texts.operatorName},
                                                             {"--location-a", &o.texts.locationA},
                                                             {"--location-b", &o.texts.locationB},
                                                             {"--comment", &o.texts.comment}};
  const std::map<std::string_view, std::optional<std::string>*> givenTexts{
      {"--cable", &o.given.cable},           {"--fiber", &o.given.fiber},
      {"--operator", &o.given.operatorName}, {"--location-a", &o.given.locationA},
      {"--location-b", &o.given.locationB},  {"--comment", &o.given.comment}};
  const std::string problem = parseOptions(
      args, {"sor", kSorOptions},
      [&](std::string_view name, const std::string& value) -> std::string {
        if (name == "--force") {
          o.force = true;
        } else if (auto it = textOptions.find(name); it != textOptions.end()) {
          *it->second = value;
          if (const auto g = givenTexts.find(name); g != givenTexts.end()) *g->second = value;
        } else if (name == "--time") {
          o.time = parseUtc(value);
          if (!o.time) return "--time '" + value + "' is not YYYY-MM-DDTHH:MM:SS";
        } else if (name == "--jobs") {
          return takeJobs(value, o.jobs);
        } else if (const std::optional<Language> lang = languageNamed(value)) {
          o.texts.language = *lang;
        } else {
          return "unknown language '" + value + "' (use en or zh)";
        }
        return {};
      },
      [&](const std::string& file) {
        o.files.push_back(file);
        return std::string();
      });
  if (!problem.empty()) return problem;
  if (o.files.empty()) return "sor: no FILE given (see --help)";
  if (o.out.empty() == o.outDir.empty()) return "sor: give either --out FILE.sor or --out-dir DIR";
  if (!o.out.empty() && o.files.size() > 1)
    return "sor: --out takes one FILE; use --out-dir for " + std::to_string(o.files.size());
  return {};
}

// The modification time of a file in seconds since 1970, for a trace loaded from it.
std::optional<std::int64_t> fileTime(const std::string& path) {
  std::error_code ec;
  const fs::file_time_type t = fs::last_write_time(pathFromText(path), ec);
  if (ec) return std::nullopt;
  const auto sys = std::chrono::file_clock::to_sys(t);
  return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

// Whether the file is a SOR file that carries no record of ours.
bool isForeignSor(const std::string& path) {
  if (!isSorFile(path)) return false;
  Result<std::vector<std::uint8_t>> bytes =
      ReadFileBytes(pathFromText(path), sor::kMaxSorFileBytes);
  if (!bytes) return false;  // the loader then says why
  const sor::SorResult<sor::SorFile> file = sor::ReadSor(*bytes);
  return file.ok() && !sor::RecordOf(*file).has_value();
}

// One input converted and staged for its output; the empty string on success, else the
// message.
std::string exportOne(const std::string& input, const fs::path& output, const SorOptions& o,
                      std::optional<StagedFile>& staged) {
  std::vector<std::uint8_t> written;
  if (isForeignSor(input)) {
    // Another maker's file keeps every block but GenParams, its date included.
    if (o.time) return input + ": --time cannot change another maker's file, whose date is kept";
    Result<std::vector<std::uint8_t>> bytes = rewriteSorIdentity(input, o.given);
    if (!bytes) return bytes.error().text();
    written = std::move(*bytes);
  } else {
    Result<LoadedTrace> trace = loadTrace(input);
    if (!trace) return trace.error().text();
    sor::SorExportOptions texts = o.texts;
    const std::optional<std::int64_t> when = o.time ? o.time : fileTime(input);
    texts.dateTime = when.value_or(0);
    sor::SorResult<std::vector<std::uint8_t>> bytes =
        sor::WriteTraceAsSor(*trace->record, trace->header, trace->view, trace->blocks, texts);
    // The command line words every refusal in English; --lang is the file's language.
    if (!bytes) return input + ": " + sor::problemText(bytes.problem(), Language::English);
    written = std::move(*bytes);
  }
  const std::vector<std::uint8_t>* bytes = &written;
  const std::string_view view(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  Result<StagedFile> stage =
      StageFile(output, view, o.force ? ExistingFile::Replace : ExistingFile::Keep);
  if (!stage) return saveFailureText(stage.error());
  staged = std::move(*stage);
  return {};
}

fs::path outputFor(const std::string& input, const SorOptions& o) {
  if (!o.out.empty()) return pathFromText(o.out);
  fs::path name = pathFromText(input).filename();
  name.replace_extension(".sor");
  return pathFromText(o.outDir) / name;
}

int runSor(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  SorOptions options;
  if (const std::string problem = parseSorArgs(args, options); !problem.empty())
    return fail(err, problem);
  if (!options.outDir.empty()) {
    std::error_code ec;
    if (!fs::is_directory(pathFromText(options.outDir), ec))
      return fail(err, "sor: --out-dir '" + options.outDir + "' is not a folder");
  }

  const std::size_t n = options.files.size();
  std::vector<fs::path> outputs(n);
  std::vector<std::string> messages(n);
  // Two inputs of the same base name would write one file twice.
  std::map<fs::path, std::size_t> taken;
  for (std::size_t i = 0; i < n; ++i) {
    outputs[i] = outputFor(options.files[i], options);
    const auto [it, fresh] = taken.emplace(outputs[i].lexically_normal(), i);
    if (!fresh)
      messages[i] = options.files[i] + ": writes the same " + pathText(outputs[i]) + " as " +
                    options.files[it->second];
  }

  // The files reach the disk together afterwards, and only then take their names.
  std::vector<std::optional<StagedFile>> staged(n);
  ProgressLine progress(err, "sor", n, showsProgress(err));
  runBatch<std::string>(
      options.files, options.jobs, progress,
      [&](std::size_t i) {
        if (!messages[i].empty()) return messages[i];
        return exportOne(options.files[i], outputs[i], options, staged[i]);
      },
      [&](std::size_t i, std::string&& message) { messages[i] = std::move(message); });
  std::vector<StagedFile> toCommit;
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < n; ++i)
    if (staged[i]) {
      toCommit.push_back(*staged[i]);
      order.push_back(i);
    }
  const std::vector<Status> committed = CommitStagedFiles(toCommit);
  for (std::size_t k = 0; k < committed.size(); ++k)
    if (!committed[k]) messages[order[k]] = saveFailureText(committed[k].error());

  bool anyFailed = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (messages[i].empty()) {
      out << pathText(outputs[i]) << '\n';
    } else {
      fail(err, "sor: " + messages[i]);
      anyFailed = true;
    }
  }
  out.flush();
  if (!out) return fail(err, "cannot write the output");
  return anyFailed ? kExitFailure : kExitOk;
}

}  // namespace

extern const Command kSorCommand{
    "sor",
    "sor FILE... (--out FILE.sor | --out-dir DIR) [--force] [--cable ID] [--fiber ID] "
    "[--operator NAME] [--location-a TEXT] [--location-b TEXT] [--comment TEXT] "
    "[--time YYYY-MM-DDTHH:MM:SS] [--lang en|zh] [--jobs N]",
    "Export trace files as SOR files: one FILE to --out, or any number into --out-dir with "
    "the same base name and .sor. Never replaces a file without --force; writes atomically; "
    "a bad input is named and the others still go. --time is UTC (default: the file's "
    "modification time). Another maker's SOR file keeps every block but GenParams, and the "
    "texts not given (see identity). Uses every core unless --jobs.",
    runSor, kSorOptions};

}  // namespace tracelink::cli
