#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/language.h"
#include "record/trace_record.h"
#include "sor/record_block.h"
#include "sor/sor_file.h"
#include "sor/sor_problem.h"

namespace tracelink::sor {

// What a SOR export says about the trace beyond the record itself. Texts must be printable
// ASCII: the strictest readers take nothing else.
struct SorExportOptions {
  std::string cable;
  std::string fiber;
  std::string operatorName;
  std::string locationA;
  std::string locationB;
  std::string comment;
  std::int64_t dateTime = 0;  // seconds since 1970-01-01 00:00 UTC
  Language language = Language::English;
};

// Constants of every export.
inline constexpr std::uint32_t kExportIor = 146770;        // group index x 100000
inline constexpr std::uint32_t kExportSpacing = 500000;    // 1e-14 s per point
inline constexpr std::uint16_t kExportWavelength = 13100;  // 0.1 nm
inline constexpr std::uint32_t kTimePerSample = 50;        // 100 ps per sample, one way

// Whether every character of a text is printable ASCII (0x20..0x7E).
bool IsPrintableAscii(std::string_view text);

// The one policy for the texts of an export, wherever it starts (window or command line):
// a text that is not printable ASCII refuses the export, naming it (ExportNotAscii).
// nullopt when every text may be written.
std::optional<SorProblem> CheckExportTexts(const SorExportOptions& options);

// Our trace as a SOR file. Data points are the samples the CSV export prints (the full
// view, read through StartPoint as the plot reads it); levels are stored in 0.001 dB below
// the highest one. blockCount is the .otdr block count the record would be saved with.
// Refuses, naming what is wrong, a text that is not printable ASCII, a date the file
// cannot hold, a block count outside 1..15, a trace without samples and a word that is
// not 16 bits.
SorResult<SorFile> TraceToSor(const TraceRecord& record, const HeaderState& header,
                              const ViewWindow& view, std::int32_t blockCount,
                              const SorExportOptions& options);

// The same as bytes ready to be written.
SorResult<std::vector<std::uint8_t>> WriteTraceAsSor(const TraceRecord& record,
                                                     const HeaderState& header,
                                                     const ViewWindow& view,
                                                     std::int32_t blockCount,
                                                     const SorExportOptions& options);

// nullopt when the file carries no record block of ours (a foreign file); a problem when
// it carries one that does not fit the rest of the file.
std::optional<SorResult<RecordFromSor>> RecordOf(const SorFile& file);

}  // namespace tracelink::sor
