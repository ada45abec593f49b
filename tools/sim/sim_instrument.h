#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "record/result.h"
#include "record/trace_record.h"

namespace tracelink::sim {

// The most traces the instrument can hold in its memory.
inline constexpr int kMaxStored = 60;

// The traces a simulated instrument holds and the replies it sends for them.
class SimInstrument {
 public:
  // A current trace (or none) and stored traces 1..n, as records.
  SimInstrument(std::unique_ptr<TraceRecord> current,
                std::vector<std::unique_ptr<TraceRecord>> stored);

  // Generated traces: seed s gives the current trace, seeds s+1.. the stored ones. rangeN
  // -1 varies the range from trace to trace.
  static SimInstrument generated(std::uint64_t seed, int storedCount, bool withCurrent, int rangeN);
  // Traces from the .otdr files of a folder in name order: the first is also the current
  // trace; the stored traces take the files in turn, from the first again when more are
  // asked for than there are files. A negative count stores each file once.
  static Result<SimInstrument> fromFolder(const std::filesystem::path& folder, int storedCount,
                                          bool withCurrent);

  int storedCount() const { return static_cast<int>(stored_.size()); }
  bool hasCurrent() const { return current_ != nullptr; }
  const TraceRecord* trace(std::uint8_t select) const;

  // The 4000 words the instrument sends for a request, before masking: the header block
  // with datanum and havetest filled in from the instrument's own state, or a data block
  // with every sample lifted by 800 (the line's offset). An unknown trace gives an empty
  // header that still carries datanum and havetest, and empty data blocks.
  std::array<std::uint16_t, kBlockWords> servedWords(std::uint8_t select, std::uint8_t block) const;
  // The whole reply on the line: junk bytes (never the sync byte), 0x55, then the words
  // masked, high byte first.
  std::vector<std::uint8_t> reply(std::uint8_t select, std::uint8_t block,
                                  const std::vector<std::uint8_t>& junk = {}) const;

 private:
  std::unique_ptr<TraceRecord> current_;
  std::vector<std::unique_ptr<TraceRecord>> stored_;
};

}  // namespace tracelink::sim
