#include "files/record_text.h"

#include <algorithm>
#include <charconv>

namespace tracelink {

namespace {

constexpr std::uint32_t kMaxFieldValue = 0xFFFF;
constexpr std::size_t kMaxFieldChars = 5;  // "65535"
constexpr char kBom[] = {'\xEF', '\xBB', '\xBF'};

std::uint32_t digitOf(char c) {
  // Unsigned wrap-around turns every non-digit into a value of 10 or more.
  return static_cast<std::uint32_t>(static_cast<unsigned char>(c)) - std::uint32_t{'0'};
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

std::string BuildRecordText(TraceRecord& record, std::int32_t blockNo) {
  const std::int32_t n = std::clamp(blockNo, kMinFileBlocks, kMaxFileBlocks);
  record[0] = n;
  const std::size_t sampleWords = static_cast<std::size_t>(n) * kBlockWords;
  std::string text;
  text.resize((sampleWords + kBlockWords) * (kMaxFieldChars + 1));
  char* out = text.data();
  const auto put = [&out](std::int32_t word) {
    // A word is a 16-bit quantity; only those bits go into the file, so every field the
    // writer produces is one the reader accepts.
    const std::uint32_t field = (static_cast<std::uint32_t>(word) & kMaxFieldValue) ^ kWordMask;
    out = std::to_chars(out, out + kMaxFieldChars, field).ptr;
    *out++ = ',';
  };
  for (std::size_t p = 0; p < sampleWords; ++p) put(record[p]);
  for (std::size_t p = kHeaderStart; p < kHeaderEnd; ++p) put(record[p]);
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

RecordTextParser::RecordTextParser() : words_(kMaxFileFields) {}

void RecordTextParser::fail(ErrorCode code, std::int64_t a, std::int64_t b) {
  state_ = State::Failed;
  error_ = Error{};
  error_.code = code;
  error_.a = a;
  error_.b = b;
}

void RecordTextParser::failNotNumber() {
  fail(ErrorCode::FieldNotNumber, static_cast<std::int64_t>(count_) + 1);
}

void RecordTextParser::emitField() {
  const auto word = static_cast<std::uint16_t>(value_ ^ kWordMask);
  words_[count_++] = word;
  if (count_ == 1) {
    // The first word is the block count; checking it now keeps a bad file from being read
    // any further than this.
    if (word < kMinFileBlocks || word > kMaxFileBlocks) {
      fail(ErrorCode::BlockCountOutside, word);
      return;
    }
    blockCount_ = word;
    needed_ = static_cast<std::size_t>(word + 1) * kBlockWords;
  }
  state_ = count_ == needed_ ? State::Done : State::BeforeValue;
}

bool RecordTextParser::stepSlow(char c) {
  const std::uint32_t d = digitOf(c);
  switch (state_) {
    case State::Bom:
      if (c == kBom[bomSeen_]) {
        if (++bomSeen_ == sizeof kBom) state_ = State::BeforeValue;
        return true;
      }
      if (bomSeen_ != 0) {
        failNotNumber();
        return false;
      }
      state_ = State::BeforeValue;
      return stepSlow(c);
    case State::BeforeValue:
      if (isBlank(c) || isLineEnd(c)) return true;
      if (d < 10) {
        value_ = d;
        state_ = State::InValue;
        return true;
      }
      if (c == '-') {
        state_ = State::Minus;
        return true;
      }
      break;
    case State::InValue:
      if (d < 10) {
        value_ = value_ * 10 + d;
        if (value_ > kMaxFieldValue) {
          fail(ErrorCode::FieldTooLarge, static_cast<std::int64_t>(count_) + 1);
          return false;
        }
        return true;
      }
      if (c == ',' || isLineEnd(c)) {
        emitField();
        return state_ == State::BeforeValue;
      }
      if (isBlank(c)) {
        state_ = State::AfterValue;
        return true;
      }
      break;
    case State::AfterValue:
      if (isBlank(c)) return true;
      if (c == ',' || isLineEnd(c)) {
        emitField();
        return state_ == State::BeforeValue;
      }
      break;
    case State::Minus:
      if (d < 10) {
        fail(ErrorCode::FieldNegative, static_cast<std::int64_t>(count_) + 1);
        return false;
      }
      break;
    case State::Done:
    case State::Failed:
      return false;
  }
  failNotNumber();
  return false;
}

bool RecordTextParser::feed(std::string_view piece) {
  bytes_ += piece.size();
  const char* p = piece.data();
  const char* const end = p + piece.size();
  while (p < end) {
    if (state_ == State::BeforeValue && end - p > static_cast<std::ptrdiff_t>(kMaxFieldChars)) {
      // The common case, a whole field of one to five digits and its comma, in one go.
      std::uint32_t v = digitOf(*p);
      if (v < 10) {
        const char* q = p + 1;
        for (std::uint32_t d; q < p + kMaxFieldChars && (d = digitOf(*q)) < 10; ++q) v = v * 10 + d;
        if (*q == ',' && v <= kMaxFieldValue) {
          value_ = v;
          emitField();
          p = q + 1;
          if (state_ != State::BeforeValue) break;
          continue;
        }
      }
    }
    if (!stepSlow(*p)) break;
    ++p;
  }
  return state_ != State::Done && state_ != State::Failed;
}

Result<ParsedRecord> RecordTextParser::finish() {
  if (state_ == State::InValue || state_ == State::AfterValue) {
    emitField();  // the last field may end with the text instead of a comma
  } else if (state_ == State::Minus || (state_ == State::Bom && bomSeen_ != 0)) {
    failNotNumber();
  }
  if (state_ != State::Failed && state_ != State::Done) {
    if (count_ == 0) {
      fail(bytes_ == 0 ? ErrorCode::FileEmpty : ErrorCode::FileNoFields);
    } else {
      fail(ErrorCode::FileEndsEarly, static_cast<std::int64_t>(count_),
           static_cast<std::int64_t>(needed_));
    }
  }
  if (state_ == State::Failed) return error_;
  ParsedRecord parsed;
  parsed.blockCount = blockCount_;
  words_.resize(needed_);
  parsed.words = std::move(words_);
  words_.clear();
  fail(ErrorCode::ParserFinished);  // the words have been handed over
  return parsed;
}

Result<std::int32_t> ParseRecordText(std::string_view text, TraceRecord& record) {
  RecordTextParser parser;
  parser.feed(text);
  Result<ParsedRecord> parsed = parser.finish();
  if (!parsed) return parsed.error();
  StoreParsedRecord(*parsed, record);
  return parsed->blockCount;
}

void StoreParsedRecord(const ParsedRecord& parsed, TraceRecord& record) {
  const std::size_t sampleWords = static_cast<std::size_t>(parsed.blockCount) * kBlockWords;
  if (parsed.blockCount < kMinFileBlocks || parsed.blockCount > kMaxFileBlocks ||
      parsed.words.size() != sampleWords + kBlockWords)
    return;  // not something the parser hands out
  std::copy_n(parsed.words.begin(), sampleWords, record.words.begin());
  std::copy_n(parsed.words.begin() + static_cast<std::ptrdiff_t>(sampleWords), kBlockWords,
              record.words.begin() + kHeaderStart);
}

}  // namespace tracelink
