#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "record/language.h"
#include "record/result.h"
#include "record/trace_record.h"
#include "sor/sor_file.h"

namespace tracelink::sor {

// What a SOR export says about the trace beyond the record itself. Texts must be ASCII:
// the strictest readers take nothing else.
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

// The name of the block that carries what the interchange format has no place for.
inline constexpr const char* kRecordBlockName = "TracelinkRecord";
inline constexpr std::uint16_t kRecordBlockVersion = 100;

// Constants of every export.
inline constexpr std::uint32_t kExportIor = 146770;        // group index x 100000
inline constexpr std::uint32_t kExportSpacing = 500000;    // 1e-14 s per point
inline constexpr std::uint16_t kExportWavelength = 13100;  // 0.1 nm
inline constexpr std::uint32_t kTimePerSample = 50;        // 100 ps per sample, one way
inline constexpr std::uint16_t kBaseScaleFactor = 1000;    // values in 0.001 dB

// Pulse width in ns of each pulse index (the instrument's 9 settings).
std::uint16_t PulseWidthNs(std::int32_t pulseIndex);

// Our trace as a SOR file. Data points are the samples the CSV export prints (the full
// view, read through StartPoint as the plot reads it); levels are stored in 0.001 dB below
// the highest one. blockCount is the .otdr block count the record would be saved with.
// Fails, naming the field, when an option is not ASCII or the trace has no samples.
Result<SorFile> TraceToSor(const TraceRecord& record, const HeaderState& header,
                           const ViewWindow& view, std::int32_t blockCount,
                           const SorExportOptions& options);

// The same as bytes ready to be written.
Result<std::vector<std::uint8_t>> WriteTraceAsSor(const TraceRecord& record,
                                                  const HeaderState& header, const ViewWindow& view,
                                                  std::int32_t blockCount,
                                                  const SorExportOptions& options);

// A record rebuilt from one of our own exports, to be applied like a loaded .otdr file.
struct RecordFromSor {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  std::int32_t blockCount = 0;
};

// nullopt when the file carries no record block of ours (a foreign file); an error when
// it carries one that does not fit the rest of the file.
std::optional<Result<RecordFromSor>> RecordOf(const SorFile& file);

}  // namespace tracelink::sor
