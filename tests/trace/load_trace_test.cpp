// The loader: either format by content, the origin it names, the messages it gives, and our
// own SOR export read back as the record's trace.
#include "trace/load_trace.h"

#include <gtest/gtest.h>

#include "files/path_text.h"
#include "files/record_file.h"
#include "files/test_files.h"
#include "sor/sor_io.h"
#include "sor/sor_test_support.h"
#include "sor/trace_sor.h"
#include "trace/sha256.h"
#include "trace/trace_from_record.h"
#include "trace/trace_from_sor.h"

namespace tracelink {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;

const char* const kOtdrSamples[] = {"sample_01_range2.otdr", "sample_02_range4.otdr",
                                    "sample_03_range5.otdr", "sample_04_range7.otdr"};

fs::path otdrSample(const char* name) {
  return pathFromText(TRACELINK_OTDR_SAMPLES) / pathFromText(name);
}

std::string sha256Of(const fs::path& p) {
  const std::string bytes = readFile(p);
  return Sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// A sample loaded the way the window loads it.
struct Loaded {
  std::unique_ptr<TraceRecord> record = std::make_unique<TraceRecord>();
  HeaderState header;
  ViewWindow view;
  std::int32_t blocks = 0;  // the file's block count

  explicit Loaded(const fs::path& path) {
    EXPECT_TRUE(ReadRecordFile(path, *record, blocks).ok()) << path;
    header.BlocksPerTrace = blocks;
    ApplyHeader(*record, header, view);
  }
};

TEST(LoadTrace, EitherFormatByContentWithItsOrigin) {
  TempFolder folder;
  // Names that say nothing, or the wrong thing.
  const fs::path otdr = folder / "trace.sor";
  fs::copy_file(otdrSample("sample_02_range4.otdr"), otdr);
  const fs::path sor = folder / "trace.otdr";
  fs::copy_file(sor::testing::samplePath("sample05.sor"), sor);

  Result<Trace> a = LoadTrace(otdr);
  ASSERT_TRUE(a.ok()) << a.error().text();
  const Loaded l(otdr);
  Trace want = TraceFromRecord(*l.record, l.header, l.view);
  EXPECT_EQ(a->levels, want.levels);
  EXPECT_EQ(a->events, want.events);
  EXPECT_EQ(a->origin.format, TraceFormat::Otdr);
  EXPECT_EQ(a->origin.path, otdr.string());
  EXPECT_EQ(a->origin.sha256, sha256Of(otdr));
  EXPECT_EQ(a->origin.uploadedAt, std::nullopt);
  // The date of an .otdr file is when it was saved.
  const auto mtime = std::chrono::file_clock::to_sys(fs::last_write_time(otdr));
  EXPECT_EQ(a->identity.dateTime,
            std::chrono::duration_cast<std::chrono::seconds>(mtime.time_since_epoch()).count());

  Result<Trace> b = LoadTrace(sor);
  ASSERT_TRUE(b.ok()) << b.error().text();
  Result<sor::SorFile> file = sor::ReadSor(sor::testing::readBytes(sor));
  ASSERT_TRUE(file.ok());
  Trace fromSor = TraceFromSor(*file);
  EXPECT_EQ(b->levels, fromSor.levels);
  EXPECT_EQ(b->events, fromSor.events);
  EXPECT_EQ(b->originM, fromSor.originM);
  EXPECT_EQ(b->origin.format, TraceFormat::Sor);
  EXPECT_EQ(b->origin.sha256, sha256Of(sor));
  EXPECT_NE(b->origin.sha256, a->origin.sha256);
}

TEST(LoadTrace, FaultsNameTheFileAndWhatIsWrong) {
  TempFolder folder;
  const fs::path missing = folder / "missing.otdr";
  const fs::path bad = folder / "bad.otdr";
  writeFile(bad, "12,x,");
  const fs::path cut = folder / "cut.sor";
  std::string bytes = readFile(sor::testing::samplePath("sample01.sor"));
  bytes.resize(300);
  writeFile(cut, bytes);
  const struct {
    fs::path path;
    std::string message;
  } cases[] = {
      {missing, missing.string() + ": cannot open: No such file or directory"},
      {bad, bad.string() + ": block count 11109 is outside 1..15"},
      {folder.path(), folder.path().string() + ": is a directory, not a trace file"},
      {cut, cut.string() +
                ": block FxdParams, field size, offset 298: the block's size 92 runs past the end "
                "of the file (2 bytes remain)"},
  };
  for (const auto& c : cases) {
    const Result<Trace> t = LoadTrace(c.path);
    ASSERT_FALSE(t.ok()) << c.path;
    EXPECT_EQ(t.error().text(), c.message);
  }
}

sor::SorExportOptions exportOptions() {
  sor::SorExportOptions o;
  o.cable = "C-7";
  o.fiber = "F-12";
  o.operatorName = "Wu";
  o.locationA = "North";
  o.locationB = "South";
  o.comment = "after repair";
  o.dateTime = 1796788800;
  return o;
}

TEST(LoadTrace, OurSorExportReadBackIsTheRecordsTrace) {
  for (const char* name : kOtdrSamples) {
    SCOPED_TRACE(name);
    const Loaded l(otdrSample(name));
    const Trace record = TraceFromRecord(*l.record, l.header, l.view);
    const sor::SorExportOptions o = exportOptions();
    Result<std::vector<std::uint8_t>> bytes =
        sor::WriteTraceAsSor(*l.record, l.header, l.view, l.blocks, o);
    ASSERT_TRUE(bytes.ok()) << bytes.error().text();
    TempFolder folder;
    const fs::path path = folder / "export.sor";
    writeFile(path, std::string(bytes->begin(), bytes->end()));

    // Through its record block: the record's own trace, with what the file states.
    Result<Trace> back = LoadTrace(path);
    ASSERT_TRUE(back.ok()) << back.error().text();
    EXPECT_EQ(back->levels, record.levels);
    EXPECT_EQ(back->spacingM, record.spacingM);
    EXPECT_EQ(back->originM, record.originM);
    EXPECT_EQ(back->events, record.events);
    EXPECT_EQ(back->totalLossDb, record.totalLossDb);
    EXPECT_EQ(back->acquisition, record.acquisition);
    Identity identity = record.identity;
    identity.cable = o.cable;
    identity.fiber = o.fiber;
    identity.operatorName = o.operatorName;
    identity.locationA = o.locationA;
    identity.locationB = o.locationB;
    identity.comment = o.comment;
    identity.software = "tracelink 1.1";
    identity.dateTime = o.dateTime;
    EXPECT_EQ(back->identity, identity);
    EXPECT_EQ(back->origin.format, TraceFormat::Sor);
    EXPECT_EQ(back->origin.sha256, Sha256Hex(*bytes));

    // As any other maker's file, without the block: the same trace but for the level of
    // its top (SOR counts levels down from the highest one), and distances as SOR gives
    // them, from times in 100 ps.
    Result<sor::SorFile> file = sor::ReadSor(*bytes);
    ASSERT_TRUE(file.ok());
    const Trace plain = TraceFromSor(*file);
    ASSERT_EQ(plain.size(), record.size());
    const std::int32_t top = *std::max_element(record.levels.begin(), record.levels.end());
    for (std::size_t i = 0; i < plain.size(); ++i)
      ASSERT_EQ(plain.levels[i], record.levels[i] - top) << i;
    EXPECT_NEAR(plain.spacingM, record.spacingM, 1e-12);
    EXPECT_EQ(plain.originM, 0);
    ASSERT_EQ(plain.events.size(), record.events.size());
    for (std::size_t i = 0; i < plain.events.size(); ++i) {
      KeyEvent e = plain.events[i];
      EXPECT_NEAR(e.distanceM, record.events[i].distanceM, 1e-9) << i;
      e.distanceM = record.events[i].distanceM;
      EXPECT_EQ(e, record.events[i]) << i;
    }
    EXPECT_EQ(plain.totalLossDb, record.totalLossDb);
    EXPECT_EQ(plain.acquisition.pulseWidthsNs, record.acquisition.pulseWidthsNs);
    EXPECT_EQ(plain.acquisition.wavelengthNm, record.acquisition.wavelengthNm);
    EXPECT_EQ(plain.acquisition.groupIndex, record.acquisition.groupIndex);
    EXPECT_EQ(plain.identity.cable, o.cable);
    EXPECT_EQ(plain.identity.dateTime, o.dateTime);
  }
}

TEST(LoadTrace, ARecordBlockThatDoesNotFitIsRefused) {
  const Loaded l(otdrSample("sample_01_range2.otdr"));
  Result<sor::SorFile> file =
      sor::TraceToSor(*l.record, l.header, l.view, l.blocks, exportOptions());
  ASSERT_TRUE(file.ok());
  // One data point fewer than the block accounts for.
  file->dataPts->traces.front().values.pop_back();
  file->dataPts->pointCount -= 1;
  const std::vector<std::uint8_t> bytes = sor::WriteSor(*file);
  TempFolder folder;
  const fs::path path = folder / "bad.sor";
  writeFile(path, std::string(bytes.begin(), bytes.end()));
  const Result<Trace> t = LoadTrace(path);
  ASSERT_FALSE(t.ok());
  EXPECT_NE(t.error().text().find(path.string() + ": block TracelinkRecord, field point count"),
            std::string::npos)
      << t.error().text();
}

}  // namespace
}  // namespace tracelink
