#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "record/result.h"
#include "sor/sor_file.h"
#include "sor/sor_problem.h"

namespace tracelink::sor {

// CRC-16/CCITT-FALSE: polynomial 0x1021, start 0xFFFF, no reflection, no final XOR.
// The check value of "123456789" is 0x29B1.
std::uint16_t Crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0xFFFF);

// The checksum of a file whose value sits at valueAt in a Cksum block starting at blockAt,
// computed the given way.
std::uint16_t ChecksumOf(std::span<const std::uint8_t> bytes, std::size_t valueAt,
                         std::size_t blockAt, ChecksumVariant variant);
// The stored value against the standard way first, then the common variants.
ChecksumReport CheckChecksum(std::span<const std::uint8_t> bytes, std::size_t valueAt,
                             std::size_t blockAt);

// The GenParams block as written, its name included for version 2.
std::string EncodeGenParams(const GenParams& g, int version);

// Whether bytes start like a trace in this format: "Map\0", or a version-1 Map (a version
// of 100..199, then a size and a block count, then the first block's name).
bool LooksLikeSor(std::span<const std::uint8_t> bytes);

// Reads a whole file. Every size is checked against what is there before anything is
// sliced; a problem names the block, the field and the byte offset, e.g. "block DataPts,
// field values, offset 1234: 25001 points need 50002 bytes, 100 remain". A checksum that
// does not match is reported in the result, never refused: instruments compute it in
// different ways. Each block keeps the offset it was read from.
SorResult<SorFile> ReadSor(std::span<const std::uint8_t> bytes);

// The file's bytes: the Map rebuilt from the blocks, known blocks from their structs,
// other blocks as they were read, the trailing bytes, and a correct checksum in Cksum.
std::vector<std::uint8_t> WriteSor(const SorFile& file);

// Files larger than this are refused before they are read: the largest traces of any
// instrument are a few megabytes.
inline constexpr std::uintmax_t kMaxSorFileBytes = 64u * 1024 * 1024;

// The length of the well-formed UTF-8 sequence at text[i] (i < text.size()), or 0 where
// it is not one (overlong forms, surrogates, code points past U+10FFFF, cut short).
std::size_t Utf8Length(std::string_view text, std::size_t i);

// Strings are decoded as UTF-8 where they are valid UTF-8, otherwise as Latin-1, so the
// text is always valid UTF-8.
SorString DecodeText(std::string_view bytes);
// The bytes a string is written as: Latin-1 again when it was read as Latin-1 (and still
// fits), else its UTF-8.
std::string EncodeText(const SorString& s);

}  // namespace tracelink::sor
