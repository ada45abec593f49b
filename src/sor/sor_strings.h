#pragma once

#include <string>
#include <string_view>

#include "record/language.h"
#include "sor/sor_file.h"
#include "sor/sor_problem.h"

namespace tracelink::sor {

// The words of a SorProblem, per language (UTF-8). In a pattern {0}, {1}, ... stand for
// the values named in the comment, in that order.
struct SorProblemStrings {
  std::string_view where;          // block, field, offset, what is wrong
  std::string_view exportRefused;  // what is wrong

  std::string_view fileEmpty;
  std::string_view fieldTooShort;  // bytes needed, bytes left
  std::string_view noNul;
  std::string_view countTooLarge;  // count, items, bytes needed, bytes left
  std::string_view mapVersion;     // version
  std::string_view notAMap;
  std::string_view mapPastEnd;   // bytes claimed, bytes in the file
  std::string_view mapTooSmall;  // bytes claimed
  std::string_view noBlocks;
  std::string_view blockNameMismatch;     // the name found
  std::string_view blockPastEnd;          // block size, bytes left
  std::string_view recordTooShort;        // bytes needed, bytes left
  std::string_view recordFormat;          // format
  std::string_view blockCount;            // block count (of the record block and of an export)
  std::string_view recordTopLevel;        // level
  std::string_view recordPointsOutside;   // first, end
  std::string_view recordPointsMismatch;  // points
  std::string_view recordOtherWords;      // words held, words needed
  std::string_view recordLevelMismatch;   // point
  std::string_view exportNotAscii;        // the text's name
  std::string_view exportDate;            // seconds since 1970
  std::string_view exportNoSamples;       // StartPoint, RangeLine
  std::string_view exportWordOutside;     // position, word

  // Rewriting the identity of a file.
  std::string_view editNoGenParams;

  // What CountTooLarge counts.
  std::string_view blockEntries;
  std::string_view pulseWidths;
  std::string_view events;
  std::string_view traces;
  std::string_view points;

  // The texts an export writes.
  std::string_view cable;
  std::string_view fiber;
  std::string_view operatorName;
  std::string_view locationA;
  std::string_view locationB;
  std::string_view comment;
};

const SorProblemStrings& sorProblemStrings(Language language);

// A problem in words: "block DataPts, field values, offset 1234: 30000 points need 60000
// bytes, 50002 remain", "cannot export as SOR: location A holds a character that is not
// printable ASCII". The command line prints the English line as it is; the window the line
// of its language.
std::string problemText(const SorProblem& problem, Language language);
// What is wrong alone, without where or the export's own prefix: for a window whose
// status line already says that the export failed.
std::string problemReason(const SorProblem& problem, Language language);

// How a file's checksum compared, in words: "ok", "ok (start 0)", "not set", "mismatch",
// "missing"; in Chinese the same in its words.
std::string checksumText(const ChecksumReport& report, Language language);

}  // namespace tracelink::sor
