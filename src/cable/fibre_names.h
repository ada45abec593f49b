#pragma once

#include <string>
#include <string_view>

namespace tracelink::cable {

// Telling a file's fibre and direction from its SOR fibre ID and its name (see Pairing in
// summary.h for the rules).

struct FibreName {
  std::string fibre;
  char direction = 'A';
};
FibreName fibreOf(std::string_view fileName, std::string_view sorFibreId, std::string_view pattern);

// The key fibres are grouped by: a number without its leading zeros, a name in upper case.
std::string fibreKey(std::string_view fibre);

// Numbers as numbers: "2" before "10", "F2" before "F10".
struct NaturalLess {
  bool operator()(std::string_view a, std::string_view b) const;
};

}  // namespace tracelink::cable
