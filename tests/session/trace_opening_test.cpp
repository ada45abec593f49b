// The session shows a file by its content: .otdr files and our own SOR exports as the
// record, any other SOR file as another maker's trace held beside the record.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <array>
#include <filesystem>
#include <string>

#include "files/record_file.h"
#include "files/test_files.h"
#include "session/trace_file.h"
#include "session/trace_session.h"
#include "session/trace_texts.h"
#include "sor/sor_io.h"
#include "sor/sor_strings.h"
#include "sor/trace_sor.h"
#include "trace/load_trace.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::writeFile;

std::array<std::int32_t, 4> ends(const ViewWindow& v) {
  return {v.ViewStart, v.ViewEnd, v.FullRangeStart, v.FullRangeEnd};
}

const fs::path kSorSamples = TRACELINK_SOR_SAMPLES;
const fs::path kOtdrSamples = TRACELINK_OTDR_SAMPLES;

void ensureCoreApp() {
  static int argc = 1;
  static char name[] = "trace_opening_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

std::vector<fs::path> sorSamples() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kSorSamples))
    if (entry.path().extension() == ".sor") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Our own export of an .otdr file, written beside it in folder.
fs::path exportOf(const fs::path& otdr, const fs::path& folder) {
  Result<LoadedTrace> loaded = LoadTraceFile(otdr);
  EXPECT_TRUE(loaded.ok());
  sor::SorExportOptions options;
  options.cable = "C1";
  options.dateTime = 1700000000;
  const auto bytes =
      sor::WriteTraceAsSor(*loaded->record, loaded->header, loaded->view, loaded->blocks, options);
  EXPECT_TRUE(bytes.ok());
  const fs::path out = folder / (otdr.stem().string() + ".sor");
  writeFile(out, std::string(bytes->begin(), bytes->end()));
  return out;
}

TEST(TraceOpening, EverySharedSampleIsShownAsTheTraceLoadTraceGives) {
  ensureCoreApp();
  const auto files = sorSamples();
  ASSERT_EQ(files.size(), 17u);
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    TraceSession session(Language::English, ".");
    const TraceRecord before = session.record();
    ASSERT_TRUE(session.loadFile(file).ok());
    ASSERT_NE(session.foreign(), nullptr);
    const Result<Trace> expected = LoadTrace(file);
    ASSERT_TRUE(expected.ok());
    EXPECT_EQ(session.trace(), *expected);
    // Its window counts points, all of them at first; the record is untouched.
    EXPECT_EQ(session.view().ViewStart, 0);
    EXPECT_EQ(session.view().ViewEnd, static_cast<std::int32_t>(expected->size() - 1));
    EXPECT_EQ(session.record().words, before.words);
    EXPECT_EQ(session.decoded().EventCount,
              static_cast<std::int32_t>(std::min<std::size_t>(expected->events.size(), 8)));
  }
}

TEST(TraceOpening, OurExportOpensAsTheRecordOfItsOtdrFile) {
  ensureCoreApp();
  TempFolder folder;
  for (const auto& entry : fs::directory_iterator(kOtdrSamples)) {
    if (entry.path().extension() != ".otdr") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const fs::path sor = exportOf(entry.path(), folder.path());
    // Both over a record that already holds another trace, as the window loads them.
    TraceSession fromOtdr(Language::English, ".");
    TraceSession fromSor(Language::English, ".");
    const fs::path other = kOtdrSamples / "sample_04_range7.otdr";
    ASSERT_TRUE(fromOtdr.loadFile(other).ok());
    ASSERT_TRUE(fromSor.loadFile(other).ok());
    ASSERT_TRUE(fromOtdr.loadFile(entry.path()).ok());
    ASSERT_TRUE(fromSor.loadFile(sor).ok());
    EXPECT_EQ(fromSor.foreign(), nullptr);
    EXPECT_EQ(fromSor.record().words, fromOtdr.record().words);
    EXPECT_EQ(ends(fromSor.view()), ends(fromOtdr.view()));
    EXPECT_EQ(fromSor.header().StartPoint, fromOtdr.header().StartPoint);
    EXPECT_EQ(fromSor.header().RangeLine, fromOtdr.header().RangeLine);
    EXPECT_EQ(fromSor.header().BlocksPerTrace, fromOtdr.header().BlocksPerTrace);
    EXPECT_EQ(fromSor.texts().eventText, fromOtdr.texts().eventText);
    EXPECT_EQ(fromSor.savedBlockCount(0), fromOtdr.savedBlockCount(0));
  }
}

TEST(TraceOpening, AnOtdrFileOrAnUploadAfterAForeignTraceFindsTheRecordAsBefore) {
  ensureCoreApp();
  const fs::path a = kOtdrSamples / "sample_02_range4.otdr";
  const fs::path b = kOtdrSamples / "sample_01_range2.otdr";
  TraceSession direct(Language::English, ".");
  ASSERT_TRUE(direct.loadFile(a).ok());
  ASSERT_TRUE(direct.loadFile(b).ok());

  TraceSession viaForeign(Language::English, ".");
  ASSERT_TRUE(viaForeign.loadFile(a).ok());
  ASSERT_TRUE(viaForeign.loadFile(kSorSamples / "sample06.sor").ok());
  ASSERT_TRUE(viaForeign.zoomTo(1000, 3000));
  ASSERT_TRUE(viaForeign.loadFile(b).ok());
  EXPECT_EQ(viaForeign.foreign(), nullptr);
  EXPECT_EQ(viaForeign.record().words, direct.record().words);
  EXPECT_EQ(ends(viaForeign.view()), ends(direct.view()));
  EXPECT_EQ(viaForeign.scaleText(), direct.scaleText());
  EXPECT_EQ(viaForeign.texts().label1, direct.texts().label1);

  // A new upload request drops the foreign trace and says the record's scale again.
  ASSERT_TRUE(viaForeign.loadFile(kSorSamples / "sample06.sor").ok());
  QSignalSpy scale(&viaForeign, &TraceSession::scaleTextChanged);
  viaForeign.clearTrace();
  EXPECT_EQ(viaForeign.foreign(), nullptr);
  ASSERT_EQ(scale.count(), 1);
  EXPECT_EQ(scale.front().front().toString().toStdString(), viaForeign.scaleText());
}

TEST(TraceOpening, TheForeignWindowZoomsPansAndReturnsInPoints) {
  ensureCoreApp();
  TraceSession session(Language::English, ".");
  ASSERT_TRUE(session.loadFile(kSorSamples / "sample06.sor").ok());  // 30000 points, 0.204 m
  const ForeignShown& f = *session.foreign();
  const double spacing = f.trace.spacingM;
  const std::string full = session.scaleText();
  EXPECT_NE(full.find("m/div"), std::string::npos);

  QSignalSpy view(&session, &TraceSession::viewChanged);
  EXPECT_FALSE(session.zoomTo(1000, 1100));  // 100 m or less is refused
  ASSERT_TRUE(session.zoomTo(1000, 2000));
  EXPECT_EQ(view.count(), 1);
  // The window's ends are the points at those distances from point 0.
  EXPECT_NEAR(session.view().ViewStart * spacing, 1000.0, spacing);
  EXPECT_NEAR(session.view().ViewEnd * spacing, 2000.0, spacing);
  EXPECT_EQ(session.scaleText().substr(0, session.scaleText().find('m')), "100");

  const std::int32_t width = session.view().ViewEnd - session.view().ViewStart;
  ASSERT_TRUE(session.panTowardEnd());
  EXPECT_EQ(session.view().ViewEnd - session.view().ViewStart, width);
  for (int i = 0; i < 200; ++i) session.panTowardEnd();
  EXPECT_EQ(session.view().ViewEnd, session.view().FullRangeEnd);
  for (int i = 0; i < 200; ++i) session.panTowardStart();
  EXPECT_EQ(session.view().ViewStart, 0);
  ASSERT_TRUE(session.fullView());
  EXPECT_EQ(session.view().ViewEnd, static_cast<std::int32_t>(f.trace.size() - 1));
  EXPECT_EQ(session.scaleText(), full);
  // The record's own window never moved.
  TraceSession fresh(Language::English, ".");
  ASSERT_TRUE(session.loadFile(kOtdrSamples / "sample_01_range2.otdr").ok());
  ASSERT_TRUE(fresh.loadFile(kOtdrSamples / "sample_01_range2.otdr").ok());
  EXPECT_EQ(ends(session.view()), ends(fresh.view()));
}

// A file that cannot be shown leaves what is on screen and says, in the session's
// language, which file and what is wrong.
TEST(TraceOpening, BadInputNamesTheFileAndTheReasonAndChangesNothing) {
  ensureCoreApp();
  TempFolder folder;
  const fs::path dir = folder.path();
  const std::string sample = test::readFile(kSorSamples / "sample01.sor");
  writeFile(dir / "cut.sor", sample.substr(0, 3000));
  writeFile(dir / "empty.sor", "");
  writeFile(dir / "words.otdr", "hello world\n");
  fs::create_directories(dir / "folder.sor");
  const fs::path gone = dir / "gone.sor";
  writeFile(gone, sample);
  fs::remove(gone);

  struct Case {
    std::string file;
    std::string english;  // what the English line must say
    std::string chinese;
  };
  const std::vector<Case> cases = {
      {"cut.sor", "block NetTestTSI , field size, offset 688", "NetTestTSI"},
      {"empty.sor", "empty", "empty.sor"},
      {"words.otdr", "field 1 is not a number", "words.otdr"},
      {"folder.sor", "directory", "folder.sor"},
      {"gone.sor", "No such file", "gone.sor"},
  };
  for (const Language language : {Language::English, Language::Chinese}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.file);
      TraceSession session(language, ".");
      ASSERT_TRUE(session.loadFile(kSorSamples / "sample04.sor").ok());
      const std::string shownText = session.texts().eventText;
      QSignalSpy changed(&session, &TraceSession::traceChanged);
      const Status read = session.loadFile(dir / c.file);
      ASSERT_FALSE(read.ok());
      const std::string line = read.error().text(language);
      EXPECT_NE(line.find(c.file), std::string::npos) << line;
      EXPECT_NE(line.find(language == Language::English ? c.english : c.chinese), std::string::npos)
          << line;
      EXPECT_EQ(changed.count(), 0);
      ASSERT_NE(session.foreign(), nullptr);
      EXPECT_EQ(session.texts().eventText, shownText);
    }
  }
  // The damaged SOR file's reason is the reader's own, in each language.
  const std::string cut = sample.substr(0, 3000);
  const sor::SorResult<sor::SorFile> damaged =
      sor::ReadSor(std::span(reinterpret_cast<const std::uint8_t*>(cut.data()), cut.size()));
  ASSERT_FALSE(damaged.ok());
  TraceSession chinese(Language::Chinese, ".");
  const Status read = chinese.loadFile(dir / "cut.sor");
  ASSERT_FALSE(read.ok());
  EXPECT_NE(read.error()
                .text(Language::Chinese)
                .find(sor::problemText(damaged.problem(), Language::Chinese)),
            std::string::npos);
}

TEST(TraceOpening, ReadingByContentIgnoresTheName) {
  ensureCoreApp();
  TempFolder folder;
  // A SOR file named .otdr and an .otdr file named .sor.
  fs::copy_file(kSorSamples / "sample02.sor", folder.path() / "a.otdr");
  fs::copy_file(kOtdrSamples / "sample_01_range2.otdr", folder.path() / "b.sor");
  const Result<OpenedTrace> a =
      ReadTraceByContent(folder.path() / "a.otdr", Language::English, LoadedTrace{});
  const Result<OpenedTrace> b =
      ReadTraceByContent(folder.path() / "b.sor", Language::English, LoadedTrace{});
  ASSERT_TRUE(a.ok());
  ASSERT_TRUE(b.ok());
  EXPECT_FALSE(a->isRecord());
  EXPECT_TRUE(b->isRecord());
}

}  // namespace
}  // namespace tracelink
