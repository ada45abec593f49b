#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tracelink {

// What every trace becomes, whichever instrument or file it came from: levels at a fixed
// spacing, how they were acquired, whose fibre they show, the instrument's own events and
// where the bytes came from. Standard library only, so that analysis, comparison and
// certification are written once for every source.
//
// Levels are integers in 0.001 dB. Both sources divide it exactly: our record's words are
// hundredths (x 10) and SOR stores thousandths at its usual scale factor of 1000. Integer
// levels keep the least-squares sums exact in double arithmetic, so every figure measured on
// one of our records stays what it was when measured on the words, and a million points
// take 4 MB.
inline constexpr double kMilliDbPerDb = 1000.0;

enum class EventType {
  Launch,         // the front-end reflection, or the marker where the fibre under test starts
  Reflective,     // connector, mechanical splice
  NonReflective,  // fusion splice, bend
  Gainer,         // a non-reflective event that reads as a gain from this end
  End,            // the fibre's end
};

// One event of the instrument's own table, in the trace's distance frame.
struct KeyEvent {
  double distanceM = 0;                 // from the trace's distance origin
  double spliceLossDb = 0;              // positive for a loss
  std::optional<double> reflectanceDb;  // none where the instrument measured none
  EventType type = EventType::NonReflective;
  std::string code;     // as SOR spells it ("1F9999LS"; our records as their export writes them)
  std::string comment;  // free text (our records: the type word "REF", "ATT")
  bool operator==(const KeyEvent&) const = default;
};

struct Acquisition {
  double wavelengthNm = 0;
  std::vector<double> pulseWidthsNs;  // the first is the trace's own
  double groupIndex = 0;
  std::optional<double> backscatterDb;  // coefficient at 1 ns, where the file stores one
  // Detection thresholds stored with the trace; none where the source stores none (or 0).
  std::optional<double> lossThresholdDb;
  std::optional<double> reflectanceThresholdDb;
  std::optional<double> endThresholdDb;
  std::uint32_t averages = 0;
  double averagingTimeS = 0;
  double rangeM = 0;  // acquisition range from the first point, 0 where unknown
  bool operator==(const Acquisition&) const = default;
};

struct Identity {
  std::string cable;
  std::string fiber;
  std::string locationA;
  std::string locationB;
  std::string operatorName;
  std::string comment;
  std::string supplier;
  std::string instrument;
  std::string instrumentSerial;
  std::string module;
  std::string moduleSerial;
  std::string software;
  std::optional<std::int64_t> dateTime;  // seconds since 1970-01-01 00:00 UTC
  bool operator==(const Identity&) const = default;
};

enum class TraceFormat { Otdr, Sor, Upload };

struct Origin {
  TraceFormat format = TraceFormat::Otdr;
  std::string path;    // UTF-8; empty for an upload
  std::string sha256;  // of the file's bytes, 64 lowercase hex digits; empty for an upload
  std::optional<std::int64_t> uploadedAt;  // seconds since 1970 (UTC), for an upload
  bool operator==(const Origin&) const = default;
};

struct Trace {
  // Level of point i in 0.001 dB, at distance originM + i x spacingM.
  std::vector<std::int32_t> levels;
  double spacingM = 0;
  double originM = 0;

  Acquisition acquisition;
  Identity identity;
  std::vector<KeyEvent> events;
  std::optional<double> totalLossDb;
  std::optional<double> orlDb;
  Origin origin;
  // What the converter passed over, in words for the user (further traces, pulse widths...).
  std::vector<std::string> notes;

  std::size_t size() const { return levels.size(); }
  bool empty() const { return levels.empty(); }
  double distanceOf(std::size_t i) const { return originM + static_cast<double>(i) * spacingM; }
  double levelDb(std::size_t i) const { return levels[i] / kMilliDbPerDb; }
  double lastDistanceM() const { return empty() ? originM : distanceOf(size() - 1); }

  bool operator==(const Trace&) const = default;
};

}  // namespace tracelink
