#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/block_transfer.h"
#include "record/language.h"
#include "record/result.h"
#include "record/trace_record.h"
#include "sor/sor_problem.h"
#include "sor/trace_sor.h"

namespace tracelink {

// Uploading a whole cable: every stored trace (or a range of them) saved under its cable
// and fibre name, with the cable's texts in the file. This is the part without a port:
// the plan, its names and numbers, how a file already there is treated, what became of
// each trace and the summary. The upload itself runs through the block transfer
// (CableUploadRun, cable_upload_run.h).

enum class CableDirection { FromA, FromB };
enum class CableFormat { Sor, Otdr };
// What happens to a trace whose file name is taken already. A trace whose content equals
// that file is skipped whatever the choice.
enum class OnExisting { Skip, Replace, KeepBoth };

// Which traces an upload fetches: the instrument's current trace, every stored trace, or
// the stored traces first..last.
struct TraceChoice {
  enum class Kind { Current, All, Range };
  Kind kind = Kind::All;
  int first = 1;
  int last = kMaxUploadedTraces;

  static TraceChoice current() { return {Kind::Current, 0, 0}; }
  static TraceChoice all() { return {Kind::All, 1, kMaxUploadedTraces}; }
  static TraceChoice range(int first, int last) { return {Kind::Range, first, last}; }
  bool operator==(const TraceChoice&) const = default;
};

// The fibre numbers and the cable ID's length a plan may use.
inline constexpr int kMaxFirstFiber = 9999;
inline constexpr int kMaxFiberStep = 99;
inline constexpr int kMaxFiberNumber = 99999;
inline constexpr std::size_t kMaxCableIdBytes = 100;

struct CablePlan {
  // Empty: the traces get Upload All's automatic names, and the files no cable texts.
  std::string cable;
  int firstFiber = 1;
  int fiberStep = 1;
  CableDirection direction = CableDirection::FromA;
  std::string locationA;
  std::string locationB;
  std::string operatorName;
  CableFormat format = CableFormat::Sor;
  std::filesystem::path folder;
  OnExisting onExisting = OnExisting::Skip;
  TraceChoice traces;
  // The language of the file's words (SOR) and of the errors kept in the results.
  Language language = Language::English;
};

// Why a plan cannot be uploaded, found before anything is asked of the instrument.
struct CablePlanProblem {
  enum class Code {
    FirstFiberOutside,  // a: the first fibre, not 1..kMaxFirstFiber
    StepOutside,        // a: the step, not 1..kMaxFiberStep
    RangeOutside,       // a..b: not within 1..50
    RangeReversed,      // a..b: the first trace after the last
    CableTooLong,       // a: bytes of the cable ID, more than kMaxCableIdBytes
    NotAscii,           // text: the SOR text that is not printable ASCII
    NoFolder,           // no output folder given
  };
  Code code = Code::NoFolder;
  std::int64_t a = 0;
  std::int64_t b = 0;
  sor::SorText text = sor::SorText::Cable;
  bool operator==(const CablePlanProblem&) const = default;
};

std::optional<CablePlanProblem> CheckCablePlan(const CablePlan& plan);

// The fibre a trace is: the first fibre for the current trace or the first trace of the
// choice, and one step on for each trace after it.
int FiberNumber(const CablePlan& plan, int traceSelect);
// The fibre as names and files write it: at least two digits ("01", "12", "105").
std::string CableFiberId(int fiber);

// The cable ID as it can stand in a file name: every character that a file name cannot
// hold on any of our systems (/ \ : * ? " < > |, control characters) becomes "_". The
// files' texts keep the ID as it was given.
std::string CableIdForFileName(std::string_view cable);

// The moment of an upload: for the SOR date (UTC) and the automatic names (local time).
struct UploadTime {
  std::int64_t utcSeconds = 0;
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// "CABLE_F01_AB.sor": the cleaned cable ID, the fibre number with at least two digits, the
// end the trace was taken from (BA for end B) and the format's extension. Without a cable
// ID, the automatic name of Upload All ("01_20261281230.otdr", .sor for SOR).
std::string CableFileName(const CablePlan& plan, int traceSelect, const UploadTime& time);

// The texts a SOR file of the trace carries: cable, fibre, locations (swapped when taken
// from end B, so that A is always where the trace starts), operator, the upload time.
sor::SorExportOptions CableExportTexts(const CablePlan& plan, int traceSelect,
                                       const UploadTime& time);

// What became of one trace.
struct CableTraceResult {
  enum class Outcome {
    Saved,      // a new file
    Replaced,   // took the place of a file of that name (OnExisting::Replace)
    KeptBoth,   // saved beside a file of that name, under a free "-2" name
    Skipped,    // a file of that name was there (OnExisting::Skip)
    Identical,  // the file there holds this very trace; nothing written
    Failed,     // not saved: the transfer or the save failed
  };
  Outcome outcome = Outcome::Failed;
  int traceSelect = 0;
  int fiber = 0;
  std::filesystem::path path;      // the file written, or the one that was there
  int blocks = 0;                  // data blocks received
  double seconds = 0;              // from the trace's request to its file
  std::string failure;             // Failed: why, in the plan's language
  bool failureNamesTrace = false;  // the transfer's own words, which name trace and block

  bool saved() const {
    return outcome == Outcome::Saved || outcome == Outcome::Replaced ||
           outcome == Outcome::KeptBoth;
  }
  bool skipped() const { return outcome == Outcome::Skipped || outcome == Outcome::Identical; }
};

// Saves the trace in the record, as the plan names it, under the plan's policy for a file
// already there; each file is written atomically, and a new one never takes the place of
// a file that appeared meanwhile. blockNo is the block count an .otdr save writes (the
// transfer's BlockNo). The result's failure names the file and the reason.
CableTraceResult SaveCableTrace(const CablePlan& plan, const TraceRecord& record,
                                const HeaderState& header, std::int32_t blockNo, int traceSelect,
                                const UploadTime& time);

struct CableSummary {
  int saved = 0;
  int skipped = 0;    // both kinds
  int identical = 0;  // of them, identical to the file there
  int failed = 0;
  bool abandoned = false;
  // Why the upload stopped early, when it did (the transfer's own words).
  std::string stoppedBecause;
};

CableSummary SummarizeCable(const std::vector<CableTraceResult>& results);

// The words, in either language (cable_messages.cpp).
std::string cablePlanProblemText(const CablePlanProblem& problem, Language language);
// "12 fibres saved, 0 skipped, 0 failed", with what ended the upload when it stopped early.
std::string cableSummaryText(const CableSummary& summary, Language language);
// "Uploading fibre 5 (trace 5)…": the status line while a trace arrives.
std::string cableFiberText(int fiber, int traceSelect, Language language);
// One trace: "CABLE_F01_AB.sor: 12 blocks, 8.4 s", "... skipped: the file exists",
// "trace 5: Upload stopped ...".
std::string cableTraceLine(const CableTraceResult& result, Language language);
// A trace of the range that the instrument does not hold.
std::string cableNotStoredText(int traceSelect, int stored, Language language);
// The instrument's answer that it holds no such trace, in the program's own words.
std::string cableNoDatasText(Language language);

}  // namespace tracelink
