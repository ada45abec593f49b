#pragma once

#include <array>
#include <string>

#include "record/language.h"

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
inline const std::array<std::string, 9> kPulseWords{"10ns",  "20ns", "50ns",  "100ns", "200ns",
                                                    "500ns", "1us",  "1.5us", "2.5us"};

}  // namespace tracelink
