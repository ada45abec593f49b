#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "record/result.h"

namespace tracelink {

namespace {

// The words of each error code; {a}, {b} and {why} are filled in.
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
  // System errors in our own words (Chinese only; English keeps the system's).
  std::string_view noSuchFile;
  std::string_view notAFolder;  // a part of the path is a file
  std::string_view permissionDenied;
  std::string_view busy;
  std::string_view deviceGone;
  std::string_view noSpace;
  std::string_view readOnly;
  std::string_view tooLarge;
  std::string_view otherSystemError;  // {a} is the number
};

constexpr ErrorWords kEnglish{
    .separator = ": ",
    .fileEmpty = "is empty",
    .fileNoFields = "holds no fields",
    .fileEndsEarly = "ends after {a} of {b} fields",
    .fieldNotNumber = "field {a} is not a number",
    .fieldTooLarge = "field {a} is more than 65535",
    .fieldNegative = "field {a} is negative",
    .blockCountOutside = "block count {a} is outside 1..15",
    .parserFinished = "already finished",
    .isDirectory = "is a directory, not a trace file",
    .notRegularFile = "is not a regular file",
    .cannotOpen = "cannot open: {why}",
    .cannotRead = "cannot read: {why}",
    .saveIsDirectory = "cannot save: it is a directory",
    .cannotCreate = "cannot create: {why}",
    .cannotWrite = "cannot write: {why}",
    .cannotReplace = "cannot replace: {why}",
    .alreadyExists = "exists already",
    .cannotCreateFolder = "cannot create the folder: {why}",
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
    .fileEndsEarly = "文件不完整：需要 {b} 个字段，只有 {a} 个",
    .fieldNotNumber = "第 {a} 个字段不是数字",
    .fieldTooLarge = "第 {a} 个字段大于 65535",
    .fieldNegative = "第 {a} 个字段是负数",
    .blockCountOutside = "数据块数 {a} 不在 1 到 15 之间",
    .parserFinished = "已读取完毕",
    .isDirectory = "是文件夹，不是曲线文件",
    .notRegularFile = "不是普通文件",
    .cannotOpen = "无法打开：{why}",
    .cannotRead = "无法读取：{why}",
    .saveIsDirectory = "无法保存：这是一个文件夹",
    .cannotCreate = "无法创建：{why}",
    .cannotWrite = "无法写入：{why}",
    .cannotReplace = "无法替换原文件：{why}",
    .alreadyExists = "文件已存在",
    .cannotCreateFolder = "无法创建文件夹：{why}",
    .noSuchFile = "文件或文件夹不存在",
    .notAFolder = "路径中有一项不是文件夹",
    .permissionDenied = "没有访问权限",
    .busy = "设备正忙或已被其他程序占用",
    .deviceGone = "设备已断开",
    .noSpace = "磁盘空间不足",
    .readOnly = "只读，不能写入",
    .tooLarge = "文件太大",
    .otherSystemError = "系统错误 {a}",
};

const ErrorWords& wordsFor(Language language) {
  return language == Language::Chinese ? kChinese : kEnglish;
}

void replaceAll(std::string& text, std::string_view key, const std::string& value) {
  for (std::size_t at = text.find(key); at != std::string::npos;
       at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
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
    default: {
      std::string text(w.otherSystemError);
      replaceAll(text, "{a}", std::to_string(sysError));
      return text;
    }
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

std::string Error::text(Language language) const {
  if (code == ErrorCode::Text) return words;
  const ErrorWords& w = wordsFor(language);
  std::string body(phrase(w, code));
  replaceAll(body, "{a}", std::to_string(a));
  replaceAll(body, "{b}", std::to_string(b));
  if (body.find("{why}") != std::string::npos)
    replaceAll(body, "{why}", systemErrorText(sysError, systemText, language));
  if (path.empty()) return body;
  return path + std::string(w.separator) + body;
}

}  // namespace tracelink
