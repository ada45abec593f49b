#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "record/language.h"
#include "record/result.h"

namespace tracelink::sor {

// Why a SOR file cannot be read, or a trace cannot be exported as one. The values that go
// with a code are in SorProblem; problemText (sor_strings.h) puts them into words in
// either language. Reading codes come with the block, field and byte offset of the fault.
enum class SorCode {
  // Reading a file.
  FileEmpty,          // the file holds no byte
  FieldTooShort,      // the field needs a bytes, the block has b left
  NoNul,              // a string has no NUL before its block ends
  CountTooLarge,      // a `items` need b bytes, c remain
  MapVersion,         // the Map's version a is neither 1xx nor 2xx
  NotAMap,            // the file starts with neither "Map" nor a version-1 map
  MapPastEnd,         // the Map claims a bytes, the file has b
  MapTooSmall,        // a Map of a bytes cannot hold its own header
  NoBlocks,           // the Map's block count is 0
  BlockNameMismatch,  // the block starts with the name `found`
  BlockPastEnd,       // the block's size a runs past the end of the file, b bytes remain
  // Our own record block (the field and offset say where in it).
  RecordTooShort,        // the field needs a bytes, b remain
  RecordFormat,          // format a is not ours
  RecordBlockCount,      // block count a is outside 1..15
  RecordTopLevel,        // the top level a is not a 16-bit word
  RecordPointsOutside,   // points a..b lie outside the record
  RecordPointsMismatch,  // a points, which the file's DataPts do not hold
  RecordOtherWords,      // a sample words, the record needs b
  RecordLevelMismatch,   // DataPts point a is not a level of the record
  // Exporting a trace.
  ExportNotAscii,     // the text `text` holds a character that is not printable ASCII
  ExportDate,         // the date a (s since 1970) lies outside what the file can hold
  ExportBlockCount,   // block count a is outside 1..15
  ExportNoSamples,    // StartPoint a is not below RangeLine b
  ExportWordOutside,  // record position a holds b, outside 0..65535
  // Rewriting the identity of a file.
  EditNoGenParams,  // the file has no GenParams block to hold the texts
};
inline constexpr int kSorCodeCount = static_cast<int>(SorCode::EditNoGenParams) + 1;

// Whether the code refuses an export (rather than a file that is read).
constexpr bool isExportCode(SorCode code) {
  return code >= SorCode::ExportNotAscii;
}

// What CountTooLarge counts.
enum class SorItems { BlockEntries, PulseWidths, Events, Traces, Points };

// The texts an export writes; ExportNotAscii names the one at fault.
enum class SorText { Cable, Fiber, Operator, LocationA, LocationB, Comment };

struct SorProblem {
  SorCode code = SorCode::FileEmpty;
  // Where a file's fault lies: the block's name as the file has it, the field (the
  // format's own name for it, as in every language) and the offset from the file's start.
  std::string block;
  std::string field;
  std::size_t offset = 0;
  std::int64_t a = 0;  // the numbers the code names
  std::int64_t b = 0;
  std::int64_t c = 0;
  SorItems items = SorItems::Points;
  SorText text = SorText::Cable;
  std::string found;  // BlockNameMismatch: the name the block starts with (UTF-8)
  bool operator==(const SorProblem&) const = default;
};

// A problem in English, the command line's words; defined with the other texts.
std::string englishText(const SorProblem& problem);

// A value, or the problem that prevented it. It is a Result as well, whose error() is the
// English line, so callers that only show the command line's words need not know the
// codes; the window reads problem() and words it in its own language.
template <typename T>
class [[nodiscard]] SorResult : public Result<T> {
 public:
  SorResult(T value) : Result<T>(std::move(value)) {}
  SorResult(SorProblem problem)
      : Result<T>(Error{englishText(problem)}), problem_(std::move(problem)) {}

  // Only valid when !ok().
  const SorProblem& problem() const {
    assert(!this->ok());
    return problem_;
  }

 private:
  SorProblem problem_;
};

}  // namespace tracelink::sor
