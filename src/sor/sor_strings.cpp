#include "sor/sor_strings.h"

namespace tracelink::sor {

const SorStrings& sorStrings(Language language) {
  static const SorStrings english{
      "Export SOR\xE2\x80\xA6", "Export SOR",        "SOR (*.sor)", "SOR saved: %1",
      "SOR export failed: %1",  "No trace to export"};
  static const SorStrings chinese{
      "\xE5\xAF\xBC\xE5\x87\xBASOR\xE2\x80\xA6",
      "\xE5\xAF\xBC\xE5\x87\xBASOR",
      "SOR (*.sor)",
      "SOR\xE5\xB7\xB2\xE4\xBF\x9D\xE5\xAD\x98\xEF\xBC\x9A%1",
      "SOR\xE5\xAF\xBC\xE5\x87\xBA\xE5\xA4\xB1\xE8\xB4\xA5\xEF\xBC\x9A%1",
      "\xE6\xB2\xA1\xE6\x9C\x89\xE5\x8F\xAF\xE5\xAF\xBC\xE5\x87\xBA"
      "\xE7\x9A\x84\xE6\x9B\xB2\xE7\xBA\xBF"};
  return language == Language::Chinese ? chinese : english;
}

}  // namespace tracelink::sor
