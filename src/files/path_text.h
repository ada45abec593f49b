#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace tracelink {

// Paths are UTF-8 text inside the program on every platform. These two are the only
// conversions between a path and text: a path made from a std::string, or turned into
// one, is taken in the Windows code page there, which mangles a Chinese name and throws
// on one the code page cannot hold.

// The path that UTF-8 text names, as std::filesystem::u8path did. On Windows a byte
// sequence that is not UTF-8 becomes U+FFFD; elsewhere the bytes are the name as they are.
std::filesystem::path pathFromText(std::string_view utf8);

// A path as UTF-8 text, for messages, lists and output. On Windows a name the file system
// holds but UTF-8 cannot (a lone UTF-16 surrogate) gives U+FFFD in its place; elsewhere
// the bytes come back as they are. Never throws.
std::string pathText(const std::filesystem::path& path);

// std::fopen for a path, through the wide API on Windows so that any name reaches the
// file; mode as for fopen ("rb", "wbx", "r+b").
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// Appends a code point (at most U+10FFFF) to out as UTF-8.
void appendUtf8(std::string& out, char32_t c);

}  // namespace tracelink
