#include <cstdint>

#include "sor/sor_io.h"

namespace tracelink::sor {

namespace {

bool validUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = Utf8Length(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace

std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  std::size_t n = 0;
  std::uint32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

SorString DecodeText(std::string_view bytes) {
  SorString s;
  if (validUtf8(bytes)) {
    s.text.assign(bytes);
    return s;
  }
  s.latin1 = true;
  s.text.reserve(bytes.size() * 2);
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      s.text += ch;
    } else {
      s.text += static_cast<char>(0xC0 | (c >> 6));
      s.text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return s;
}

std::string EncodeText(const SorString& s) {
  if (!s.latin1 || !validUtf8(s.text)) return s.text;
  std::string out;
  out.reserve(s.text.size());
  for (std::size_t i = 0; i < s.text.size();) {
    const auto c = static_cast<unsigned char>(s.text[i]);
    if (c < 0x80) {
      out += s.text[i++];
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < s.text.size()) {
      out += static_cast<char>(((c & 0x03) << 6) | (s.text[i + 1] & 0x3F));
      i += 2;
    } else {
      return s.text;  // beyond Latin-1 now: only UTF-8 can hold it
    }
  }
  return out;
}

}  // namespace tracelink::sor
