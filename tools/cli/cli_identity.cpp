// tracelink-cli identity: corrects the cable, fibre, locations, operator and comment of
// SOR files, any maker's, leaving every other block as it was.
#include "cli_identity.h"

#include <filesystem>
#include <map>
#include <ostream>

#include "cli_command.h"
#include "cli_options.h"
#include "cli_sor_input.h"
#include "files/path_text.h"
#include "files/record_file.h"
#include "sor/sor_edit.h"
#include "sor/sor_io.h"
#include "sor/sor_strings.h"

namespace tracelink::cli {

namespace {

namespace fs = std::filesystem;

struct IdentityOptions {
  std::vector<std::string> files;
  std::string out;
  std::string outDir;
  bool force = false;
  IdentityOverrides texts;
};

constexpr OptionRule kIdentityOptions[] = {
    {"--force"},          {"--out", true},     {"--out-dir", true},    {"--cable", true},
    {"--fiber", true},    {"--fibre", true},   {"--location-a", true}, {"--location-b", true},
    {"--operator", true}, {"--comment", true},
};

std::string parseIdentityArgs(std::span<const std::string> args, IdentityOptions& o) {
  const std::map<std::string_view, std::optional<std::string>*> texts{
      {"--cable", &o.texts.cable},          {"--fiber", &o.texts.fiber},
      {"--fibre", &o.texts.fiber},          {"--location-a", &o.texts.locationA},
      {"--location-b", &o.texts.locationB}, {"--operator", &o.texts.operatorName},
      {"--comment", &o.texts.comment}};
  const std::string problem = parseOptions(
      args, {"identity", kIdentityOptions},
      [&](std::string_view name, const std::string& value) -> std::string {
        if (name == "--force") {
          o.force = true;
        } else if (name == "--out") {
          o.out = value;
        } else if (name == "--out-dir") {
          o.outDir = value;
        } else {
          *texts.at(name) = value;
        }
        return {};
      },
      [&](const std::string& file) {
        o.files.push_back(file);
        return std::string();
      });
  if (!problem.empty()) return problem;
  if (o.files.empty()) return "identity: no FILE given (see --help)";
  if (o.out.empty() == o.outDir.empty())
    return "identity: give either --out FILE.sor or --out-dir DIR";
  if (!o.out.empty() && o.files.size() > 1)
    return "identity: --out takes one FILE; use --out-dir for " + std::to_string(o.files.size());
  return {};
}

fs::path outputFor(const std::string& input, const IdentityOptions& o) {
  if (!o.out.empty()) return pathFromText(o.out);
  fs::path name = pathFromText(input).filename();
  name.replace_extension(".sor");
  return pathFromText(o.outDir) / name;
}

// The empty string when written, else what went wrong.
std::string writeOne(const std::string& input, const fs::path& output, const IdentityOptions& o) {
  Result<std::vector<std::uint8_t>> bytes = rewriteSorIdentity(input, o.texts);
  if (!bytes) return bytes.error().text();
  const std::string_view view(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  // Writing over the input is an existing file like any other: --force, and then the
  // new file takes its place whole or not at all.
  return writeOutput(output, view, o.force);
}

int runIdentity(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  IdentityOptions options;
  if (const std::string problem = parseIdentityArgs(args, options); !problem.empty())
    return fail(err, problem);
  if (!options.outDir.empty()) {
    std::error_code ec;
    if (!fs::is_directory(pathFromText(options.outDir), ec))
      return fail(err, "identity: --out-dir '" + options.outDir + "' is not a folder");
  }
  bool anyFailed = false;
  std::map<fs::path, std::string> taken;
  for (const std::string& input : options.files) {
    const fs::path output = outputFor(input, options);
    // Two inputs of the same base name would write one file twice.
    const auto [it, fresh] = taken.emplace(output.lexically_normal(), input);
    const std::string message =
        fresh ? writeOne(input, output, options)
              : input + ": writes the same " + pathText(output) + " as " + it->second;
    if (message.empty()) {
      out << pathText(output) << '\n';
    } else {
      fail(err, "identity: " + message);
      anyFailed = true;
    }
  }
  out.flush();
  if (!out) return fail(err, "cannot write the output");
  return anyFailed ? kExitFailure : kExitOk;
}

}  // namespace

Result<std::vector<std::uint8_t>> rewriteSorIdentity(const std::string& path,
                                                     const IdentityOverrides& texts) {
  if (!isSorFile(path)) {
    std::error_code ec;
    if (fs::is_regular_file(pathFromText(path), ec))
      return Error{path + ": not a SOR file (sor exports an .otdr file with these texts)"};
  }
  Result<std::vector<std::uint8_t>> bytes =
      ReadFileBytes(pathFromText(path), sor::kMaxSorFileBytes);
  if (!bytes) return bytes.error();
  sor::IdentityTexts t = sor::IdentityOf(*bytes);
  const auto pick = [](const std::optional<std::string>& given, std::string& field) {
    if (given) field = *given;
  };
  pick(texts.cable, t.cable);
  pick(texts.fiber, t.fiber);
  pick(texts.locationA, t.locationA);
  pick(texts.locationB, t.locationB);
  pick(texts.operatorName, t.operatorName);
  pick(texts.comment, t.comment);
  sor::SorResult<std::vector<std::uint8_t>> rewritten = sor::RewriteIdentity(*bytes, t);
  if (!rewritten)
    return Error{path + ": " + sor::problemText(rewritten.problem(), Language::English)};
  return std::move(*rewritten);
}

extern const Command kIdentityCommand{
    "identity",
    "identity FILE... (--out FILE.sor | --out-dir DIR) [--force] [--cable ID] [--fiber ID] "
    "[--location-a TEXT] [--location-b TEXT] [--operator NAME] [--comment TEXT]",
    "Correct the cable, fibre, locations, operator and comment of SOR files of any maker: "
    "only GenParams and the checksum change, every other block stays byte for byte. A text "
    "not given keeps the file's; a new one must be printable ASCII. One FILE to --out, or "
    "any number into --out-dir with the same base name. Never replaces a file, the input "
    "included, without --force; writes atomically. --fibre is --fiber.",
    runIdentity, kIdentityOptions};

}  // namespace tracelink::cli
