#pragma once

#include <cassert>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "record/language.h"

namespace tracelink {

// What went wrong, as data: a code and the values it names. The window puts it into words
// in its language and the command-line tool in English (text()); the core layers never
// build sentences themselves.
enum class ErrorCode {
  Text,  // free words: tools, tests, or a sentence already in the window's language
  // Reading a trace file's text; a and b are the numbers named.
  FileEmpty,          // the file holds nothing
  FileNoFields,       // only blanks and line ends
  FileEndsEarly,      // ends after a of b fields
  FieldNotNumber,     // field a is not a number
  FieldTooLarge,      // field a is more than 65535
  FieldNegative,      // field a is negative
  BlockCountOutside,  // block count a is outside 1..15
  ParserFinished,     // the parser's words were already handed over
  // Reaching a file; sysError and systemText say why where the system told us.
  IsDirectory,     // a directory where a trace file was expected
  NotRegularFile,  // a pipe, device or other special file
  CannotOpen,
  CannotRead,
  SaveIsDirectory,  // the chosen save path is a directory
  CannotCreate,
  CannotWrite,
  CannotReplace,
  AlreadyExists,  // a file is there and replacing it was not asked for
  CannotCreateFolder,
  FileTooLarge,  // a bytes, more than the b bytes any trace file has
  // Writing the report as a PDF document.
  PdfFinished,    // the document was finished already
  PdfNoPage,      // a document with no page
  PdfCannotDraw,  // the toolkit could not draw a page
  PdfCannotEnd,   // the toolkit could not end the document
  PdfUnexpected,  // the toolkit's document is not as the writer completes it; a is a PdfFault
};

// What the PDF writer found amiss in the document the toolkit wrote, before it could add
// the subject and the lossless plots (ErrorCode::PdfUnexpected).
enum class PdfFault {
  NoXrefOffset,
  NoXrefTable,
  ShortXrefTable,
  NoTrailer,
  ObjectOutsideBody,
  ObjectMisplaced,
  NoInfoDictionary,
  MorePictures,
  PictureMissing,
};

struct Error {
  Error() = default;
  // Free words, for tools and tests: Error{"no .otdr files"}, or a sentence the window has
  // already put into its language.
  explicit Error(std::string text) : words(std::move(text)) {}
  // A code with the numbers it names, about no file.
  static Error of(ErrorCode code, std::int64_t a = 0, std::int64_t b = 0);

  std::string words;  // the words of ErrorCode::Text
  ErrorCode code = ErrorCode::Text;
  std::string path;    // the file or device concerned (UTF-8), empty when none
  std::int64_t a = 0;  // the numbers the code names (field number, counts)
  std::int64_t b = 0;
  int sysError = 0;        // the system's error number, 0 when there is none
  std::string systemText;  // the system's own words for it

  // One line in the language: "save/a.otdr: field 4001 is not a number". English keeps the
  // system's own words; Chinese uses ours for the common system errors.
  std::string text(Language language = Language::English) const;

  bool operator==(const Error&) const = default;
};

// An error of code about path, with the system's error number and words when there are.
Error fileError(ErrorCode code, std::string path, int sysError = 0, std::string systemText = {});
// Our own words for a system error number in the language: English the system's words
// (systemText, or strerror when empty), Chinese ours for the common cases.
std::string systemErrorText(int sysError, const std::string& systemText, Language language);

// A value or the error that prevented it. The core layers return these instead of throwing;
// the window or the command-line tool decides how to show the message.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // Only valid when ok().
  T& value() & {
    assert(ok());
    return std::get<0>(state_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<0>(state_);
  }
  T&& value() && {
    assert(ok());
    return std::get<0>(std::move(state_));
  }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // Only valid when !ok().
  const Error& error() const {
    assert(!ok());
    return std::get<1>(state_);
  }

 private:
  std::variant<T, Error> state_;
};

// Success with nothing to return, or an error.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)) {}

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }

  // Only valid when !ok().
  const Error& error() const {
    assert(!ok());
    return *error_;
  }

 private:
  std::optional<Error> error_;
};

using Status = Result<void>;

}  // namespace tracelink
