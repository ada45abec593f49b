#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "record/result.h"

namespace tracelink {
namespace {

bool hasLatinLetter(const std::string& s) {
  for (const char c : s)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  return false;
}

Error make(ErrorCode code, std::int64_t a = 0, std::int64_t b = 0, int sys = 0) {
  Error e = fileError(code, "/tmp/曲线.otdr", sys, sys ? std::string("system words") : "");
  e.a = a;
  e.b = b;
  return e;
}

TEST(ErrorText, EveryCodeInBothLanguages) {
  struct Case {
    Error error;
    const char* english;
    const char* chinese;
  };
  const Case cases[] = {
      {make(ErrorCode::FileEndsEarly, 6667, 16000),
       "/tmp/曲线.otdr: ends after 6667 of 16000 fields",
       "/tmp/曲线.otdr：文件不完整：需要 16000 个字段，只有 6667 个"},
      {make(ErrorCode::FieldNotNumber, 1), "/tmp/曲线.otdr: field 1 is not a number",
       "/tmp/曲线.otdr：第 1 个字段不是数字"},
      {make(ErrorCode::BlockCountOutside, 16), "/tmp/曲线.otdr: block count 16 is outside 1..15",
       "/tmp/曲线.otdr：数据块数 16 不在 1 到 15 之间"},
      {make(ErrorCode::CannotOpen, 0, 0, ENOENT), "/tmp/曲线.otdr: cannot open: system words",
       "/tmp/曲线.otdr：无法打开：文件或文件夹不存在"},
      {make(ErrorCode::CannotCreateFolder, 0, 0, ENOTDIR),
       "/tmp/曲线.otdr: cannot create the folder: system words",
       "/tmp/曲线.otdr：无法创建文件夹：路径中有一项不是文件夹"},
      {make(ErrorCode::CannotWrite, 0, 0, ENOSPC), "/tmp/曲线.otdr: cannot write: system words",
       "/tmp/曲线.otdr：无法写入：磁盘空间不足"},
      {make(ErrorCode::CannotCreate, 0, 0, EROFS), "/tmp/曲线.otdr: cannot create: system words",
       "/tmp/曲线.otdr：无法创建：只读，不能写入"},
      {make(ErrorCode::CannotReplace, 0, 0, EACCES), "/tmp/曲线.otdr: cannot replace: system words",
       "/tmp/曲线.otdr：无法替换原文件：没有访问权限"},
      {make(ErrorCode::CannotRead, 0, 0, 9999), "/tmp/曲线.otdr: cannot read: system words",
       "/tmp/曲线.otdr：无法读取：系统错误 9999"},
      {make(ErrorCode::FileTooLarge, 300000000, 67108864),
       "/tmp/曲线.otdr: is 300000000 bytes, larger than any trace file (67108864 at most)",
       "/tmp/曲线.otdr：文件有 300000000 字节，超过任何曲线文件的大小（最多 67108864 字节）"},
      {make(ErrorCode::PdfNoPage), "/tmp/曲线.otdr: the PDF document has no page",
       "/tmp/曲线.otdr：PDF文档没有页面"},
      {make(ErrorCode::PdfCannotDraw), "/tmp/曲线.otdr: cannot draw a PDF page",
       "/tmp/曲线.otdr：无法绘制PDF页面"},
      {make(ErrorCode::PdfCannotEnd), "/tmp/曲线.otdr: cannot complete the PDF document",
       "/tmp/曲线.otdr：无法完成PDF文档"},
      {make(ErrorCode::PdfUnexpected, static_cast<int>(PdfFault::ObjectMisplaced)),
       "/tmp/曲线.otdr: the PDF document could not be completed (an object is not where the "
       "table says)",
       "/tmp/曲线.otdr：PDF文档无法完成（有对象不在交叉引用表所指的位置）"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.error.text(), c.english);
    EXPECT_EQ(c.error.text(Language::Chinese), c.chinese);
  }
}

TEST(ErrorText, ChineseNamesOnlyThePathInLatinLetters) {
  for (int code = static_cast<int>(ErrorCode::FileEmpty);
       code <= static_cast<int>(ErrorCode::FileTooLarge); ++code) {
    for (const int sys :
         {0, ENOENT, ENOTDIR, EACCES, EBUSY, ENODEV, ENOSPC, EROFS, EFBIG, EINVAL}) {
      Error e = fileError(static_cast<ErrorCode>(code), {}, sys, "Some English words");
      const std::string text = e.text(Language::Chinese);
      EXPECT_FALSE(text.empty()) << code;
      EXPECT_FALSE(hasLatinLetter(text)) << code << ": " << text;
    }
  }
}

// Every fault of the toolkit's document is worded in both languages; the Chinese ones name
// only the format in Latin letters. A fault number the writer never gives still says
// something.
TEST(ErrorText, EveryPdfFaultInBothLanguages) {
  for (int fault = static_cast<int>(PdfFault::NoXrefOffset);
       fault <= static_cast<int>(PdfFault::PictureMissing); ++fault) {
    const Error e = Error::of(ErrorCode::PdfUnexpected, fault);
    const std::string english = e.text();
    const std::string chinese = e.text(Language::Chinese);
    EXPECT_EQ(english.rfind("the PDF document could not be completed (", 0), 0u) << english;
    EXPECT_EQ(english.find("()"), std::string::npos) << english;
    EXPECT_EQ(chinese.rfind("PDF文档无法完成（", 0), 0u) << chinese;
    std::string rest = chinese.substr(std::string("PDF").size());
    EXPECT_FALSE(hasLatinLetter(rest)) << chinese;
  }
  EXPECT_EQ(Error::of(ErrorCode::PdfUnexpected, 99).text(),
            "the PDF document could not be completed (99)");
}

TEST(ErrorText, FreeWordsStayAsGiven) {
  EXPECT_EQ(Error{"no .otdr files"}.text(Language::Chinese), "no .otdr files");
}

}  // namespace
}  // namespace tracelink
