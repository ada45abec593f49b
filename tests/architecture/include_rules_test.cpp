#include "architecture/include_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tracelink::arch {
namespace {

struct Expected {
  int line;
  std::string include;
  std::string ruleSays;  // a part of the rule's text
};

struct Case {
  const char* what;
  std::string file;
  std::string text;
  std::vector<Expected> expected;
};

TEST(IncludeRules, EachRuleCatchesItsViolationAndNothingElse) {
  const Case cases[] = {
      {"a room includes itself and rooms to its left",
       "src/report/report_page.cpp",
       "#include \"report/report_page.h\"\n#include \"record/decode.h\"\n"
       "#include \"render/plot_render.h\"\n#include \"session/view_window.h\"\n"
       "#include <QPainter>\n#include <vector>\n",
       {}},
      {"a room to the right",
       "src/record/decode.cpp",
       "#include \"record/decode.h\"\n\n#include \"files/record_file.h\"\n",
       {{3, "\"files/record_file.h\"", "files/ stands to its right"}}},
      {"the rooms being added have their places",
       "src/compare/overlay.cpp",
       "#include \"trace/trace.h\"\n#include \"analysis/events.h\"\n#include \"cable/limits.h\"\n",
       {{3, "\"cable/limits.h\"", "compare/ includes only rooms to its left"}}},
      {"render never includes session",
       "src/render/plot_render.cpp",
       "#include \"render/plot_render.h\"\n#include \"session/view_window.h\"\n",
       {{2, "\"session/view_window.h\"", "never include each other"}}},
      {"session never includes render, though render stands to its left",
       "src/session/a.h",
       "#include <QObject>\n#include \"render/plot_geometry.h\"\n",
       {{2, "\"render/plot_geometry.h\"", "never include each other"}}},
      {"a standard-library-only room includes Qt",
       "src/sor/sor_reader.cpp",
       "#include <string>\n#include <QString>\n  #  include <QtCore/QByteArray>\n",
       {{2, "<QString>", "sor/ is standard library only"},
        {3, "<QtCore/QByteArray>", "sor/ is standard library only"}}},
      {"the window arithmetic of session stays without Qt",
       "src/session/view_window.cpp",
       "#include \"session/view_window.h\"\n#include \"session/trace_session.h\"\n"
       "#include <QString>\n#include \"record/units.h\"\n",
       {{2, "\"session/trace_session.h\"", "which uses Qt"},
        {3, "<QString>", "this file of session/ is standard library only"}}},
      {"the wire format stays without Qt",
       "src/link/wire_format.h",
       "#include <QByteArray>\n",
       {{1, "<QByteArray>", "standard library only"}}},
      {"ui may include every room",
       "src/ui/main_window.cpp",
       "#include \"report/report_workflow.h\"\n#include \"link/serial_link.h\"\n"
       "#include \"render/layout.h\"\n#include \"session/trace_session.h\"\n",
       {}},
      {"nothing to the left of ui includes it",
       "src/report/report_sources.cpp",
       "#include \"ui/trace_view.h\"\n",
       {{1, "\"ui/trace_view.h\"", "ui/ stands to its right"}}},
      {"tools include libraries, not ui",
       "tools/cli/cli_plot.cpp",
       "#include \"cli_command.h\"\n#include \"report/report_pdf.h\"\n"
       "#include \"sim/pty_device.h\"\n#include <ui/main_window.h>\n",
       {{4, "<ui/main_window.h>", "never include ui/"}}},
      {"fuzz targets the same",
       "fuzz/cli_args.cpp",
       "#include \"ui/app.h\"\n",
       {{1, "\"ui/app.h\"", "never include ui/"}}},
      {"tools and fuzz may use Qt", "tools/sim/sim_main.cpp", "#include <QCoreApplication>\n", {}},
      {"comments and other lines are no includes",
       "src/record/units.cpp",
       "// #include \"ui/app.h\"\nconst char* s = \"#include <QString>\";\n#define X 1\n"
       "#pragma once\n#include \"record/units.h\"",
       {}},
      {"a folder of src/ that is no room",
       "src/view/plot_geometry.cpp",
       "#include \"record/units.h\"\n",
       {{0, "", "src/view is no room of the layer order"}}},
  };
  for (const Case& c : cases) {
    const std::vector<Violation> found = checkIncludes(c.file, c.text);
    ASSERT_EQ(found.size(), c.expected.size()) << c.what;
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].file, c.file) << c.what;
      EXPECT_EQ(found[i].line, c.expected[i].line) << c.what;
      EXPECT_EQ(found[i].include, c.expected[i].include) << c.what;
      EXPECT_NE(found[i].rule.find(c.expected[i].ruleSays), std::string::npos)
          << c.what << ": " << found[i].rule;
    }
  }
}

TEST(IncludeRules, AViolationNamesFileLineAndInclude) {
  const std::vector<Violation> found =
      checkIncludes("src/files/record_file.cpp", "\n\n#include \"link/block_transfer.h\"\n");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(describe(found[0]),
            "src/files/record_file.cpp:3: #include \"link/block_transfer.h\": files/ includes "
            "only rooms to its left, and link/ stands to its right");
}

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(IncludeRules, TheSourcesKeepThem) {
  const std::filesystem::path root = TRACELINK_SOURCE_DIR;
  const std::vector<std::string> files = checkedSources(root);
  // The scan must reach the code it guards; an empty or wrong root proves nothing.
  for (const char* known : {"src/record/trace_record.h", "src/render/plot_render.cpp",
                            "src/session/view_window.h", "src/ui/trace_view.cpp",
                            "tools/sim/sim_server.cpp", "tools/cli/main.cpp", "fuzz/sor_read.cpp"})
    EXPECT_TRUE(std::binary_search(files.begin(), files.end(), known)) << known;

  std::string report;
  std::size_t count = 0;
  for (const std::string& file : files) {
    for (const Violation& v : checkIncludes(file, readAll(root / file))) {
      report += describe(v) + "\n";
      ++count;
    }
  }
  EXPECT_EQ(count, 0u) << report;
}

}  // namespace
}  // namespace tracelink::arch
