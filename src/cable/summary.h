#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cable/limits.h"
#include "cable/verdict.h"
#include "compare/bidir.h"
#include "compare/event_list.h"
#include "record/language.h"
#include "trace/trace.h"

namespace tracelink::cable {

// A folder of traces (or a chosen list) seen as one cable: the files grouped by fibre, each
// fibre's directions and wavelengths paired, judged, and summed up in one row.

// How a file's fibre and direction are told. The fibre: the SOR fibre ID; else the name
// pattern's {fibre}; else the first number in the file name; else the name itself. The
// direction: the pattern's {dir} where the name matches it, else A. In the pattern, {fibre}
// stands for the fibre's number (a whole run of digits; letters and digits where no number
// fits), {dir} for AB or BA (either case), * for anything (as little as will do), and any
// other character for itself (letters in either case). Fibre "01" and fibre "1" are one.
struct Pairing {
  std::string namePattern = "*{fibre}*_{dir}*";
};

struct CableFile {
  std::string path;            // UTF-8
  std::optional<Trace> trace;  // none when it could not be read
  std::string error;           // why not, in English, naming the file (for the CLI and logs)
  std::string fibre;           // as found
  char direction = 'A';        // 'A' or 'B'
  // Our analysis of the trace (at its own thresholds): every verdict needs it, to know
  // where a section's fit may start and the ORL a file does not state. Made where the file
  // is read, on the reader's thread; certify makes any that is missing.
  std::optional<analysis::Analysis> ours;
};

// One row per fibre and wavelength: every figure of a row is one measurement's, never a
// mix of wavelengths. A fibre measured at 1310 and 1550 nm has two rows, each naming all
// the fibre found in `found`. With both ends at a wavelength the figures are the two
// directions': length and loss their averages, dB/km the mean of both, the worst splice as
// the verdict judged splices (by the average with useBidirectional), the worst connector
// and reflectance the worse end's, ORL the lower end's. A third trace of one fibre, end
// and wavelength makes a further row, so that no trace goes unjudged.
struct FibreRow {
  std::string fibre;
  std::vector<std::size_t> files;  // into Cable::files
  std::string found;               // directions and wavelengths, e.g. "AB+BA 1310/1550"
  double wavelengthNm = 0;         // the wavelength the row's figures are for
  double lengthM = 0;
  double lossDb = 0;
  double dbPerKm = 0;      // the fitted sections' mean by length; else loss over length
  std::size_t events = 0;  // between the launch and the end
  std::optional<double> worstSpliceDb;
  std::optional<double> worstConnectorDb;
  std::optional<double> worstReflectanceDb;
  std::optional<double> orlDb;
  Verdict verdict;
  std::vector<compare::BidirResult> bothEnds;  // the row's two ends, when it has both
  // Both ends were found but do not make one fibre (their lengths differ...): each was
  // judged alone, and the figures are end A's.
  std::optional<compare::BidirProblem> bothEndsProblem;
};

struct Cable {
  std::vector<CableFile> files;
  std::vector<FibreRow> rows;  // in fibre order (numbers as numbers), then wavelength
  // Fibres, not rows: a fibre passes when every row of it passes.
  std::size_t passed() const;
  std::size_t failed() const;
};

// The trace files (.sor, .otdr, any letter case) directly in a folder, sorted by name: the
// folder's path joined with each name. A folder that cannot be listed gives what was listed
// before the failure, and says why in ec where one is given.
std::vector<std::string> traceFilesIn(std::string_view folder, std::error_code* ec = nullptr);

// One file read for the cable (LoadTrace): its trace and our analysis of it, or why it could
// not be read, in the language given (the command line's English, the window's own).
CableFile readCableFile(std::string_view path, Language language = Language::English);

// Builds the cable from files already read (reading stays with the caller, so that the
// window can show progress and a batch can read in parallel, our analyses included).
Cable certify(std::vector<CableFile> files, const Limits& limits, const Pairing& pairing = {},
              compare::EventSource events = compare::EventSource::InstrumentElseOurs);

// The summary CSV: a header line and one line per row, fields as the header names them:
// file the row's file names (A first) joined by ';', numbers with a point whatever the
// locale, a figure not found left empty, verdict pass or fail, firstFailure in English.
inline constexpr const char* kCableCsvHeader =
    "fibre,file,wavelengthNm,lengthM,lossDb,dbPerKm,events,worstSpliceDb,worstConnectorDb,"
    "worstReflectanceDb,orlDb,verdict,firstFailure";
std::string cableCsv(const Cable& cable);

// One field of a summary CSV line as the CSV holds it, before any quoting: a text (one a
// spreadsheet would take for a formula kept as text by a leading '), or a number in its
// written form (a point, the column's decimals); empty where the figure was not found.
struct CsvField {
  std::string text;
  bool number = false;
};
// The fields of cable.rows[row], in the order of kCableCsvHeader.
std::vector<CsvField> cableCsvFields(const Cable& cable, std::size_t row);

}  // namespace tracelink::cable
