// Any bytes as a limits file. A file it accepts, written back, reads back to the same
// limits and is written the same again; a refusal names a place inside the text, a key
// that is wrong itself where its name starts.
#include <string>
#include <string_view>
#include <variant>

#include "cable/limits.h"
#include "fuzz_check.h"

using namespace tracelink::cable;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const LimitsOutcome outcome = parseLimits(text);
  if (const auto* p = std::get_if<LimitsProblem>(&outcome)) {
    FUZZ_CHECK(p->offset <= size);
    if (p->fault == LimitsFault::NotJson) FUZZ_CHECK(p->key.empty());
    // A key that is wrong itself is pointed at where its quoted name starts.
    if (p->fault == LimitsFault::UnknownKey || p->fault == LimitsFault::DuplicateKey ||
        p->fault == LimitsFault::NotAWavelength)
      FUZZ_CHECK(p->offset < size && text[p->offset] == '"');
    return 0;
  }
  const Limits& limits = std::get<Limits>(outcome);
  FUZZ_CHECK(!limits.name.empty());
  const std::string written = limitsJson(limits);
  const LimitsOutcome back = parseLimits(written);
  FUZZ_CHECK(std::holds_alternative<Limits>(back));
  FUZZ_CHECK(std::get<Limits>(back) == limits);
  FUZZ_CHECK(limitsJson(std::get<Limits>(back)) == written);
  return 0;
}
