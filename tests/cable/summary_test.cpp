#include "cable/summary.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <sstream>
#include <string>

#include "analysis/analysis.h"
#include "cable/cable_reading.h"
#include "cable/cable_strings.h"
#include "cable/fibre_names.h"
#include "cable/generated_cable.h"
#include "files/path_text.h"
#include "files/test_files.h"

namespace tracelink::cable {
namespace {

using test::GeneratedFibre;

std::vector<CableFile> filesOf(const std::vector<GeneratedFibre>& fibres,
                               const std::vector<double>& wavelengths) {
  std::vector<CableFile> files;
  for (const GeneratedFibre& f : fibres) {
    for (std::size_t w = 0; w < wavelengths.size(); ++w) {
      for (const char end : {'B', 'A'}) {  // B first: the rows name A's file first anyway
        CableFile file;
        file.path =
            "cable/" + test::generatedFileName(f, end, wavelengths[w], wavelengths.size() > 1);
        file.trace = end == 'A' ? f.fromA[w] : f.fromB[w];
        // The names alone tell the fibres apart.
        file.trace->identity.fiber.clear();
        files.push_back(std::move(file));
      }
    }
  }
  return files;
}

// The fields of a CSV line, quotes undone.
std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

TEST(Cable, TheGeneratedCableGetsItsKnownVerdicts) {
  const std::vector<double> wavelengths{1310, 1550};
  const std::vector<GeneratedFibre> fibres = test::generatedCable(wavelengths);
  std::vector<CableFile> files = filesOf(fibres, wavelengths);
  // A damaged file stays in the list, named, and costs the others nothing.
  CableFile damaged;
  damaged.path = "cable/CABLE_F13_AB.sor";
  damaged.error = "CABLE_F13_AB.sor: not a trace file";
  files.push_back(damaged);

  for (const bool useBidirectional : {true, false}) {
    SCOPED_TRACE(useBidirectional);
    Limits limits = test::generatedCableLimits();
    limits.useBidirectional = useBidirectional;
    const Cable cable = certify(files, limits);
    ASSERT_EQ(cable.files.size(), files.size());
    EXPECT_EQ(cable.files.back().error, damaged.error);
    EXPECT_EQ(cable.files.back().fibre, "13");
    ASSERT_EQ(cable.rows.size(), fibres.size() * wavelengths.size());
    for (std::size_t i = 0; i < cable.rows.size(); ++i) {
      const FibreRow& row = cable.rows[i];
      const GeneratedFibre& fibre = fibres[i / 2];
      SCOPED_TRACE(fibre.id);
      EXPECT_EQ(row.fibre, fibre.id);
      EXPECT_EQ(row.wavelengthNm, wavelengths[i % 2]);
      EXPECT_EQ(row.found, "AB+BA 1310/1550");
      ASSERT_EQ(row.files.size(), 2u);
      EXPECT_EQ(cable.files[row.files[0]].direction, 'A');
      EXPECT_EQ(cable.files[row.files[1]].direction, 'B');
      ASSERT_EQ(row.bothEnds.size(), 1u);
      EXPECT_NEAR(row.lengthM, test::kGeneratedLengthM, 1);
      EXPECT_EQ(row.events, 2u);
      const bool pass = !fibre.failure && (useBidirectional || !fibre.passesOnlyByAverage);
      EXPECT_EQ(row.verdict.pass(), pass);
      const Judgement* first = row.verdict.firstFailure();
      if (fibre.failure) {
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->item, *fibre.failure);
        EXPECT_NEAR(first->distanceM.value_or(-1), *fibre.failureDistance, 1);
      }
      if (fibre.passesOnlyByAverage) {
        // The worst splice is what the verdict judged: the average, or the larger reading.
        EXPECT_NEAR(*row.worstSpliceDb, useBidirectional ? 0.10 : 0.60, 1e-9);
      }
    }
    const std::size_t failing = useBidirectional ? 3 : 4;
    EXPECT_EQ(cable.failed(), failing);
    EXPECT_EQ(cable.passed(), fibres.size() - failing);
  }
}

TEST(Cable, OurAnalysisFindsTheSameVerdicts) {
  // The key events left aside: our own analysis of the backscatter must fail the same
  // fibres on the same items.
  const std::vector<GeneratedFibre> fibres = test::generatedCable();
  const Cable cable = certify(filesOf(fibres, {1310}), test::generatedCableLimits(), {},
                              compare::EventSource::Ours);
  ASSERT_EQ(cable.rows.size(), fibres.size());
  for (std::size_t i = 0; i < fibres.size(); ++i) {
    SCOPED_TRACE(fibres[i].id);
    const Judgement* first = cable.rows[i].verdict.firstFailure();
    ASSERT_EQ(first != nullptr, fibres[i].failure.has_value());
    if (first) {
      EXPECT_EQ(first->item, *fibres[i].failure);
    }
  }
}

// Our analysis of each file is made where the file is read (on the reader's workers), or by
// certify for a file that comes without it: either way the cable is the same.
TEST(Cable, AnalysisMadeWhereReadOrByCertifyJudgesAlike) {
  const std::vector<double> wavelengths{1310, 1550};
  const std::vector<CableFile> bare = filesOf(test::generatedCable(wavelengths), wavelengths);
  std::vector<CableFile> analysed = bare;
  for (CableFile& f : analysed) f.ours = analysis::analyse(*f.trace);
  for (const compare::EventSource events :
       {compare::EventSource::InstrumentElseOurs, compare::EventSource::Ours}) {
    const Cable fromBare = certify(bare, test::generatedCableLimits(), {}, events);
    const Cable fromAnalysed = certify(analysed, test::generatedCableLimits(), {}, events);
    EXPECT_EQ(cableCsv(fromBare), cableCsv(fromAnalysed));
    ASSERT_EQ(fromBare.rows.size(), fromAnalysed.rows.size());
    for (std::size_t i = 0; i < fromBare.rows.size(); ++i)
      EXPECT_EQ(firstFailureText(fromBare.rows[i].verdict, Language::English),
                firstFailureText(fromAnalysed.rows[i].verdict, Language::English));
  }
}

TEST(Cable, TheCsvHasOneLinePerRow) {
  const std::vector<GeneratedFibre> fibres = test::generatedCable();
  std::vector<CableFile> files = filesOf(fibres, {1310});
  // A fibre a spreadsheet would read as a formula, seen from one end.
  CableFile odd;
  odd.path = "cable/=1+1.sor";
  odd.trace = fibres[0].fromA[0];
  odd.trace->identity.fiber = "=1+1";
  files.push_back(odd);
  const Cable cable = certify(files, test::generatedCableLimits());
  const std::string csv = cableCsv(cable);

  std::istringstream in(csv);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, kCableCsvHeader);
  const std::vector<std::string> header = fieldsOf(line);
  std::vector<std::vector<std::string>> lines;
  while (std::getline(in, line)) lines.push_back(fieldsOf(line));
  ASSERT_EQ(lines.size(), cable.rows.size());
  ASSERT_EQ(lines.size(), fibres.size() + 1);
  const auto field = [&](std::size_t row, const char* name) {
    const auto at = std::find(header.begin(), header.end(), name) - header.begin();
    return lines[row][static_cast<std::size_t>(at)];
  };
  for (std::size_t i = 0; i < fibres.size(); ++i) {
    SCOPED_TRACE(fibres[i].id);
    ASSERT_EQ(lines[i].size(), header.size());
    EXPECT_EQ(field(i, "fibre"), fibres[i].id);
    EXPECT_EQ(field(i, "file"),
              "CABLE_F" + fibres[i].id + "_AB.sor;CABLE_F" + fibres[i].id + "_BA.sor");
    EXPECT_EQ(field(i, "wavelengthNm"), "1310");
    EXPECT_EQ(field(i, "events"), "2");
    EXPECT_EQ(field(i, "verdict"), fibres[i].failure ? "fail" : "pass");
    EXPECT_EQ(field(i, "firstFailure").empty(), !fibres[i].failure);
    EXPECT_EQ(std::stod(field(i, "lengthM")), cable.rows[i].lengthM);
  }
  EXPECT_EQ(field(2, "firstFailure"),
            "splice at 1500.0 m: 0.45 dB > 0.30 dB (average of both directions)");
  EXPECT_EQ(field(4, "worstReflectanceDb"), "-35.00");
  EXPECT_EQ(field(4, "orlDb"), "");  // the traces state none and no limit asked for one
  EXPECT_EQ(field(fibres.size(), "fibre"), "'=1+1");
  EXPECT_EQ(field(fibres.size(), "file"), "'=1+1.sor");
}

TEST(Cable, AFolderOfFilesWithADamagedOne) {
  const test::TempFolder folder;
  const std::vector<GeneratedFibre> fibres = test::generatedCable();
  std::vector<std::filesystem::path> paths = test::writeGeneratedCable(folder.path(), fibres);
  // Fibre 13 from end A: a SOR file cut short.
  const std::string whole = test::readFile(paths[0]);
  paths.push_back(folder / "CABLE_F13_AB.sor");
  test::writeFile(paths.back(), whole.substr(0, whole.size() / 2));

  std::vector<std::string> names;
  for (const std::filesystem::path& p : paths) names.push_back(pathText(p));

  // Read one by one, and on several threads as the cable view and verify read: the same
  // files in the same order, each readable one with our analysis of it.
  for (const unsigned threads : {1u, 3u}) {
    SCOPED_TRACE(threads);
    std::atomic<std::size_t> done{0};
    const std::atomic<bool> cancel{false};
    std::optional<std::vector<CableFile>> files =
        readCableFiles(names, Language::English, threads, done, cancel);
    ASSERT_TRUE(files);
    EXPECT_EQ(done, paths.size());
    ASSERT_EQ(files->size(), paths.size());
    for (std::size_t i = 0; i < files->size(); ++i) {
      EXPECT_EQ((*files)[i].path, names[i]);
      EXPECT_EQ((*files)[i].ours.has_value(), (*files)[i].trace.has_value());
    }
    const Cable cable = certify(std::move(*files), test::generatedCableLimits());
    ASSERT_EQ(cable.files.size(), paths.size());
    const CableFile& damaged = cable.files.back();
    EXPECT_FALSE(damaged.trace);
    EXPECT_NE(damaged.error.find("CABLE_F13_AB.sor"), std::string::npos) << damaged.error;
    ASSERT_EQ(cable.rows.size(), fibres.size());
    for (std::size_t i = 0; i < fibres.size(); ++i) {
      EXPECT_EQ(cable.rows[i].fibre, fibres[i].id);
      EXPECT_EQ(cable.rows[i].verdict.pass(), !fibres[i].failure) << fibres[i].id;
    }
    EXPECT_EQ(cable.failed(), 3u);
  }

  // Cancelled, the reading gives nothing rather than a cable missing files.
  std::atomic<std::size_t> done{0};
  const std::atomic<bool> cancel{true};
  EXPECT_FALSE(readCableFiles(names, Language::English, 2, done, cancel));
}

TEST(Cable, FibreAndDirectionFromIdOrName) {
  const struct {
    const char* name;
    const char* sorId;
    const char* pattern;
    const char* fibre;
    char direction;
  } cases[] = {
      {"CABLE_F01_AB.sor", "", "*{fibre}*_{dir}*", "01", 'A'},
      {"CABLE_F01_ba.sor", "", "*{fibre}*_{dir}*", "01", 'B'},
      {"CABLE_F07_1550_BA.sor", "", "*{fibre}*_{dir}*", "07", 'B'},
      {"F12-1550-BA.sor", "", "F{fibre}-*-{dir}.sor", "12", 'B'},
      {"X_AB.sor", "", "*{fibre}*_{dir}*", "X", 'A'},    // no number: letters will do
      {"fibre7.sor", "", "*{fibre}*_{dir}*", "7", 'A'},  // no direction: A
      {"noname.sor", "", "*{fibre}*_{dir}*", "noname", 'A'},
      {"CABLE_F01_BA.sor", " F07 ", "*{fibre}*_{dir}*", "F07", 'B'},  // the ID holds
      {"a_AB.sor", "", "***************************************{fibre}*{dir}*", "a", 'A'},
  };
  for (const auto& c : cases) {
    const FibreName f = fibreOf(c.name, c.sorId, c.pattern);
    EXPECT_EQ(f.fibre, c.fibre) << c.name;
    EXPECT_EQ(f.direction, c.direction) << c.name;
  }
  // One fibre whatever the zeros; numbers in the order of numbers.
  EXPECT_EQ(fibreKey("007"), fibreKey("7"));
  EXPECT_EQ(fibreKey("f7"), fibreKey("F7"));
  const NaturalLess less;
  EXPECT_TRUE(less("2", "10"));
  EXPECT_TRUE(less("F2", "F10"));
  EXPECT_FALSE(less("10", "2"));
  EXPECT_FALSE(less("7", "7"));
}

TEST(Cable, EndsThatMakeNoFibreAreJudgedAlone) {
  const std::vector<GeneratedFibre> fibres = test::generatedCable();
  std::vector<CableFile> files = filesOf({fibres[2]}, {1310});
  // End B of another length: not one fibre; each end is still judged, and both fail.
  for (KeyEvent& e : files[0].trace->events) e.distanceM *= 0.8;
  const Cable cable = certify(files, test::generatedCableLimits());
  ASSERT_EQ(cable.rows.size(), 1u);
  const FibreRow& row = cable.rows[0];
  ASSERT_TRUE(row.bothEndsProblem);
  EXPECT_EQ(row.bothEndsProblem->code, compare::BidirRefusal::LengthsDiffer);
  EXPECT_TRUE(row.bothEnds.empty());
  EXPECT_FALSE(row.verdict.pass());
  bool fromA = false;
  bool fromB = false;
  for (const Judgement& j : row.verdict.items) {
    fromA = fromA || (j.direction == 'A' && !j.pass);
    fromB = fromB || (j.direction == 'B' && !j.pass);
  }
  EXPECT_TRUE(fromA && fromB);
}

}  // namespace
}  // namespace tracelink::cable
