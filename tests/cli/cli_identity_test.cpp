// tracelink-cli identity and the command line's handling of other makers' SOR files: the
// identity rewritten with every other block kept, sor of such a file, the unset
// reflectance and the checksum's variant in info, and no Qt start-up warning anywhere.
#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "files/test_files.h"
#include "sor/sor_edit.h"
#include "sor/sor_io.h"
#include "sor/sor_test_support.h"

namespace tracelink::sor {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::shellWord;
using test::TempFolder;

fs::path sample(const std::string& name) {
  return testing::samplePath(name);
}

class CliIdentityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    binary_ = test::cliBinary();
    ASSERT_FALSE(binary_.empty()) << "tracelink-cli not found through TRACELINK_BINARY_DIR";
  }
  CliRun run(const std::string& args, const std::string& env = {}) {
    return test::runCli(binary_, args, folder_.path(), env);
  }
  fs::path binary_;
  TempFolder folder_;
};

TEST_F(CliIdentityTest, GivenTextsReplaceTheFilesOthersStayAndSoDoesEveryOtherBlock) {
  struct Case {
    const char* file;
    std::string options;
    IdentityTexts changed;  // the fields the options set; the others keep the file's
  };
  const Case cases[] = {
      {"sample05.sor", "--cable C-1 --fibre 'F 2'", {"C-1", "F 2", "", "", "", ""}},
      {"sample04.sor",
       "--location-a 'Hall A' --location-b B --operator Kim --comment ok",
       {"", "", "Hall A", "B", "Kim", "ok"}},
      {"sample01.sor", "--fiber F9 --comment ''", {"", "F9", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const fs::path out = folder_ / (std::string("new-") + c.file);
    const CliRun r =
        run("identity " + shellWord(sample(c.file)) + " " + c.options + " --out " + shellWord(out));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, out.string() + "\n");
    EXPECT_EQ(r.err, "");
    const std::vector<std::uint8_t> source = testing::readBytes(sample(c.file));
    const std::vector<std::uint8_t> written = testing::readBytes(out);
    // The same as the library's rewrite with the texts given and the file's others.
    IdentityTexts want = IdentityOf(source);
    const auto take = [](const std::string& given, std::string& field) {
      if (!given.empty()) field = given;
    };
    take(c.changed.cable, want.cable);
    take(c.changed.fiber, want.fiber);
    take(c.changed.locationA, want.locationA);
    take(c.changed.locationB, want.locationB);
    take(c.changed.operatorName, want.operatorName);
    take(c.changed.comment, want.comment);
    if (c.options.find("--comment ''") != std::string::npos) want.comment.clear();
    EXPECT_EQ(IdentityOf(written), want);
    const SorResult<std::vector<std::uint8_t>> expected = RewriteIdentity(source, want);
    ASSERT_TRUE(expected.ok());
    EXPECT_EQ(written, *expected);

    // sor of another maker's file does the same.
    const fs::path viaSor = folder_ / (std::string("sor-") + c.file);
    std::string options = c.options;  // sor spells it --fiber only
    if (const std::size_t at = options.find("--fibre"); at != std::string::npos)
      options.replace(at, 7, "--fiber");
    const CliRun s =
        run("sor " + shellWord(sample(c.file)) + " " + options + " --out " + shellWord(viaSor));
    ASSERT_EQ(s.exitCode, 0) << s.err;
    EXPECT_EQ(testing::readBytes(viaSor), written);
  }
}

TEST_F(CliIdentityTest, RefusalsNameWhatIsWrongAndWriteNothing) {
  const std::string five = shellWord(sample("sample05.sor"));
  const fs::path out = folder_ / "out.sor";
  const fs::path copy = folder_ / "copy.sor";
  fs::copy_file(sample("sample05.sor"), copy);
  const std::string otdr = shellWord(fs::path(TRACELINK_OTDR_SAMPLES) / "sample_01_range2.otdr");
  const struct {
    std::string args;
    std::string message;
  } cases[] = {
      {five + " --operator '王' --out " + shellWord(out),
       "identity: " + sample("sample05.sor").string() +
           ": cannot export as SOR: the operator holds a character that is not printable ASCII"},
      {otdr + " --out " + shellWord(out), "not a SOR file (sor exports an .otdr file"},
      {five, "identity: give either --out FILE.sor or --out-dir DIR"},
      {five + " " + five + " --out " + shellWord(out), "--out takes one FILE; use --out-dir for 2"},
      // Its own input is an existing file like any other.
      {shellWord(copy) + " --cable X --out " + shellWord(copy), "exists already (--force"},
      {"--cable X", "identity: no FILE given"},
      {five + " --sheath X --out " + shellWord(out), "--sheath"},
      {five + " --time 2026-01-01T00:00:00 --out " + shellWord(out), "--time"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const CliRun r = run("identity " + c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_EQ(testing::readBytes(copy), testing::readBytes(sample("sample05.sor")));
  // With --force the input is replaced whole by its corrected copy.
  const CliRun forced =
      run("identity " + shellWord(copy) + " --cable X --out " + shellWord(copy) + " --force");
  ASSERT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(IdentityOf(testing::readBytes(copy)).cable, "X");
  // sor keeps another maker's date: --time cannot apply to it.
  const CliRun timed = run("sor " + five + " --time 2026-01-01T00:00:00 --out " + shellWord(out));
  EXPECT_EQ(timed.exitCode, 2);
  EXPECT_NE(timed.err.find("--time cannot change another maker's file"), std::string::npos)
      << timed.err;
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(CliIdentityTest, InfoShowsAnUnsetReflectanceAsNothingAndNamesTheChecksumsWay) {
  const struct {
    const char* file;
    const char* json;     // a piece of info --json
    const char* summary;  // a piece of info
  } cases[] = {
      {"sample01.sor", R"("reflectanceDb":null,"code":"0F9999LS")",
       "checksum ok (start 0) (stored 0x0399"},
      {"sample01.sor", R"("checksum":{"status":"ok","variant":"start 0",)",
       "\n5\t5160.119\tnon-reflective\t0.254\t\t0F9999LS\t"},
      {"sample07.sor", R"("checksum":{"status":"ok","variant":null,)", "checksum ok (stored"},
      {"sample12.sor", R"("checksum":{"status":"not set","variant":null,"stored":0,)",
       "checksum not set (stored 0x0000"},
      {"sample05.sor", R"("reflectanceDb":-25.721,)", "checksum mismatch (stored 0xA338"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const CliRun json = run("info --json " + shellWord(sample(c.file)));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find(c.json), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find("-2147483"), std::string::npos);
    const CliRun info = run("info " + shellWord(sample(c.file)));
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find(c.summary), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("-2147483"), std::string::npos);
  }
}

TEST_F(CliIdentityTest, NoSubcommandWritesAQtStartUpWarning) {
  const std::string otdr = shellWord(fs::path(TRACELINK_OTDR_SAMPLES) / "sample_02_range4.otdr");
  const std::string sor = shellWord(sample("sample05.sor"));
  const std::string envs[] = {"env -u XDG_RUNTIME_DIR", "env XDG_RUNTIME_DIR=/nonexistent/run"};
  for (std::size_t k = 0; k < std::size(envs); ++k) {
    // Each pass writes files of its own.
    const auto out = [&](const char* name) {
      return shellWord(folder_ / (std::to_string(k) + name));
    };
    const std::string commands[] = {
        "info " + otdr,
        "info --json " + sor,
        "csv " + sor,
        "plot " + otdr + " --out " + out("p.png"),
        "plot " + sor + " --out " + out("q.png"),
        "sor " + otdr + " --out " + out("a.sor"),
        "report " + otdr + " --out " + out("r.pdf"),
        "measure " + sor + " --a 100 --b 900",
        "analyse " + otdr,
        "identity " + sor + " --cable X --out " + out("b.sor"),
    };
    for (const std::string& command : commands) {
      SCOPED_TRACE(envs[k] + " " + command);
      const CliRun r = run(command, envs[k]);
      EXPECT_EQ(r.exitCode, 0);
      EXPECT_EQ(r.err, "");
    }
  }
}

}  // namespace
}  // namespace tracelink::sor
