#include "sim/trace_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "record/units.h"

namespace tracelink::sim {

std::uint64_t SplitMix::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int SplitMix::between(int lo, int hi) {
  const auto span = static_cast<std::uint64_t>(hi - lo + 1);
  return lo + static_cast<int>(next() % span);
}

double SplitMix::unit() {
  return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

double SplitMix::normal() {
  double sum = 0;
  for (int i = 0; i < 12; ++i) sum += unit();
  return sum - 6.0;
}

namespace {

// Levels stay inside what the plot shows (hundredths of a dB).
constexpr double kTopLevel = 1000;

struct Event {
  int position = 0;   // sample along the distance axis
  int type = 0;       // 1 reflective, 2 attenuation
  double loss = 0;    // hundredths of a dB
  double height = 0;  // reflection above the backscatter, reflective only
};

int pulseForRange(int rangeN, SplitMix& rng) {
  static constexpr std::array<std::array<int, 2>, 8> kChoices{
      {{0, 1}, {0, 2}, {1, 3}, {2, 4}, {3, 5}, {4, 6}, {5, 7}, {6, 8}}};
  const auto& c = kChoices[static_cast<std::size_t>(rangeN)];
  return rng.between(c[0], c[1]);
}

// The reflection of a pulse w samples wide: a flat top, then a quick decay.
double reflection(int s, int at, int w, double height) {
  if (s < at) return 0;
  if (s < at + w) return height;
  const double tail = s - at - w;
  return tail < 4.0 * w ? height * std::exp(-tail / (0.6 * w)) : 0;
}

}  // namespace

std::unique_ptr<TraceRecord> GenerateTrace(const TraceRecipe& recipe) {
  SplitMix rng(recipe.seed * 0x2545F4914F6CDD1Dull + 17);
  const int rangeN = recipe.rangeN >= 0 && recipe.rangeN <= 7 ? recipe.rangeN : rng.between(0, 7);
  const int pulse = recipe.pulseIndex >= 0 && recipe.pulseIndex <= 8 ? recipe.pulseIndex
                                                                     : pulseForRange(rangeN, rng);
  const int blocks = BlocksForRange(rangeN);
  const int fullEnd =
      rangeN <= 3 ? RangeSamples[static_cast<std::size_t>(rangeN)] : blocks * kBlockWords;
  const int startPoint = rng.between(12, 40);
  // One sample is 10 ns of round trip.
  const int width = std::max(2, PulseWidthNs(pulse) / 10);
  const int fibreEnd = fullEnd * rng.between(55, 85) / 100;

  const double launch = rng.between(780, 880);
  const double noiseFloor = rng.between(40, 90);
  // 0.2 dB/km at most, less when the fibre is long enough to run into the noise floor.
  const double perSample = std::min(0.0205, (launch - noiseFloor - 250) / fibreEnd);

  std::vector<Event> events;
  const int count = rng.between(2, 5);
  for (int i = 0; i < count; ++i) {
    Event e;
    e.position = fibreEnd * (10 + 80 * (i * 2 + 1) / (2 * count)) / 100 +
                 rng.between(-fibreEnd / 40, fibreEnd / 40);
    e.type = rng.between(1, 2);
    e.loss = e.type == 1 ? rng.between(20, 60) : rng.between(5, 25);
    e.height = e.type == 1 ? rng.between(80, 250) : 0;
    events.push_back(e);
  }
  events.push_back({fibreEnd, 1, 0, static_cast<double>(rng.between(150, 350))});

  auto record = std::make_unique<TraceRecord>();
  TraceRecord& r = *record;
  std::vector<double> before(events.size()), after(events.size());
  const int positions = blocks * kBlockWords;
  double lost = 0;
  std::size_t next = 0;
  for (int p = 0; p < positions; ++p) {
    const int s = p - (startPoint - 1);
    double level;
    if (s < 0 || s > fibreEnd + 4 * width) {
      level = noiseFloor + 6 * rng.normal();
    } else {
      // A connector's reflection rides on the level ahead of it; its loss shows once the
      // pulse has passed.
      while (next < events.size() &&
             events[next].position + (events[next].type == 1 ? width : 0) <= s) {
        before[next] = launch - perSample * events[next].position - lost;
        lost += events[next].loss;
        after[next] = before[next] - events[next].loss;
        ++next;
      }
      const double backscatter = s <= fibreEnd ? launch - perSample * s - lost : noiseFloor;
      double spikes = reflection(s, 0, width, kTopLevel - launch + 40);
      for (const Event& e : events) spikes += reflection(s, e.position, width, e.height);
      // The detector's noise grows as the signal sinks towards the noiseFloor.
      const double margin = std::max(0.0, backscatter - noiseFloor);
      const double sigma = 1.5 + 12 * std::exp(-margin / 120);
      level = std::max(backscatter, noiseFloor) + spikes + sigma * rng.normal();
    }
    r[static_cast<std::size_t>(p)] =
        static_cast<std::int32_t>(std::lround(std::clamp(level, 0.0, kTopLevel)));
  }

  std::int32_t maxLevel = 0, minLevel = static_cast<std::int32_t>(kTopLevel);
  for (int p = 0; p < positions; ++p) {
    maxLevel = std::max(maxLevel, r[static_cast<std::size_t>(p)]);
    minLevel = std::min(minLevel, r[static_cast<std::size_t>(p)]);
  }
  r[slot::kMaxDb] = maxLevel;
  r[slot::kMinDb] = minLevel;
  r[slot::kRangeN] = rangeN;
  r[slot::kStartPoint] = startPoint;
  r[slot::kRangeLine] = startPoint + fullEnd;
  r[slot::kIor] = 14677;
  r[slot::kReglw] = pulse;
  r[slot::kAvpj] = 1 << rng.between(3, 7);
  r[slot::kWendu] = rng.between(0, 30);
  r[slot::kMyTemperature] = rng.between(18, 32);
  r[slot::kEndPoint] = startPoint - 1 + fibreEnd;
  r[slot::kEndPoint2] = startPoint - 1 + fibreEnd;
  static constexpr char kUnit[slot::kMyIdWords] = "SIM-0001-TL";
  for (int i = 0; i < slot::kMyIdWords; ++i)
    r[static_cast<std::size_t>(slot::kMyId + i)] = kUnit[i];
  r[slot::kEventCount] = static_cast<std::int32_t>(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    const std::size_t at = slot::kEventList + 4 * i;
    r[at] = events[i].position;
    r[at + 1] = events[i].type;
    r[at + 2] = static_cast<std::int32_t>(std::lround(std::max(before[i], 0.0)));
    r[at + 3] = static_cast<std::int32_t>(
        std::lround(std::max(i + 1 == events.size() ? noiseFloor : after[i], 0.0)));
  }
  r[slot::kNoiseAverage] = static_cast<std::int32_t>(noiseFloor);
  r[slot::kNoiseAverage + 1] = static_cast<std::int32_t>(noiseFloor);
  return record;
}

}  // namespace tracelink::sim
