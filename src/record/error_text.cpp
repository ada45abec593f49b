#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "record/fill_in.h"
#include "record/result.h"

namespace tracelink {

namespace {

// The words of each error code; {0} and {1} are the numbers a and b, {2} the system's
// reason.
struct ErrorWords {
  std::string_view separator;  // between the path and the rest
  std::string_view fileEmpty;
  std::string_view fileNoFields;
  std::string_view fileEndsEarly;
  std::string_view fieldNotNumber;
  std::string_view fieldTooLarge;
  std::string_view fieldNegative;
  std::string_view blockCountOutside;
  std::string_view parserFinished;
  std::string_view isDirectory;
  std::string_view notRegularFile;
  std::string_view cannotOpen;
  std::string_view cannotRead;
  std::string_view saveIsDirectory;
  std::string_view cannotCreate;
  std::string_view cannotWrite;
  std::string_view cannotReplace;
  std::string_view alreadyExists;
  std::string_view cannotCreateFolder;
  std::string_view fileTooLarge;
  std::string_view pdfFinished;
  std::string_view pdfNoPage;
  std::string_view pdfCannotDraw;
  std::string_view pdfCannotEnd;
  std::string_view pdfUnexpected;             // {0} what was amiss, one of pdfFaults
  std::array<std::string_view, 9> pdfFaults;  // by PdfFault
  // System errors in our own words (Chinese only; English keeps the system's).
  std::string_view noSuchFile;
  std::string_view notAFolder;  // a part of the path is a file
  std::string_view permissionDenied;
  std::string_view busy;
  std::string_view deviceGone;
  std::string_view noSpace;
  std::string_view readOnly;
  std::string_view tooLarge;
  std::string_view otherSystemError;  // {0} is the number
};

constexpr ErrorWords kEnglish{
    .separator = ": ",
    .fileEmpty = "is empty",
    .fileNoFields = "holds no fields",
    .fileEndsEarly = "ends after {0} of {1} fields",
    .fieldNotNumber = "field {0} is not a number",
    .fieldTooLarge = "field {0} is more than 65535",
    .fieldNegative = "field {0} is negative",
    .blockCountOutside = "block count {0} is outside 1..15",
    .parserFinished = "already finished",
    .isDirectory = "is a directory, not a trace file",
    .notRegularFile = "is not a regular file",
    .cannotOpen = "cannot open: {2}",
    .cannotRead = "cannot read: {2}",
    .saveIsDirectory = "cannot save: it is a directory",
    .cannotCreate = "cannot create: {2}",
    .cannotWrite = "cannot write: {2}",
    .cannotReplace = "cannot replace: {2}",
    .alreadyExists = "exists already",
    .cannotCreateFolder = "cannot create the folder: {2}",
    .fileTooLarge = "is {0} bytes, larger than any trace file ({1} at most)",
    .pdfFinished = "the PDF document was already finished",
    .pdfNoPage = "the PDF document has no page",
    .pdfCannotDraw = "cannot draw a PDF page",
    .pdfCannotEnd = "cannot complete the PDF document",
    .pdfUnexpected = "the PDF document could not be completed ({0})",
    .pdfFaults = {"no cross-reference offset", "no cross-reference table", "short table",
                  "no trailer", "an object outside the body",
                  "an object is not where the table says", "no information dictionary",
                  "more pictures than pages", "a picture is missing"},
    .noSuchFile = {},
    .notAFolder = {},
    .permissionDenied = {},
    .busy = {},
    .deviceGone = {},
    .noSpace = {},
    .readOnly = {},
    .tooLarge = {},
    .otherSystemError = {},
};

constexpr ErrorWords kChinese{
    .separator = "：",
    .fileEmpty = "文件是空的",
    .fileNoFields = "文件中没有数据字段",
    .fileEndsEarly = "文件不完整：需要 {1} 个字段，只有 {0} 个",
    .fieldNotNumber = "第 {0} 个字段不是数字",
    .fieldTooLarge = "第 {0} 个字段大于 65535",
    .fieldNegative = "第 {0} 个字段是负数",
    .blockCountOutside = "数据块数 {0} 不在 1 到 15 之间",
    .parserFinished = "已读取完毕",
    .isDirectory = "是文件夹，不是曲线文件",
    .notRegularFile = "不是普通文件",
    .cannotOpen = "无法打开：{2}",
    .cannotRead = "无法读取：{2}",
    .saveIsDirectory = "无法保存：这是一个文件夹",
    .cannotCreate = "无法创建：{2}",
    .cannotWrite = "无法写入：{2}",
    .cannotReplace = "无法替换原文件：{2}",
    .alreadyExists = "文件已存在",
    .cannotCreateFolder = "无法创建文件夹：{2}",
    .fileTooLarge = "文件有 {0} 字节，超过任何曲线文件的大小（最多 {1} 字节）",
    .pdfFinished = "PDF文档已经完成",
    .pdfNoPage = "PDF文档没有页面",
    .pdfCannotDraw = "无法绘制PDF页面",
    .pdfCannotEnd = "无法完成PDF文档",
    .pdfUnexpected = "PDF文档无法完成（{0}）",
    .pdfFaults = {"找不到交叉引用表的位置", "没有交叉引用表", "交叉引用表不完整", "没有文件尾",
                  "有对象位于文档主体之外", "有对象不在交叉引用表所指的位置", "没有文档信息字典",
                  "图片多于页面", "缺少图片"},
    .noSuchFile = "文件或文件夹不存在",
    .notAFolder = "路径中有一项不是文件夹",
    .permissionDenied = "没有访问权限",
    .busy = "设备正忙或已被其他程序占用",
    .deviceGone = "设备已断开",
    .noSpace = "磁盘空间不足",
    .readOnly = "只读，不能写入",
    .tooLarge = "文件太大",
    .otherSystemError = "系统错误 {0}",
};

const ErrorWords& wordsFor(Language language) {
  return language == Language::Chinese ? kChinese : kEnglish;
}

std::string_view phrase(const ErrorWords& w, ErrorCode code) {
  switch (code) {
    case ErrorCode::Text:
      return {};
    case ErrorCode::FileEmpty:
      return w.fileEmpty;
    case ErrorCode::FileNoFields:
      return w.fileNoFields;
    case ErrorCode::FileEndsEarly:
      return w.fileEndsEarly;
    case ErrorCode::FieldNotNumber:
      return w.fieldNotNumber;
    case ErrorCode::FieldTooLarge:
      return w.fieldTooLarge;
    case ErrorCode::FieldNegative:
      return w.fieldNegative;
    case ErrorCode::BlockCountOutside:
      return w.blockCountOutside;
    case ErrorCode::ParserFinished:
      return w.parserFinished;
    case ErrorCode::IsDirectory:
      return w.isDirectory;
    case ErrorCode::NotRegularFile:
      return w.notRegularFile;
    case ErrorCode::CannotOpen:
      return w.cannotOpen;
    case ErrorCode::CannotRead:
      return w.cannotRead;
    case ErrorCode::SaveIsDirectory:
      return w.saveIsDirectory;
    case ErrorCode::CannotCreate:
      return w.cannotCreate;
    case ErrorCode::CannotWrite:
      return w.cannotWrite;
    case ErrorCode::CannotReplace:
      return w.cannotReplace;
    case ErrorCode::AlreadyExists:
      return w.alreadyExists;
    case ErrorCode::CannotCreateFolder:
      return w.cannotCreateFolder;
    case ErrorCode::FileTooLarge:
      return w.fileTooLarge;
    case ErrorCode::PdfFinished:
      return w.pdfFinished;
    case ErrorCode::PdfNoPage:
      return w.pdfNoPage;
    case ErrorCode::PdfCannotDraw:
      return w.pdfCannotDraw;
    case ErrorCode::PdfCannotEnd:
      return w.pdfCannotEnd;
    case ErrorCode::PdfUnexpected:
      return w.pdfUnexpected;
  }
  return {};
}

}  // namespace

std::string systemErrorText(int sysError, const std::string& systemText, Language language) {
  if (language == Language::English)
    return systemText.empty() ? std::string(std::strerror(sysError)) : systemText;
  const ErrorWords& w = wordsFor(language);
  switch (sysError) {
    case ENOENT:
      return std::string(w.noSuchFile);
    case ENOTDIR:
      return std::string(w.notAFolder);
    case EACCES:
    case EPERM:
      return std::string(w.permissionDenied);
    case EBUSY:
    case EAGAIN:
      return std::string(w.busy);
    case ENODEV:
    case ENXIO:
    case EIO:
      return std::string(w.deviceGone);
    case ENOSPC:
#ifdef EDQUOT  // Windows has no error number for a full disk quota
    case EDQUOT:
#endif
      return std::string(w.noSpace);
    case EROFS:
      return std::string(w.readOnly);
    case EFBIG:
      return std::string(w.tooLarge);
    default:
      return fillIn(w.otherSystemError, {std::to_string(sysError)});
  }
}

Error fileError(ErrorCode code, std::string path, int sysError, std::string systemText) {
  Error e;
  e.code = code;
  e.path = std::move(path);
  e.sysError = sysError;
  e.systemText = std::move(systemText);
  return e;
}

Error Error::of(ErrorCode code, std::int64_t a, std::int64_t b) {
  Error e;
  e.code = code;
  e.a = a;
  e.b = b;
  return e;
}

std::string Error::text(Language language) const {
  if (code == ErrorCode::Text) return words;
  const ErrorWords& w = wordsFor(language);
  const std::string_view pattern = phrase(w, code);
  std::string first = std::to_string(a);
  if (code == ErrorCode::PdfUnexpected) {
    const auto fault = static_cast<std::size_t>(a);
    first = fault < w.pdfFaults.size() ? std::string(w.pdfFaults[fault]) : first;
  }
  const std::string why = pattern.find("{2}") != std::string_view::npos
                              ? systemErrorText(sysError, systemText, language)
                              : std::string();
  const std::string body = fillIn(pattern, {first, std::to_string(b), why});
  if (path.empty()) return body;
  return path + std::string(w.separator) + body;
}

}  // namespace tracelink
