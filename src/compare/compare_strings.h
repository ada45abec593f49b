#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "compare/bends.h"
#include "compare/bidir.h"
#include "record/language.h"

namespace tracelink::compare {

// The comparison's texts of one language (UTF-8). In a pattern {0}, {1}, ... stand for the
// values named in the comment, in that order.
struct CompareStrings {
  // Refusals and warnings; the files are named as given.
  std::string_view wavelengthsDiffer;  // file A, file B, wavelength A, wavelength B (nm)
  std::string_view lengthsDiffer;      // file A, file B, length A, length B, tolerance (m)
  std::string_view noFibre;            // the file
  std::string_view pulseWidthsDiffer;  // file A, file B, pulse A, pulse B (ns)
  std::string_view sameWavelength;     // first file, second file, wavelength (nm)
  std::string_view tooMany;            // count, most

  // The two-direction table.
  std::string_view number;
  std::string_view distance;  // "Distance (m)"
  std::string_view lossAB;
  std::string_view lossBA;
  std::string_view average;
  std::string_view reflectance;
  std::string_view oneDirection;  // the flag of an event seen from one end only
  std::string_view bidirHead;     // wavelength (nm), length (m), tolerance (m)
  std::string_view bidirTotals;   // loss A→B, B→A, their average (dB)

  // The bends table.
  std::string_view lossAt;     // wavelength (nm): a column of losses
  std::string_view bend;       // the column, and the flag of a bend
  std::string_view bendsHead;  // short and long wavelength (nm), delta (dB)
};

const CompareStrings& compareStrings(Language language);

// The comparison's refusals and warnings in either language, with the files named: the
// window's status line and dialogs and the command line say the same.
std::string problemText(const BidirProblem& problem, std::string_view fileA, std::string_view fileB,
                        Language language);
std::string warningText(const BidirNote& note, std::string_view fileA, std::string_view fileB,
                        Language language);
std::string problemText(const BendProblem& problem, std::string_view first, std::string_view second,
                        Language language);
// Nine traces or more: "at most 8 ..." naming the count.
std::string tooManyText(std::size_t count, Language language);

// A figure with at most `decimals` decimals, trailing zeros dropped ("1310", "0.25").
std::string compactNumber(double value, int decimals);

}  // namespace tracelink::compare
