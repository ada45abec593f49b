#include "cable/fibre_names.h"

#include <cctype>
#include <optional>

namespace tracelink::cable {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isAlnum(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}
char upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

constexpr std::string_view kFibre = "{fibre}";
constexpr std::string_view kDir = "{dir}";

// A name against the pattern, * as short as will do. {fibre} takes a whole run of its
// characters (digits, or letters and digits), never part of one: "F012" gives 012, not 12.
class Matcher {
 public:
  Matcher(std::string_view pattern, std::string_view name, bool digitsOnly)
      : p_(pattern), s_(name), digitsOnly_(digitsOnly) {}

  std::optional<FibreName> run() {
    if (!match(0, 0)) return std::nullopt;
    return found_;
  }

 private:
  bool inFibre(char c) const { return digitsOnly_ ? isDigit(c) : isAlnum(c); }

  bool match(std::size_t pi, std::size_t si) {
    if (pi == p_.size()) return si == s_.size();
    if (p_[pi] == '*') {
      while (pi < p_.size() && p_[pi] == '*') ++pi;
      for (std::size_t k = si; k <= s_.size(); ++k)
        if (match(pi, k)) return true;
      return false;
    }
    if (p_.substr(pi, kFibre.size()) == kFibre) {
      if (si >= s_.size() || !inFibre(s_[si]) || (si > 0 && inFibre(s_[si - 1]))) return false;
      std::size_t end = si;
      while (end < s_.size() && inFibre(s_[end])) ++end;
      if (!match(pi + kFibre.size(), end)) return false;
      found_.fibre = std::string(s_.substr(si, end - si));
      return true;
    }
    if (p_.substr(pi, kDir.size()) == kDir) {
      if (si + 2 > s_.size()) return false;
      const char a = upper(s_[si]);
      const char b = upper(s_[si + 1]);
      if (!((a == 'A' && b == 'B') || (a == 'B' && b == 'A'))) return false;
      if (!match(pi + kDir.size(), si + 2)) return false;
      found_.direction = a;
      return true;
    }
    if (si >= s_.size() || upper(p_[pi]) != upper(s_[si])) return false;
    return match(pi + 1, si + 1);
  }

  std::string_view p_;
  std::string_view s_;
  bool digitsOnly_;
  FibreName found_;
};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

}  // namespace

FibreName fibreOf(std::string_view fileName, std::string_view sorFibreId,
                  std::string_view pattern) {
  // A pattern longer than any sensible one is not tried: each * is a loop over the name.
  constexpr std::size_t kLongestPattern = 200;
  std::optional<FibreName> byName;
  if (pattern.size() <= kLongestPattern) {
    byName = Matcher(pattern, fileName, true).run();
    if (!byName) byName = Matcher(pattern, fileName, false).run();
  }
  FibreName result;
  if (byName) result = *byName;
  if (const std::string_view id = trimmed(sorFibreId); !id.empty()) {
    result.fibre = std::string(id);
  } else if (result.fibre.empty()) {
    const std::size_t dot = fileName.rfind('.');
    const std::string_view stem =
        dot == 0 || dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
    std::size_t i = 0;
    while (i < stem.size() && !isDigit(stem[i])) ++i;
    std::size_t end = i;
    while (end < stem.size() && isDigit(stem[end])) ++end;
    result.fibre = std::string(i < stem.size() ? stem.substr(i, end - i) : stem);
  }
  return result;
}

std::string fibreKey(std::string_view fibre) {
  fibre = trimmed(fibre);
  bool digits = !fibre.empty();
  for (const char c : fibre) digits = digits && isDigit(c);
  if (digits) {
    while (fibre.size() > 1 && fibre.front() == '0') fibre.remove_prefix(1);
    return std::string(fibre);
  }
  std::string key(fibre);
  for (char& c : key) c = upper(c);
  return key;
}

bool NaturalLess::operator()(std::string_view a, std::string_view b) const {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      std::size_t ie = i;
      std::size_t je = j;
      while (ie < a.size() && isDigit(a[ie])) ++ie;
      while (je < b.size() && isDigit(b[je])) ++je;
      std::string_view x = a.substr(i, ie - i);
      std::string_view y = b.substr(j, je - j);
      while (x.size() > 1 && x.front() == '0') x.remove_prefix(1);
      while (y.size() > 1 && y.front() == '0') y.remove_prefix(1);
      if (x.size() != y.size()) return x.size() < y.size();
      if (x != y) return x < y;
      i = ie;
      j = je;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
  return a < b;  // "01" and "1" are told apart, so the order stays strict
}

}  // namespace tracelink::cable
