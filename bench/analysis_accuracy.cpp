// The accuracy of our own event analysis, with the numbers behind each figure:
//   - against the instruments' own key events in the shared SOR samples, each analysed
//     with the thresholds stored in it;
//   - against our instrument's own event tables in samples/;
//   - against synthetic traces with known truth.
// Usage: analysis_accuracy [SOR_DIR [OTDR_DIR]]

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/accuracy.h"
#include "analysis/analysis.h"
#include "analysis/synthetic_families.h"
#include "trace/load_trace.h"

namespace {

namespace fs = std::filesystem;
using namespace tracelink;
using namespace tracelink::analysis;

std::vector<fs::path> filesIn(const fs::path& dir, const std::string& extension) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec))
    if (entry.path().extension() == extension) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

const char* sourceName(ThresholdSource s) {
  switch (s) {
    case ThresholdSource::File:
      return "file";
    case ThresholdSource::Given:
      return "given";
    case ThresholdSource::Default:
      break;
  }
  return "default";
}

std::string optional(const std::optional<double>& v, const char* format) {
  if (!v) return "-";
  char buf[32];
  std::snprintf(buf, sizeof buf, format, *v);
  return buf;
}

void printFile(const fs::path& path, const Trace& trace, const Analysis& a, const FileScore& s) {
  const Thresholds& t = a.thresholds;
  std::printf("\n%s  (%zu points, %.3f m apart, %g ns)\n", path.filename().c_str(), trace.size(),
              trace.spacingM,
              trace.acquisition.pulseWidthsNs.empty() ? 0.0 : trace.acquisition.pulseWidthsNs[0]);
  std::printf("  thresholds: splice %.3f dB (%s), reflectance %.2f dB (%s), end %.2f dB (%s)",
              t.spliceDb, sourceName(t.spliceSource), t.reflectanceDb,
              sourceName(t.reflectanceSource), t.endDb, sourceName(t.endSource));
  if (a.endDbApplied < t.endDb) std::printf(", end capped at %.2f dB", a.endDbApplied);
  std::printf("\n  frame: %s, offset %+.2f m; match window %.2f m; span %.1f .. %.1f m\n",
              s.offsetFitted ? "fitted (the file does not say)" : "the file's", s.offsetM,
              s.windowM, s.spanFromM, s.spanToM);
  std::printf("  instrument: %zu counted, %zu found    ours: %zu counted, %zu listed\n",
              s.theirCounted, s.theirFound, s.ourCounted, s.ourListed);
  for (const TheirLine& line : s.theirs) {
    const KeyEvent& e = line.event;
    std::printf("    theirs %10.2f m  %-10s loss %7.3f  refl %8s  %-13s", e.distanceM,
                e.code.c_str(), e.spliceLossDb, optional(e.reflectanceDb, "%.2f").c_str(),
                uncountedName(line.uncounted));
    if (line.matched) {
      const OurLine& o = s.ours[*line.matched];
      std::printf("  ours %10.2f m (%+.2f)  loss %7.3f  %s\n", o.alignedM, o.alignedM - e.distanceM,
                  o.event.lossDb, kindName(o.event.kind));
    } else {
      std::printf("  not found\n");
    }
  }
  for (const OurLine& o : s.ours) {
    if (o.matched) continue;
    std::printf("    ours   %10.2f m  %-14s loss %7.3f  refl %8s  %s\n", o.alignedM,
                kindName(o.event.kind), o.event.lossDb,
                optional(o.event.reflectanceDb, "%.2f").c_str(),
                o.counted ? "not listed by the instrument" : "outside the instrument's span");
  }
}

void printFigures(const char* title, const Figures& f) {
  std::printf("\n%s\n", title);
  std::printf("  recall     %5.1f %%  (%zu of %zu counted instrument events found)\n",
              100 * f.recall, f.theirFound, f.theirCounted);
  std::printf("  precision  %5.1f %%  (%zu of %zu counted events of ours listed)\n",
              100 * f.precision, f.ourListed, f.ourCounted);
  std::printf(
      "  loss       median %.3f dB, 90th percentile %.3f dB  (|ours - theirs|, %zu "
      "matched non-reflective events)\n",
      f.lossMedianDb, f.lossP90Db, f.losses);
  std::printf(
      "  starts     ours - theirs: mean %+.2f m, standard deviation %.2f m  (%zu matched "
      "events in files whose frame needed no fitted offset)\n",
      f.startBiasM, f.startSpreadM, f.starts);
}

Figures scoreFiles(const std::vector<fs::path>& files) {
  std::vector<FileScore> scores;
  for (const fs::path& path : files) {
    Result<Trace> trace = LoadTrace(path);
    if (!trace) {
      std::printf("\n%s: %s\n", path.filename().c_str(), trace.error().text().c_str());
      continue;
    }
    const Analysis a = analyse(*trace);
    scores.push_back(scoreAgainstInstrument(*trace, a));
    printFile(path, *trace, a, scores.back());
  }
  return totalFigures(scores);
}

void scoreSynthetic() {
  using namespace tracelink::test;
  FamilyScore sum;
  std::size_t families = 0;
  std::size_t clean = 0;
  std::size_t cleanEvents = 0;
  double worstPlacement = 0;  // in tolerances
  for (const Family& f : allFamilies()) {
    const Analysis a = analyse(makeTrace(f.fibre), ThresholdRequest{kFamilySpliceDb, {}, {}});
    const FamilyScore s = scoreFamily(f.fibre, a);
    ++families;
    sum.wanted += s.wanted;
    sum.wantedFound += s.wantedFound;
    sum.found += s.found;
    sum.placed += s.placed;
    sum.measured += s.measured;
    sum.measuredWell += s.measuredWell;
    sum.extra += s.extra;
    sum.worstLossDb = std::max(sum.worstLossDb, s.worstLossDb);
    const double tolerance = f.fibre.spacingM + 0.1 * pulseLengthM(f.fibre);
    worstPlacement = std::max(worstPlacement, s.worstPlacementM / tolerance);
    // The same fibre with no event on it: only the launch and the end may be found.
    const Family plain = family(f.fibre.spacingM, f.fibre.pulseNs, 0, false);
    const Analysis none =
        analyse(makeTrace(plain.fibre), ThresholdRequest{kFamilySpliceDb, {}, {}});
    ++clean;
    cleanEvents += none.events.size() > 2 ? none.events.size() - 2 : 0;
  }
  std::printf("\nSynthetic traces with known truth (%zu fibres, splice threshold %.2f dB)\n",
              families, kFamilySpliceDb);
  std::printf(
      "  recall     %5.1f %%  (%zu of %zu events of at least twice the threshold, or "
      "reflective, or the end, standing 10 dB above the noise)\n",
      sum.wanted ? 100.0 * sum.wantedFound / sum.wanted : 0.0, sum.wantedFound, sum.wanted);
  std::printf(
      "  position   %5.1f %%  within one sample plus 10 %% of the pulse length (%zu of "
      "%zu found; the worst %.2f times that)\n",
      sum.found ? 100.0 * sum.placed / sum.found : 0.0, sum.placed, sum.found, worstPlacement);
  std::printf(
      "  loss       %5.1f %%  within 0.02 dB where the trace stands 20 dB above the "
      "noise (%zu of %zu; the worst %.3f dB off)\n",
      sum.measured ? 100.0 * sum.measuredWell / sum.measured : 0.0, sum.measuredWell, sum.measured,
      sum.worstLossDb);
  std::printf(
      "  extra      %zu events where there is none, over all fibres; %zu on %zu clean "
      "straight fibres\n",
      sum.extra, cleanEvents, clean);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path sorDir = argc > 1 ? argv[1] : TRACELINK_SOR_SAMPLES;
  const fs::path otdrDir = argc > 2 ? argv[2] : TRACELINK_OTDR_SAMPLES;

  std::printf("Against the instruments' own key events in the shared SOR samples (%s)\n",
              sorDir.c_str());
  const Figures sor = scoreFiles(filesIn(sorDir, ".sor"));
  std::printf("\nAgainst our instrument's own event tables (%s)\n", otdrDir.c_str());
  const Figures ours = scoreFiles(filesIn(otdrDir, ".otdr"));
  scoreSynthetic();
  printFigures("The shared SOR samples", sor);
  printFigures("Our instrument's samples", ours);
  return 0;
}
