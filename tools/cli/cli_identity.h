#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/result.h"

namespace tracelink::cli {

// The identity texts a command was given; those not given keep the file's.
struct IdentityOverrides {
  std::optional<std::string> cable;
  std::optional<std::string> fiber;
  std::optional<std::string> locationA;
  std::optional<std::string> locationB;
  std::optional<std::string> operatorName;
  std::optional<std::string> comment;
};

// Another maker's SOR file with its GenParams texts replaced, every other block as it was
// (sor::RewriteIdentity). The error names the file and what is wrong, the refused text
// by name.
Result<std::vector<std::uint8_t>> rewriteSorIdentity(const std::string& path,
                                                     const IdentityOverrides& texts);

}  // namespace tracelink::cli
