#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "record/language.h"

namespace tracelink::cli {

// One option a subcommand accepts: "--json" alone, or "--out" with a value given as the
// next argument or after "=" ("--out FILE", "--out=FILE").
struct OptionRule {
  std::string_view name;
  bool takesValue = false;
  // How "COMMAND: --name needs ..." ends when the value is missing.
  std::string_view needs = "a value";
};

// What a subcommand accepts. An argument starting with "-" (but "-" alone, a file name
// for some programs) must be one of the options; any other argument is a FILE.
struct OptionTable {
  std::string_view command;  // starts every problem line: "sor: ..."
  std::span<const OptionRule> options;
  // Whether an unknown option's line ends with " (see --help)".
  bool unknownPointsToHelp = true;
};

// Hands each option (the value empty for one without) and each FILE to its handler, in
// the order given, the same option as often as it is given. A handler returns what is
// wrong with what it was handed, or the empty string. The first problem, from the parser
// or a handler, ends the parse and comes back as "COMMAND: problem"; the empty string
// when every argument was taken.
using OptionHandler = std::function<std::string(std::string_view name, const std::string& value)>;
using FileHandler = std::function<std::string(const std::string& file)>;
std::string parseOptions(std::span<const std::string> args, const OptionTable& table,
                         const OptionHandler& onOption, const FileHandler& onFile);

// A FileHandler for a command of one FILE: the first is kept in file, a second one is a
// problem.
FileHandler oneFile(std::string& file);

// "en" or "zh", as --lang takes them.
std::optional<Language> languageNamed(std::string_view value);

// --jobs: a whole number 1..256 written plainly (no sign, no leading zero, nothing after).
std::optional<unsigned> jobsNamed(std::string_view value);

// An OptionHandler's part for --lang and --jobs: the value kept in language or jobs, or
// what is wrong with it ("--lang 'de' is not en or zh"); the empty string when taken.
std::string takeLanguage(const std::string& value, Language& language);
std::string takeJobs(const std::string& value, unsigned& jobs);

// A distance, loss or tolerance as an option's value: a plain decimal number ("12.5",
// "-3"; no sign "+", no exponent, nothing after it), finite.
std::optional<double> plainNumber(std::string_view text);

}  // namespace tracelink::cli
