// Runs the built tracelink-cli on SOR files: export, and info/csv/plot of our own exports
// and of other makers' files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "cli/cli_runner.h"
#include "files/test_files.h"
#include "sor/sor_io.h"
#include "sor/sor_test_support.h"

namespace tracelink::sor {
namespace {

using test::readFile;
using test::TempFolder;
using test::writeFile;

namespace fs = std::filesystem;

using test::CliRun;

const char* const kOtdrSamples[] = {"sample_01_range2", "sample_02_range4", "sample_03_range5",
                                    "sample_04_range7"};

fs::path otdrSample(const std::string& base) {
  return fs::path(TRACELINK_OTDR_SAMPLES) / (base + ".otdr");
}

std::string quoted(const fs::path& p) {
  return "'" + p.string() + "'";
}

class SorCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
  }

  CliRun run(const std::string& args) { return test::runCli(binary_, args, folder_.path()); }

  // The output without its "file" member, which names different files.
  static std::string withoutFile(std::string json) {
    const std::size_t at = json.find("\"file\":");
    const std::size_t end = json.find(',', at);
    if (at != std::string::npos && end != std::string::npos) json.erase(at, end - at + 1);
    return json;
  }

  fs::path binary_;
  TempFolder folder_;
};

TEST_F(SorCliTest, OwnExportShowsLikeTheOtdrFile) {
  for (const char* base : kOtdrSamples) {
    SCOPED_TRACE(base);
    const fs::path sor = folder_ / (std::string(base) + ".sor");
    const CliRun made = run("sor " + quoted(otdrSample(base)) + " --out " + quoted(sor) +
                            " --time 2026-12-09T02:45:00");
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(made.out, sor.string() + "\n");

    for (const char* args : {"info", "info --lang zh", "csv"}) {
      SCOPED_TRACE(args);
      const std::string verb(args);
      const CliRun a = run(verb + " " + quoted(otdrSample(base)));
      const CliRun b = run(verb + " " + quoted(sor));
      ASSERT_EQ(b.exitCode, 0) << b.err;
      EXPECT_EQ(a.out, b.out);
    }
    const CliRun jsonA = run("info --json " + quoted(otdrSample(base)));
    const CliRun jsonB = run("info --json --record " + quoted(sor));
    ASSERT_EQ(jsonB.exitCode, 0) << jsonB.err;
    EXPECT_EQ(withoutFile(jsonA.out), withoutFile(jsonB.out));
    for (const char* dark : {"", " --dark"}) {
      const fs::path pa = folder_ / "a.png";
      const fs::path pb = folder_ / "b.png";
      ASSERT_EQ(run("plot " + quoted(otdrSample(base)) + " --out " + quoted(pa) + dark).exitCode,
                0);
      ASSERT_EQ(run("plot " + quoted(sor) + " --out " + quoted(pb) + dark).exitCode, 0);
      EXPECT_TRUE(readFile(pa) == readFile(pb)) << "plot" << dark;
    }
  }
}

TEST_F(SorCliTest, InfoJsonOfASorFileHasExactlyItsKeys) {
  const fs::path sor = folder_ / "t.sor";
  ASSERT_EQ(run("sor " + quoted(otdrSample("sample_02_range4")) + " --out " + quoted(sor) +
                " --cable 'C \"1\"' --fiber F2 --operator Wu --location-a A --location-b B "
                "--comment hi --time 2026-12-09T02:45:00 --lang zh")
                .exitCode,
            0);
  const CliRun r = run("info --json " + quoted(sor));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string head =
      "{\"file\":" + std::string("\"") + sor.string() +
      "\",\"format\":\"sor\",\"version\":2,\"checksum\":{\"status\":\"ok\",\"variant\":null,"
      "\"stored\":";
  EXPECT_EQ(r.out.rfind(head, 0), 0u) << r.out;
  const std::string body = r.out.substr(r.out.find(",\"supplier\""));
  EXPECT_EQ(body.substr(0, body.find(",\"events\"")),
            ",\"supplier\":\"\",\"otdr\":\"VT520X\",\"software\":\"tracelink 1.1\","
            "\"language\":\"ZH\",\"cableId\":\"C \\\"1\\\"\",\"fiberId\":\"F2\",\"operator\":"
            "\"Wu\",\"locationA\":\"A\",\"locationB\":\"B\",\"comment\":\"hi\",\"dateTime\":"
            "\"2026-12-09T02:45:00Z\",\"units\":\"mt\",\"wavelengthNm\":1310,\"pulseWidthsNs\":"
            "[100],\"ior\":1.4677,\"sampleSpacingM\":1.0213002,\"points\":8001,\"scaleFactor\":"
            "1000,\"rangeM\":8170.402");
  EXPECT_NE(r.out.find("\"blocks\":[{\"name\":\"GenParams\",\"version\":200,\"size\":"),
            std::string::npos);
  EXPECT_NE(r.out.find("{\"name\":\"TracelinkRecord\",\"version\":100,"), std::string::npos);
  EXPECT_EQ(r.out.back(), '\n');
}

TEST_F(SorCliTest, OtherMakersFilesReadByContent) {
  // A version 1 file renamed so that its name says nothing.
  const fs::path renamed = folder_ / "trace.dat";
  fs::copy_file(testing::samplePath("sample04.sor"), renamed);
  const CliRun info = run("info --json " + quoted(renamed));
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find("\"format\":\"sor\",\"version\":1,\"checksum\":{\"status\":\"ok\""),
            std::string::npos)
      << info.out;
  EXPECT_NE(info.out.find("{\"no\":2,\"distanceM\":12711.253,\"spliceLossDb\":0.209,"
                          "\"reflectanceDb\":0.000,\"code\":\"0F9999LS\",\"comment\":\" \"}"),
            std::string::npos)
      << info.out;
  const CliRun summary = run("info " + quoted(renamed));
  ASSERT_EQ(summary.exitCode, 0);
  EXPECT_NE(summary.out.find("SOR version 1, checksum ok"), std::string::npos) << summary.out;

  const CliRun csv = run("csv " + quoted(renamed));
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  EXPECT_EQ(csv.out.substr(0, 42), "0.000,-27.055\n5.095,-22.889\n10.189,-20.887");
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 11776);

  const fs::path png = folder_ / "f.png";
  EXPECT_EQ(
      run("plot " + quoted(testing::samplePath("sample16.sor")) + " --out " + quoted(png)).exitCode,
      0);
  EXPECT_EQ(readFile(png).substr(1, 3), "PNG");
  // A foreign file is written again as it is, only the texts given changed (see identity).
  const CliRun again =
      run("sor " + quoted(renamed) + " --cable X --out-dir " + quoted(folder_.path()));
  ASSERT_EQ(again.exitCode, 0) << again.err;
  const std::string written = readFile(folder_ / "trace.sor");
  const SorResult<SorFile> back = ReadSor(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(written.data()), written.size()));
  ASSERT_TRUE(back.ok()) << back.error().text();
  EXPECT_EQ(back->version, 1);
  EXPECT_EQ(back->genParams->cableId.text, "X");
  EXPECT_EQ(back->checksum.status, ChecksumStatus::Ok);
}

TEST_F(SorCliTest, BatchGoesPastBadFilesNeverOverwritesAndSaysWhy) {
  const fs::path out = folder_ / "out";
  fs::create_directory(out);
  const fs::path bad = folder_ / "bad.otdr";
  writeFile(bad, "12,x,");
  const fs::path damaged = folder_ / "damaged.sor";
  std::string bytes = readFile(testing::samplePath("sample01.sor"));
  bytes.resize(300);
  writeFile(damaged, bytes);
  std::string inputs;
  for (const char* base : kOtdrSamples) inputs += quoted(otdrSample(base)) + " ";
  const CliRun r = run("sor " + inputs + quoted(bad) + " " + quoted(damaged) + " --out-dir " +
                       quoted(out) + " --time 2026-01-01T00:00:00");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "tracelink-cli: sor: " + bad.string() +
                       ": block count 11109 is outside 1..15\n"
                       "tracelink-cli: sor: " +
                       damaged.string() +
                       ": block FxdParams, field size, offset 298: the block's size 92 runs past "
                       "the end of the file (2 bytes remain)\n");
  for (const char* base : kOtdrSamples) {
    const fs::path written = out / (std::string(base) + ".sor");
    EXPECT_NE(r.out.find(written.string() + "\n"), std::string::npos);
    const std::string file = readFile(written);
    Result<SorFile> f =
        ReadSor(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
    ASSERT_TRUE(f.ok()) << base;
    EXPECT_EQ(f->fxdParams->dateTime, 1767225600u);
  }

  // Again: nothing is replaced without --force, and each refusal is named.
  const fs::path first = out / "sample_01_range2.sor";
  const std::string before = readFile(first);
  const CliRun again = run("sor " + quoted(otdrSample("sample_01_range2")) + " --out " +
                           quoted(first) + " --time 2027-01-01T00:00:00");
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_EQ(again.err,
            "tracelink-cli: sor: " + first.string() + ": exists already (--force replaces it)\n");
  EXPECT_TRUE(readFile(first) == before);
  const CliRun forced = run("sor " + quoted(otdrSample("sample_01_range2")) + " --out " +
                            quoted(first) + " --time 2027-01-01T00:00:00 --force");
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_FALSE(readFile(first) == before);
  for (const auto& e : fs::directory_iterator(out))
    EXPECT_EQ(e.path().extension(), ".sor") << e.path();  // no temporary file left
}

// --opt=value as --opt value, and any number of jobs: the same files, named in input order.
TEST_F(SorCliTest, EitherOptionFormAndAnyJobsWriteTheSameFilesInOrder) {
  std::string inputs;
  for (const char* base : kOtdrSamples) inputs += quoted(otdrSample(base)) + " ";
  const struct {
    std::string dir;
    std::string options;
  } runs[] = {
      {"apart", "--cable C-7 --time 2026-01-01T00:00:00 --lang zh --jobs 1"},
      {"joined", "--cable=C-7 --time=2026-01-01T00:00:00 --lang=zh --jobs=2"},
      {"cores", "--cable=C-7 --time=2026-01-01T00:00:00 --lang=zh"},
  };
  for (const auto& r : runs) {
    const fs::path out = folder_ / r.dir;
    fs::create_directory(out);
    const CliRun done = run("sor " + inputs + r.options + " --out-dir=" + quoted(out));
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.err, "");
    std::string expected;
    for (const char* base : kOtdrSamples)
      expected += (out / (std::string(base) + ".sor")).string() + "\n";
    EXPECT_EQ(done.out, expected) << r.dir;
  }
  for (const char* base : kOtdrSamples) {
    const std::string name = std::string(base) + ".sor";
    const std::string first = readFile(folder_ / "apart" / name);
    EXPECT_NE(first.find("C-7"), std::string::npos) << base;
    EXPECT_TRUE(readFile(folder_ / "joined" / name) == first) << base;
    EXPECT_TRUE(readFile(folder_ / "cores" / name) == first) << base;
  }
}

TEST_F(SorCliTest, ProgressIsShownOnATerminalOnly) {
  const fs::path a = otdrSample("sample_01_range2"), b = otdrSample("sample_02_range4");
  const fs::path typescript = folder_ / "typescript";
  const std::string command = quoted(binary_) + " sor " + quoted(a) + " " + quoted(b) +
                              " --out-dir " + quoted(folder_.path()) + " --jobs 1";
  ASSERT_EQ(std::system(("script -qec " + test::shellWord(command) + " " + quoted(typescript) +
                         " >/dev/null 2>&1")
                            .c_str()),
            0);
  const std::string screen = readFile(typescript);
  EXPECT_NE(screen.find("\rsor 1/2 " + a.string()), std::string::npos) << screen;
  EXPECT_NE(screen.find("\rsor 2/2 " + b.string()), std::string::npos) << screen;
  // Not through a pipe: the names of the files written, nothing else.
  fs::create_directory(folder_ / "piped");
  const CliRun written = run("sor " + quoted(a) + " --out-dir " + quoted(folder_ / "piped"));
  EXPECT_EQ(written.err, "");
  EXPECT_EQ(written.out, (folder_ / "piped" / "sample_01_range2.sor").string() + "\n");
}

TEST_F(SorCliTest, ArgumentFaults) {
  const std::string in = quoted(otdrSample("sample_01_range2"));
  const struct {
    std::string args;
    std::string err;
  } cases[] = {
      {"sor " + in, "sor: give either --out FILE.sor or --out-dir DIR"},
      {"sor " + in + " " + in + " --out x.sor", "sor: --out takes one FILE; use --out-dir for 2"},
      {"sor " + in + " --out x.sor --time 2026-02-30T00:00:00",
       "sor: --time '2026-02-30T00:00:00' is not YYYY-MM-DDTHH:MM:SS"},
      {"sor " + in + " --out x.sor --lang fr", "sor: unknown language 'fr' (use en or zh)"},
      {"sor " + in + " --out x.sor --jobs 0", "sor: --jobs '0' is not a number 1..256"},
      {"sor " + in + " --out=x.sor --jobs", "sor: --jobs needs a value"},
      {"sor " + in + " --out-dir /nonexistent/dir",
       "sor: --out-dir '/nonexistent/dir' is not a folder"},
      {"sor " + in + " " + in + " --out-dir " + quoted(folder_.path()),
       "sor: " + otdrSample("sample_01_range2").string() + ": writes the same " +
           (folder_.path() / "sample_01_range2.sor").string() + " as " +
           otdrSample("sample_01_range2").string()},
      {"sor " + in + " --out x.sor --location-a '\xE5\x8C\x97'",
       "sor: " + otdrSample("sample_01_range2").string() +
           ": cannot export as SOR: location A holds a character that is not printable ASCII"},
      {"info " + quoted(testing::samplePath("sample01.sor")) + " --record",
       testing::samplePath("sample01.sor").string() + ": a SOR file without a tracelink record"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const CliRun r = run(c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "tracelink-cli: " + c.err + "\n");
  }
}

TEST_F(SorCliTest, OtherMakersFilesShowTheirTraceInTheFrameOfTheirEvents) {
  // A 1002.3 m launch cable before the fibre under test (GenParams' user offset): the
  // points before it lie at negative distances, as they do in the event table's frame.
  const CliRun csv = run("csv " + quoted(testing::samplePath("sample05.sor")));
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  EXPECT_EQ(csv.out.substr(0, 54), "-1002.304,-47.399\n-1002.144,-47.416\n-1001.985,-47.433\n");
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 15676);
  EXPECT_TRUE(csv.out.ends_with("\n1499.084,-60.749\n")) << csv.out.substr(csv.out.size() - 40);

  const struct {
    const char* file;
    std::vector<std::string> lines;
  } cases[] = {
      {"sample01.sor",
       {"Points: 25001   Spacing: 1.0220 m   Range: 25550.2 m   First point at: -20.4 m",
        "No.\tDis(m)\tType\tLoss(dB)\tRefl(dB)\tCode\tComment",
        "2\t862.570\tgainer\t-0.209\t\t0F9999LS\t ",
        "6\t8815.822\tend\t14.745\t-16.935\t1E99992P\t ", "Total loss: 3.957 dB   ORL: -"}},
      {"sample12.sor",
       {"1\t0.000\tlaunch\t0.000\t\t0M9999LS\t",
        // Stored as a positive magnitude; a reflectance is never above 0 dB.
        "2\t4292.771\tend\t0.000\t-47.285\t1E9999LS\t"}},
      {"sample07.sor",
       {"Wavelength: 155 nm   Pulse: 30 ns   IOR: 1.4675",
        "Note: FxdParams gives the wavelength as 155.0 nm, GenParams as 1550 nm"}},
      {"sample16.sor", {"(no KeyEvents block)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const CliRun info = run("info " + quoted(testing::samplePath(c.file)));
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (const std::string& line : c.lines)
      EXPECT_NE(info.out.find("\n" + line + "\n"), std::string::npos) << line << "\n" << info.out;
  }
  // info --json keeps the file's own values.
  const CliRun json = run("info --json " + quoted(testing::samplePath("sample12.sor")));
  EXPECT_NE(json.out.find("\"reflectanceDb\":47.285"), std::string::npos) << json.out;
}

}  // namespace
}  // namespace tracelink::sor
