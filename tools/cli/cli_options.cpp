#include "cli_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tracelink::cli {

std::string parseOptions(std::span<const std::string> args, const OptionTable& table,
                         const OptionHandler& onOption, const FileHandler& onFile) {
  const auto problem = [&](const std::string& what) {
    return std::string(table.command) + ": " + what;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!a.starts_with("-") || a == "-") {
      if (std::string p = onFile(a); !p.empty()) return problem(p);
      continue;
    }
    // "--name=value" names the option before the first "="; a single dash never has one.
    std::string_view name = a;
    std::optional<std::string> value;
    if (const std::size_t eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
      name = std::string_view(a).substr(0, eq);
      value = a.substr(eq + 1);
    }
    const auto rule = std::find_if(table.options.begin(), table.options.end(),
                                   [&](const OptionRule& s) { return s.name == name; });
    // A flag given a value is no option of ours either; the line quotes it whole.
    if (rule == table.options.end() || (value && !rule->takesValue))
      return problem("unknown option '" + a + "'" +
                     (table.unknownPointsToHelp ? " (see --help)" : ""));
    if (rule->takesValue && !value) {
      // The next argument is the value whatever it looks like: "--comment -5 dB".
      if (i + 1 == args.size())
        return problem(std::string(name) + " needs " + std::string(rule->needs));
      value = args[++i];
    }
    if (std::string p = onOption(rule->name, value.value_or(std::string())); !p.empty())
      return problem(p);
  }
  return {};
}

FileHandler oneFile(std::string& file) {
  return [&file](const std::string& a) -> std::string {
    if (!file.empty()) return "more than one FILE given";
    file = a;
    return {};
  };
}

std::optional<Language> languageNamed(std::string_view value) {
  if (value == "en") return Language::English;
  if (value == "zh") return Language::Chinese;
  return std::nullopt;
}

std::optional<unsigned> jobsNamed(std::string_view value) {
  unsigned n = 0;
  const char* end = value.data() + value.size();
  const auto [ptr, ec] = std::from_chars(value.data(), end, n);
  if (ec != std::errc() || ptr != end || value.front() == '0' || n < 1 || n > 256)
    return std::nullopt;
  return n;
}

std::string takeLanguage(const std::string& value, Language& language) {
  const std::optional<Language> lang = languageNamed(value);
  if (!lang) return "--lang '" + value + "' is not en or zh";
  language = *lang;
  return {};
}

std::string takeJobs(const std::string& value, unsigned& jobs) {
  const std::optional<unsigned> n = jobsNamed(value);
  if (!n) return "--jobs '" + value + "' is not a number 1..256";
  jobs = *n;
  return {};
}

std::optional<double> plainNumber(std::string_view text) {
  double v = 0;
  const char* end = text.data() + text.size();
  const auto res = std::from_chars(text.data(), end, v, std::chars_format::fixed);
  if (res.ec != std::errc{} || res.ptr != end || !std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace tracelink::cli
