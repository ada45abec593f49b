#pragma once

#include <array>
#include <string>

#include "record/language.h"
#include "record/units.h"

namespace tracelink {

// Texts the decoder writes, per language (UTF-8).
struct RecordStrings {
  std::array<std::string, 2> typeWords;  // event types 1 and 2
  std::string iorCaption;
  std::string pulseCaption;
  std::string wavelength;
  std::string ampCaption;
  std::string separator;
  std::array<std::string, 5> eventColumns;  // No., Type, Dis(m), Loss(dB), IL(dB)
};

const RecordStrings& recordStrings(Language language);

// The pulse-width words, indexed by PulseIndex; the same in both languages.
inline const std::array<std::string, kPulseWidthsNs.size()> kPulseWords = [] {
  std::array<std::string, kPulseWidthsNs.size()> words;
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = PulseWidthWord(kPulseWidthsNs[i]);
  return words;
}();

}  // namespace tracelink
