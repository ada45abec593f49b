#include "cable/json_reader.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <system_error>

#include "files/path_text.h"
#include "sor/sor_io.h"

namespace tracelink::cable::json {

namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  ParseOutcome document() {
    // A byte order mark is what some editors put before any text file; it is not content.
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
    std::optional<Value> v = value(0);
    if (!v) return fault_;
    skipSpace();
    if (pos_ != text_.size()) return syntax();
    return std::move(*v);
  }

 private:
  ParseFault syntax() {
    fault_ = ParseFault{ParseFault::Kind::Syntax, pos_, {}};
    return fault_;
  }
  std::optional<Value> fail() {
    syntax();
    return std::nullopt;
  }

  void skipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }
  bool literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  std::optional<Value> value(std::size_t depth) {
    skipSpace();
    if (pos_ >= text_.size()) return fail();
    Value v;
    v.offset = pos_;
    const char c = text_[pos_];
    if (c == '{' || c == '[') {
      if (depth >= kMaxDepth) return fail();
      if (c == '{') {
        std::optional<Object> o = object(depth);
        if (!o) return std::nullopt;
        v.data = std::move(*o);
      } else {
        std::optional<Array> a = array(depth);
        if (!a) return std::nullopt;
        v.data = std::move(*a);
      }
    } else if (c == '"') {
      std::optional<std::string> s = string();
      if (!s) return std::nullopt;
      v.data = std::move(*s);
    } else if (literal("true")) {
      v.data = true;
    } else if (literal("false")) {
      v.data = false;
    } else if (literal("null")) {
      v.data = Null{};
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      std::optional<Number> n = number();
      if (!n) return std::nullopt;
      v.data = *n;
    } else {
      return fail();
    }
    return v;
  }

  std::optional<Object> object(std::size_t depth) {
    ++pos_;  // {
    Object o;
    skipSpace();
    if (pos_ < text_.size() && text_[pos_] == '}') {
      ++pos_;
      return o;
    }
    for (;;) {
      skipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '"') {
        syntax();
        return std::nullopt;
      }
      const std::size_t keyAt = pos_;
      std::optional<std::string> key = string();
      if (!key) return std::nullopt;
      for (const Member& m : o.members)
        if (m.first == *key) {
          fault_ = ParseFault{ParseFault::Kind::DuplicateKey, keyAt, *key};
          return std::nullopt;
        }
      skipSpace();
      if (pos_ >= text_.size() || text_[pos_] != ':') {
        syntax();
        return std::nullopt;
      }
      ++pos_;
      std::optional<Value> v = value(depth + 1);
      if (!v) return std::nullopt;
      o.members.emplace_back(std::move(*key), std::make_unique<Value>(std::move(*v)));
      o.keyOffsets.push_back(keyAt);
      skipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < text_.size() && text_[pos_] == '}') {
        ++pos_;
        return o;
      }
      syntax();
      return std::nullopt;
    }
  }

  std::optional<Array> array(std::size_t depth) {
    ++pos_;  // [
    Array a;
    skipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') {
      ++pos_;
      return a;
    }
    for (;;) {
      std::optional<Value> v = value(depth + 1);
      if (!v) return std::nullopt;
      a.items.push_back(std::make_unique<Value>(std::move(*v)));
      skipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < text_.size() && text_[pos_] == ']') {
        ++pos_;
        return a;
      }
      syntax();
      return std::nullopt;
    }
  }

  std::optional<Number> number() {
    const std::size_t start = pos_;
    const auto digits = [&] {
      const std::size_t from = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      return pos_ - from;
    };
    if (text_[pos_] == '-') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '0') {
      ++pos_;  // no leading zeros: "01" is not a JSON number
    } else if (digits() == 0) {
      syntax();
      return std::nullopt;
    }
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (digits() == 0) {
        syntax();
        return std::nullopt;
      }
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (digits() == 0) {
        syntax();
        return std::nullopt;
      }
    }
    Number n;
    const char* first = text_.data() + start;
    const char* last = text_.data() + pos_;
    const std::from_chars_result r = std::from_chars(first, last, n.value);
    if (r.ec == std::errc::result_out_of_range) {
      // Too small for a double rounds to zero, which is what it means; too large is no limit.
      const std::string_view written = text_.substr(start, pos_ - start);
      const std::size_t e = written.find_first_of("eE");
      const bool tiny =
          e != std::string_view::npos && e + 1 < written.size() && written[e + 1] == '-';
      n.value = 0;
      n.finite = tiny;
    } else if (r.ec != std::errc() || r.ptr != last) {
      pos_ = start;
      syntax();
      return std::nullopt;
    }
    return n;
  }

  std::optional<unsigned> hex4() {
    if (pos_ + 4 > text_.size()) return std::nullopt;
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_ + static_cast<std::size_t>(i)];
      v <<= 4;
      if (c >= '0' && c <= '9')
        v |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        v |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        v |= static_cast<unsigned>(c - 'A' + 10);
      else
        return std::nullopt;
    }
    pos_ += 4;
    return v;
  }

  // One escape after its backslash at pos_; false with pos_ at the fault.
  bool escape(std::string& out) {
    ++pos_;  // the backslash
    if (pos_ >= text_.size()) return false;
    const char e = text_[pos_];
    static constexpr std::string_view kFrom = "\"\\/bfnrt";
    static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
    if (const std::size_t i = kFrom.find(e); i != std::string_view::npos) {
      out += kTo[i];
      ++pos_;
      return true;
    }
    if (e != 'u') return false;
    ++pos_;
    std::optional<unsigned> cp = hex4();
    if (!cp || (*cp >= 0xDC00 && *cp <= 0xDFFF)) return false;  // a lone low surrogate
    if (*cp >= 0xD800 && *cp <= 0xDBFF) {
      if (!literal("\\u")) return false;
      const std::optional<unsigned> low = hex4();
      if (!low || *low < 0xDC00 || *low > 0xDFFF) return false;
      cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
    }
    appendUtf8(out, static_cast<char32_t>(*cp));
    return true;
  }

  std::optional<std::string> string() {
    ++pos_;  // "
    std::string out;
    while (pos_ < text_.size()) {
      const auto c = static_cast<unsigned char>(text_[pos_]);
      if (c == '"') {
        ++pos_;
        return out;
      }
      if (c < 0x20) break;
      if (c == '\\') {
        if (!escape(out)) break;
        continue;
      }
      if (c < 0x80) {
        out += static_cast<char>(c);
        ++pos_;
        continue;
      }
      const std::size_t n = sor::Utf8Length(text_, pos_);
      if (n == 0) break;
      out.append(text_.substr(pos_, n));
      pos_ += n;
    }
    syntax();
    return std::nullopt;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  ParseFault fault_;
};

}  // namespace

ParseOutcome parse(std::string_view text) {
  return Reader(text).document();
}

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += ch;
    }
  }
  out += '"';
  return out;
}

}  // namespace tracelink::cable::json
