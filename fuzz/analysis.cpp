// Our own event analysis of any trace: levels as 16-bit words below the top of the scale
// (as SOR files store them), as a random walk of small steps, or as any 32-bit levels; any
// spacing, pulse width, group index, origin and thresholds, sane or not. Whatever it is
// given, the analysis returns events in order, inside the trace, with finite values, the
// launch first and the end last; the sections join them; and the same input always gives
// the same result.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "analysis/analysis.h"
#include "fuzz_check.h"

using namespace tracelink;
using namespace tracelink::analysis;

namespace {

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  std::uint8_t byte() { return at < size ? data[at++] : 0; }
  std::uint16_t word() { return static_cast<std::uint16_t>(byte() | (byte() << 8)); }
  std::uint32_t dword() { return word() | (static_cast<std::uint32_t>(word()) << 16); }
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kSpacings[] = {1.0213, 0.1596, 0.2553, 2.0394, 5.0947,
                                0.0,    -1.0,   kNaN,   kInf,   1e-7};
constexpr double kPulses[] = {10, 30, 100, 1000, 20000, 0, -5, kNaN, 3, 275};
constexpr double kIndices[] = {1.4677, 1.468, 1.5, 0.0, kNaN};

template <typename T, std::size_t N>
T pick(const T (&table)[N], std::uint8_t b) {
  return table[b % N];
}

// The levels the rest of the input describes, repeated `repeats` times over: a short input
// still makes a trace as long as an instrument's.
__attribute__((no_sanitize("coverage"))) std::vector<std::int32_t> levelsOf(Input& in,
                                                                            std::uint8_t form,
                                                                            std::size_t repeats) {
  std::vector<std::int32_t> one;
  switch (form % 3) {
    case 0:  // 16-bit words below the top, 0.001 dB each
      while (in.at + 2 <= in.size) one.push_back(-static_cast<std::int32_t>(in.word()));
      break;
    case 1: {  // a walk of small steps, as backscatter falls and events step it
      const std::int32_t scale = 1 + in.byte();
      std::int32_t level = -20000;
      while (in.at < in.size) {
        level -= static_cast<std::int8_t>(in.byte()) * scale;
        level = std::clamp(level, -2'000'000, 2'000'000);
        one.push_back(level);
      }
      break;
    }
    default:  // anything at all
      while (in.at + 4 <= in.size) one.push_back(static_cast<std::int32_t>(in.dword()));
      break;
  }
  std::vector<std::int32_t> all;
  all.reserve(one.size() * repeats);
  for (std::size_t r = 0; r < repeats; ++r) all.insert(all.end(), one.begin(), one.end());
  return all;
}

bool same(const Analysis& a, const Analysis& b) {
  if (a.events.size() != b.events.size() || a.sections.size() != b.sections.size()) return false;
  for (std::size_t k = 0; k < a.events.size(); ++k) {
    const Event& x = a.events[k];
    const Event& y = b.events[k];
    if (x.kind != y.kind || x.index != y.index || x.distanceM != y.distanceM ||
        x.lossDb != y.lossDb || x.reflectanceDb != y.reflectanceDb ||
        x.sectionDbPerKm != y.sectionDbPerKm || x.ghostOf != y.ghostOf)
      return false;
  }
  return a.lengthM == b.lengthM && a.totalLossDb == b.totalLossDb && a.orlDb == b.orlDb;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  const std::uint8_t flags = in.byte();
  Trace trace;
  trace.spacingM = pick(kSpacings, in.byte());
  trace.acquisition.groupIndex = pick(kIndices, in.byte());
  if (flags & 1) trace.acquisition.pulseWidthsNs = {pick(kPulses, in.byte())};
  if (flags & 2) trace.originM = -static_cast<double>(in.word()) / 10.0;
  if (flags & 4) trace.acquisition.lossThresholdDb = in.word() / 1000.0;
  if (flags & 8) trace.acquisition.endThresholdDb = in.word() / 1000.0;
  ThresholdRequest request;
  if (flags & 16) request.spliceDb = in.byte() / 100.0;
  if (flags & 32) request.reflectanceDb = -static_cast<double>(in.byte());
  const std::size_t repeats = 1 + (flags >> 6) * 7;  // 1, 8, 15 or 22
  trace.levels = levelsOf(in, in.byte(), repeats);

  const Analysis a = analyse(trace, request);
  double last = -kInf;
  for (std::size_t k = 0; k < a.events.size(); ++k) {
    const Event& e = a.events[k];
    FUZZ_CHECK(e.index < trace.size());
    FUZZ_CHECK(std::isfinite(e.distanceM) && e.distanceM >= last);
    last = e.distanceM;
    FUZZ_CHECK(std::isfinite(e.lossDb) && std::isfinite(e.sectionDbPerKm));
    FUZZ_CHECK(std::isfinite(e.deadZoneEndM));
    FUZZ_CHECK(!e.reflectanceDb || std::isfinite(*e.reflectanceDb));
    FUZZ_CHECK((e.kind == EventKind::Launch) == (k == 0));
    FUZZ_CHECK(e.kind != EventKind::End || k + 1 == a.events.size());
    FUZZ_CHECK(!e.ghostOf || (*e.ghostOf < k && e.kind == EventKind::Ghost));
  }
  FUZZ_CHECK(a.sections.size() + 1 == std::max<std::size_t>(a.events.size(), 1));
  for (std::size_t k = 0; k < a.sections.size(); ++k) {
    const Section& s = a.sections[k];
    FUZZ_CHECK(s.fromM == a.events[k].distanceM && s.toM == a.events[k + 1].distanceM);
    FUZZ_CHECK(std::isfinite(s.lossDb) && std::isfinite(s.dbPerKm));
  }
  FUZZ_CHECK(std::isfinite(a.lengthM) && std::isfinite(a.totalLossDb));
  FUZZ_CHECK(std::isfinite(a.noiseFloorDb) && std::isfinite(a.endDbApplied));
  FUZZ_CHECK(!a.orlDb || std::isfinite(*a.orlDb));
  FUZZ_CHECK(same(a, analyse(trace, request)));
  return 0;
}
