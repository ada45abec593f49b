#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cable/limits.h"
#include "cable/verdict.h"
#include "compare/bidir.h"
#include "compare/event_list.h"
#include "trace/trace.h"

namespace tracelink::cable {

// A folder of traces (or a chosen list) seen as one cable: the files grouped by fibre, each
// fibre's directions and wavelengths paired, judged, and summed up in one row.

// How a file's fibre and direction are told. The SOR fibre ID first; else the name pattern,
// in which {fibre} stands for the fibre's number or name, {dir} for AB or BA (either case)
// and * for anything; else the first number in the file name, direction A.
struct Pairing {
  std::string namePattern = "*{fibre}*_{dir}*";
};

struct CableFile {
  std::string path;           // UTF-8
  std::optional<Trace> trace;  // none when it could not be read
  std::string error;          // why not, in English, naming the file (for the CLI and logs)
  std::string fibre;          // as found
  char direction = 'A';       // 'A' or 'B'
};

struct FibreRow {
  std::string fibre;
  std::vector<std::size_t> files;  // into Cable::files
  std::string found;               // directions and wavelengths, e.g. "AB+BA 1310/1550"
  double wavelengthNm = 0;         // the wavelength the row's figures are for
  double lengthM = 0;
  double lossDb = 0;
  double dbPerKm = 0;
  std::size_t events = 0;
  std::optional<double> worstSpliceDb;
  std::optional<double> worstConnectorDb;
  std::optional<double> worstReflectanceDb;
  std::optional<double> orlDb;
  Verdict verdict;
  std::vector<compare::BidirResult> bothEnds;  // one per wavelength with both directions
};

struct Cable {
  std::vector<CableFile> files;
  std::vector<FibreRow> rows;  // in fibre order (numbers as numbers)
  std::size_t passed() const;
  std::size_t failed() const;
};

// Builds the cable from files already read (reading stays with the caller, so that the
// window can show progress and a batch can read in parallel).
Cable certify(std::vector<CableFile> files, const Limits& limits, const Pairing& pairing = {},
              compare::EventSource events = compare::EventSource::InstrumentElseOurs);

// The summary CSV: a header line and one row per fibre row, fields as the header names them.
inline constexpr const char* kCableCsvHeader =
    "fibre,file,wavelengthNm,lengthM,lossDb,dbPerKm,events,worstSpliceDb,worstConnectorDb,"
    "worstReflectanceDb,orlDb,verdict,firstFailure";
std::string cableCsv(const Cable& cable);

}  // namespace tracelink::cable
