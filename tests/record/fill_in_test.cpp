// The one filler every table of texts is filled by.
#include "record/fill_in.h"

#include <gtest/gtest.h>

#include <string>

namespace tracelink {
namespace {

TEST(FillIn, PutsEachValueAtItsMarkAndLeavesEverythingElse) {
  struct Case {
    const char* pattern;
    std::initializer_list<std::string_view> values;
    const char* expected;
  };
  const Case cases[] = {
      {"Saved {0}", {"a.otdr"}, "Saved a.otdr"},
      // A language may put the values in another order, or one twice.
      {"已上传 {1} 条存储曲线中的 {0} 条", {"3", "12"}, "已上传 12 条存储曲线中的 3 条"},
      {"{0}-{0}", {"x"}, "x-x"},
      // A mark without its value, and braces that are no mark, stay as written.
      {"{1} of {0}, {2}", {"a", "b"}, "b of a, {2}"},
      {"{} {a} {10} {0", {"v"}, "{} {a} {10} {0"},
      {"ends {", {"v"}, "ends {"},
      // A value is never searched for marks itself.
      {"{0} and {1}", {"{1}", "b"}, "{1} and b"},
      {"", {"v"}, ""},
      {"{9}", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "nine"}, "nine"},
  };
  for (const Case& c : cases) EXPECT_EQ(fillIn(c.pattern, c.values), c.expected) << c.pattern;
}

// A string type of the window's kind (UTF-8 in and out) is filled the same way.
struct Utf8Text {
  std::string utf8;
  std::string toStdString() const { return utf8; }
  static Utf8Text fromStdString(const std::string& s) { return {s}; }
};

TEST(FillIn, FillsTheWindowsOwnStrings) {
  const Utf8Text filled = fillIn(Utf8Text{"无法创建保存文件夹 {0}：{1}"},
                                 {Utf8Text{"/曲线/save"}, Utf8Text{"没有访问权限"}});
  EXPECT_EQ(filled.utf8, "无法创建保存文件夹 /曲线/save：没有访问权限");
}

}  // namespace
}  // namespace tracelink
