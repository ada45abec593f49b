#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sor/sor_problem.h"

namespace tracelink::sor {

// The identity texts of GenParams a user may correct in any maker's file.
struct IdentityTexts {
  std::string cable;
  std::string fiber;
  std::string locationA;
  std::string locationB;
  std::string operatorName;
  std::string comment;
  bool operator==(const IdentityTexts&) const = default;
};

// The identity texts a file's GenParams holds (empty ones when it has none).
IdentityTexts IdentityOf(std::span<const std::uint8_t> bytes);

// The file's bytes with GenParams's identity texts replaced, versions 1 and 2. Only
// GenParams (its size in the Map) and the Cksum value change; every other block, the Map's
// other entries and bytes after the last block stay byte for byte, so the maker's own
// software still finds its blocks. The checksum is computed the way the file's was when it
// matched a common way, else the standard way. Refuses a file that cannot be read or has
// no GenParams, and a text that is not printable ASCII (ExportNotAscii, naming it).
SorResult<std::vector<std::uint8_t>> RewriteIdentity(std::span<const std::uint8_t> bytes,
                                                     const IdentityTexts& texts);

}  // namespace tracelink::sor
