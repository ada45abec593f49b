// The one argument parser of tracelink-cli: the forms an option takes, the problems it
// names, and every subcommand taking "--opt=value" as it takes "--opt value".
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_options.h"
#include "cli_run.h"

namespace tracelink::cli {
namespace {

constexpr OptionRule kOptions[] = {
    {"--flag"}, {"--value", true}, {"--lang", true, "en or zh"}, {"--out", true}};

struct Parsed {
  std::vector<std::string> seen;  // "--name=value" for an option, "file:NAME" for a file
  std::string problem;
};

// The handlers refuse the value "bad", to show that a handler's problem ends the parse.
Parsed parse(const std::vector<std::string>& args, bool hint = true) {
  Parsed p;
  p.problem = parseOptions(
      args, {"cmd", kOptions, hint},
      [&](std::string_view name, const std::string& value) -> std::string {
        if (value == "bad") return "'bad' is no " + std::string(name);
        p.seen.push_back(std::string(name) + "=" + value);
        return {};
      },
      [&](const std::string& file) -> std::string {
        if (file == "bad") return "no such FILE";
        p.seen.push_back("file:" + file);
        return {};
      });
  return p;
}

TEST(CliOptions, FormsAndProblems) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::vector<std::string> seen;
    std::string problem;
  };
  const Case cases[] = {
      {"nothing", {}, {}, ""},
      {"a flag", {"--flag"}, {"--flag="}, ""},
      {"a value after the option", {"--value", "x"}, {"--value=x"}, ""},
      {"a value after =", {"--value=x"}, {"--value=x"}, ""},
      {"an empty value after =", {"--value="}, {"--value="}, ""},
      {"the value holds =", {"--value=a=b"}, {"--value=a=b"}, ""},
      {"an empty value after the option", {"--value", ""}, {"--value="}, ""},
      {"a value starting with -", {"--value", "-5 dB"}, {"--value=-5 dB"}, ""},
      {"a value that looks like an option", {"--out", "--flag"}, {"--out=--flag"}, ""},
      {"files among the options, in order",
       {"a.otdr", "--flag", "b.otdr", "--value", "v", "c.otdr"},
       {"file:a.otdr", "--flag=", "file:b.otdr", "--value=v", "file:c.otdr"},
       ""},
      {"- is a file", {"-"}, {"file:-"}, ""},
      {"an empty argument is a file", {""}, {"file:"}, ""},
      {"a name holding = is a file", {"x=1.otdr"}, {"file:x=1.otdr"}, ""},
      {"repeated options, each in turn",
       {"--value", "1", "--flag", "--value=2", "--flag"},
       {"--value=1", "--flag=", "--value=2", "--flag="},
       ""},
      {"a missing value", {"a", "--value"}, {"file:a"}, "cmd: --value needs a value"},
      {"a missing value with its own words", {"--lang"}, {}, "cmd: --lang needs en or zh"},
      {"an unknown option", {"--nope"}, {}, "cmd: unknown option '--nope' (see --help)"},
      {"an unknown option with a value",
       {"--nope=1"},
       {},
       "cmd: unknown option '--nope=1' (see --help)"},
      {"a flag given a value", {"--flag=1"}, {}, "cmd: unknown option '--flag=1' (see --help)"},
      {"a single dash", {"-v"}, {}, "cmd: unknown option '-v' (see --help)"},
      {"a single dash with =", {"-value=1"}, {}, "cmd: unknown option '-value=1' (see --help)"},
      {"a prefix of an option", {"--val", "x"}, {}, "cmd: unknown option '--val' (see --help)"},
      {"-- is no end of options", {"--", "a"}, {}, "cmd: unknown option '--' (see --help)"},
      {"the first problem wins",
       {"--flag", "--nope", "--value"},
       {"--flag="},
       "cmd: unknown option '--nope' (see --help)"},
      {"a handler's problem ends the parse",
       {"--value=bad", "--nope"},
       {},
       "cmd: 'bad' is no --value"},
      {"a file handler's problem too", {"a", "bad", "--nope"}, {"file:a"}, "cmd: no such FILE"},
  };
  for (const Case& c : cases) {
    const Parsed p = parse(c.args);
    EXPECT_EQ(p.seen, c.seen) << c.what;
    EXPECT_EQ(p.problem, c.problem) << c.what;
  }
  EXPECT_EQ(parse({"--nope"}, false).problem, "cmd: unknown option '--nope'");
}

TEST(CliOptions, OneFileKeepsTheFirstAndRefusesASecond) {
  std::string file;
  const FileHandler take = oneFile(file);
  EXPECT_EQ(take("a.otdr"), "");
  EXPECT_EQ(file, "a.otdr");
  EXPECT_EQ(take("b.otdr"), "more than one FILE given");
  EXPECT_EQ(file, "a.otdr");
}

TEST(CliOptions, LanguagesAndJobs) {
  EXPECT_EQ(languageNamed("en"), Language::English);
  EXPECT_EQ(languageNamed("zh"), Language::Chinese);
  for (const char* bad : {"", "EN", "zh-CN", "de", " en"}) EXPECT_FALSE(languageNamed(bad)) << bad;

  const std::pair<const char*, unsigned> good[] = {{"1", 1}, {"2", 2}, {"64", 64}, {"256", 256}};
  for (const auto& [text, n] : good) EXPECT_EQ(jobsNamed(text), n) << text;
  for (const char* bad :
       {"", "0", "257", "05", "+5", "-1", "5x", " 5", "5 ", "1.0", "99999999999999999999"})
    EXPECT_FALSE(jobsNamed(bad)) << bad;
}

// A bad value is named and leaves what was taken before as it was.
TEST(CliOptions, TakeLanguageAndJobs) {
  Language language = Language::English;
  EXPECT_EQ(takeLanguage("zh", language), "");
  EXPECT_EQ(language, Language::Chinese);
  EXPECT_EQ(takeLanguage("de", language), "--lang 'de' is not en or zh");
  EXPECT_EQ(language, Language::Chinese);

  unsigned jobs = 0;
  EXPECT_EQ(takeJobs("3", jobs), "");
  EXPECT_EQ(jobs, 3u);
  EXPECT_EQ(takeJobs("0", jobs), "--jobs '0' is not a number 1..256");
  EXPECT_EQ(jobs, 3u);
}

TEST(CliOptions, PlainNumbers) {
  const std::pair<const char*, double> good[] = {{"0", 0},    {"12.5", 12.5}, {"-3", -3},
                                                 {".5", 0.5}, {"5.", 5},      {"100000", 100000}};
  for (const auto& [text, v] : good) EXPECT_EQ(plainNumber(text), v) << text;
  // No exponent, no "+", nothing around it, and never infinite or not a number.
  for (const char* bad :
       {"", "+1", "1e3", " 1", "1 ", "1m", "inf", "-inf", "nan", "0x10", "-", "1e999", "1,5"})
    EXPECT_FALSE(plainNumber(bad)) << bad;
}

struct CliOutcome {
  int status;
  std::string out;
  std::string err;
};

CliOutcome runArgs(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

// For every subcommand and every option it takes with a value, "--opt=V" does what
// "--opt V" does. No FILE is given, so nothing is read or written: the line is either the
// value's problem or the missing FILE, and never an unknown option.
TEST(CliOptions, EverySubcommandTakesBothFormsOfEveryValue) {
  int checked = 0;
  for (const Command* c : commands()) {
    for (const OptionRule& o : c->options) {
      const std::string name(c->name);
      const std::string option(o.name);
      if (!o.takesValue) {
        const CliOutcome flag = runArgs({name, option + "=1"});
        EXPECT_EQ(flag.err,
                  "tracelink-cli: " + name + ": unknown option '" + option + "=1' (see --help)\n");
        continue;
      }
      for (const std::string value : {"zz", "en", "7", "-3"}) {
        const CliOutcome apart = runArgs({name, option, value});
        const CliOutcome joined = runArgs({name, option + "=" + value});
        EXPECT_EQ(joined.status, kExitFailure) << name << " " << option;
        EXPECT_EQ(joined.err, apart.err) << name << " " << option << " " << value;
        EXPECT_EQ(joined.out, apart.out) << name << " " << option << " " << value;
        EXPECT_EQ(joined.err.find("unknown option"), std::string::npos) << joined.err;
        EXPECT_EQ(std::count(joined.err.begin(), joined.err.end(), '\n'), 1) << joined.err;
      }
      EXPECT_EQ(runArgs({name, "x", option}).err,
                "tracelink-cli: " + name + ": " + option + " needs " + std::string(o.needs) + "\n");
      ++checked;
    }
  }
  EXPECT_GE(checked, 20);  // every command's value options, not none
}

}  // namespace
}  // namespace tracelink::cli
