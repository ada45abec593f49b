#pragma once

#include <cstddef>
#include <vector>

#include "analysis/scan.h"

namespace tracelink::analysis {

// A peak standing above the backscatter line before it: a reflection, or the launch.
struct Peak {
  std::size_t start = 0;        // foot of the rising edge
  std::size_t top = 0;          // highest sample
  std::size_t deadZoneEnd = 0;  // first sample where the trace is backscatter again
  double heightDb = 0;          // top above the line before the peak, at the top
  bool saturated = false;       // the top is clipped flat
  std::size_t tailFrom = 0;     // where the end test starts to look past a tail
};

// A change of level between two stretches of backscatter.
struct Step {
  std::size_t start = 0;   // where the drop (or rise) begins
  std::size_t middle = 0;  // where the detector saw it most: about half way through it
  double stepDb = 0;       // rough size, positive for a loss
};

struct Launch {
  std::size_t start = 0;  // first sample that is trace rather than fill
  Peak peak;              // the front-end reflection; height 0 when there is none
  bool reflection = false;
};

// Noise of a statistic, per block of samples: robust, so the few events among the
// samples do not raise it.
struct NoiseProfile {
  std::vector<double> spread;  // one per block
  std::size_t block = 1;
  // Near i: the quieter of its block and the one before.
  double at(std::size_t i) const;
};

// Each sample's height above the line through the short window before it, and the noise
// of that height: what the peak detector and the dead zones read.
struct Heights {
  std::vector<float> height;  // a float holds the few decibels a peak stands by
  NoiseProfile noise;
};
Heights heightsAboveLine(const Scan& scan);

// How far detectors look: a few pulse lengths, never less than a handful of samples.
std::size_t shortWindow(const Scan& scan);
// The samples after an event's start that a non-reflective transition can still fill.
std::size_t stepDeadZone(const Scan& scan);
// The longest dead zone an event's loss waits for: ten pulse lengths past its top.
std::size_t longestDeadZone(const Scan& scan);

Launch findLaunch(const Scan& scan, const Heights& heights);

// Peaks whose foot lies in [from, to).
std::vector<Peak> findPeaks(const Scan& scan, const Heights& heights, std::size_t from,
                            std::size_t to);

// How settled the trace must be: enough to measure a loss past a peak (a receiver's
// slow last recovery allowed), or as flat as fibre (the end looks past a whole tail).
enum class Settle { Lenient, Strict };

// Where the trace, after the peak's top, stops changing faster than fibre does. Never
// later than `latest`.
std::size_t settleAfter(const Scan& scan, std::size_t top, std::size_t earliest, double slopeBefore,
                        std::size_t latest, Settle settle);

// The backscatter's slope near each place (dB per sample): the median of the slopes of
// the short windows around it, which a few events among them do not move.
struct LocalSlope {
  std::vector<double> slope;  // one per block
  std::size_t block = 1;
  double at(std::size_t i) const;
};
LocalSlope localSlopes(const Scan& scan);

// The noise of the step statistic along the whole trace, at each window length the step
// detector uses (each four times the one before): short windows part close events, long
// ones see small events on long stretches. The shortest also sets how sure a measured
// loss is.
inline constexpr std::size_t kScaleRatio = 4;
struct StepNoise {
  std::size_t window = 1;  // the shortest
  std::vector<NoiseProfile> scales;
  const NoiseProfile& shortScale() const { return scales.front(); }
};
StepNoise stepNoise(const Scan& scan, const LocalSlope& slope);

// Steps inside [from, to), a stretch free of peaks; the windows never reach outside it.
// Each start is where the trace leaves the line before it.
std::vector<Step> findSteps(const Scan& scan, const LocalSlope& slope, const StepNoise& noise,
                            std::size_t from, std::size_t to, double smallestStepDb);

// Where the trace leaves the backscatter line before a place where it has changed level
// by about stepDb: the first sample of the departure that lasts up to `at`.
std::size_t departure(const Scan& scan, std::size_t from, std::size_t at, double stepDb);

}  // namespace tracelink::analysis
