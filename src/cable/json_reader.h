#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tracelink::cable::json {

// A small strict JSON reader for the limits files: the grammar of RFC 8259 and nothing
// more (no comments, no trailing commas, no NaN), strings checked to be UTF-8, nesting
// bounded, and every value remembering the byte offset it starts at, so that a refusal can
// point at it. Duplicate keys are refused here: which of two values a misspelt file meant
// cannot be guessed.

struct Value;
using Member = std::pair<std::string, std::unique_ptr<Value>>;

struct Null {};
struct Object {
  std::vector<Member> members;          // in the order written
  std::vector<std::size_t> keyOffsets;  // where each member's key starts
};
struct Array {
  std::vector<std::unique_ptr<Value>> items;
};
struct Number {
  double value = 0;
  bool finite = true;  // false when the text overflows a double
};

struct Value {
  std::variant<Null, bool, Number, std::string, Array, Object> data;
  std::size_t offset = 0;
};

inline constexpr std::size_t kMaxDepth = 64;

struct ParseFault {
  enum class Kind { Syntax, DuplicateKey } kind = Kind::Syntax;
  std::size_t offset = 0;
  std::string key;  // the duplicate key
};

using ParseOutcome = std::variant<Value, ParseFault>;
ParseOutcome parse(std::string_view text);

// A string as a JSON string literal, quotes included; UTF-8 passes through as it is.
std::string quoted(std::string_view text);

}  // namespace tracelink::cable::json
