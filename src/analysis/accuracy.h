#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "trace/trace.h"

namespace tracelink::analysis {

// Scoring our events against an instrument's own key events on the same trace.

// Why an instrument's event is left out of the count: no threshold can find it.
enum class Uncounted {
  No,          // counted
  Launch,      // the launch marker at the start
  ByHand,      // added or moved by hand (code's second letter A or M)
  OutOfRange,  // code's second letter O
  PastEnd,     // beyond the instrument's own end event
};

struct TheirLine {
  KeyEvent event;
  Uncounted uncounted = Uncounted::No;
  std::optional<std::size_t> matched;  // index into FileScore::ours
};

struct OurLine {
  Event event;
  double alignedM = 0;                 // our distance moved into the key events' frame
  bool counted = false;                // inside the instrument's span and not on an uncounted event
  std::optional<std::size_t> matched;  // index into FileScore::theirs
};

struct FileScore {
  double windowM = 0;         // max(5 m, 2 samples, 1.5 pulse lengths)
  double offsetM = 0;         // added to our distances to reach the key events' frame
  bool offsetFitted = false;  // the file does not say how its frames relate: fitted
  double spanFromM = 0;       // the instrument's span, in its frame
  double spanToM = 0;
  std::vector<TheirLine> theirs;
  std::vector<OurLine> ours;

  std::size_t theirCounted = 0;
  std::size_t theirFound = 0;  // counted instrument events we match
  std::size_t ourCounted = 0;
  std::size_t ourListed = 0;        // counted events of ours the instrument lists
  std::vector<double> lossDiffsDb;  // |ours - theirs|, matched non-reflective events
  std::vector<double> startDiffsM;  // ours - theirs, matched counted events
};

// The pulse length in fibre: pulse width x c / (2 x group index).
double pulseLengthM(const Trace& trace);
double matchWindowM(const Trace& trace);

// Scores ours against the trace's key events. The key events are taken to be in the
// trace's own frame; when a constant offset lines up more of them, it is fitted and used.
FileScore scoreAgainstInstrument(const Trace& trace, const Analysis& ours);

struct Figures {
  std::size_t theirCounted = 0;
  std::size_t theirFound = 0;
  std::size_t ourCounted = 0;
  std::size_t ourListed = 0;
  double recall = 0;     // 0..1
  double precision = 0;  // 0..1
  std::size_t losses = 0;
  double lossMedianDb = 0;
  double lossP90Db = 0;
  std::size_t starts = 0;  // matched starts in files whose frame needed no fitted offset
  double startBiasM = 0;
  double startSpreadM = 0;  // standard deviation
};

Figures totalFigures(const std::vector<FileScore>& files);

// The q-quantile (0..1) by linear interpolation; 0 for no values.
double quantile(std::vector<double> values, double q);

const char* uncountedName(Uncounted u);

}  // namespace tracelink::analysis
