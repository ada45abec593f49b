#include "link/transfer_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

namespace tracelink {
namespace {

using std::chrono::milliseconds;

TransferFailure failure(FailureReason reason, std::int32_t trace, std::int32_t block) {
  return makeTransferFailure(reason, trace, block);
}

TransferFailure lostAt(std::int32_t trace, std::int32_t block, LinkError error) {
  TransferFailure f = makeTransferFailure(FailureReason::PortLost, trace, block);
  f.link = std::move(error);
  return f;
}

TransferFailure saveFailed(std::int32_t trace, std::optional<Error> why) {
  TransferFailure f = makeTransferFailure(FailureReason::SaveFailed, trace, 3);
  f.saveError = std::move(why);
  return f;
}

TransferFailure unknownRange(std::int32_t trace, std::int32_t rangeIndex) {
  TransferFailure f = makeTransferFailure(FailureReason::UnknownBlockCount, trace, 15);
  f.rangeIndex = rangeIndex;
  return f;
}

TEST(TransferMessagesTest, NameTheTraceAndTheBlock) {
  struct Case {
    TransferFailure failure;
    Language language;
    milliseconds timeout;
    std::string expected;
  };
  const Case cases[] = {
      {failure(FailureReason::TimedOut, 170, 15), Language::English, milliseconds(5000),
       "Upload stopped: current trace, header block did not arrive within 5 s"},
      {failure(FailureReason::TimedOut, 3, 12), Language::English, milliseconds(250),
       "Upload stopped: trace 3, block 12 did not arrive within 0.25 s"},
      {failure(FailureReason::TimedOut, 3, 12), Language::Chinese, milliseconds(5000),
       "上传中止：曲线 3, 数据块 12 未在 5 秒内收到"},
      {lostAt(7, 2, makeLinkError(LinkErrorCode::DeviceGone, "/dev/ttyUSB0")), Language::English,
       milliseconds(5000),
       "Upload stopped at trace 7, block 2: port /dev/ttyUSB0 was lost: the device is gone"},
      {lostAt(7, 2,
              makeLinkError(LinkErrorCode::DeviceGone, "/dev/ttyUSB0", 9, "Input/output error")),
       Language::Chinese, milliseconds(5000),
       "上传中止于 曲线 7, 数据块 2：端口 /dev/ttyUSB0 已丢失：设备已断开"},
      {failure(FailureReason::PortLost, 7, 2), Language::English, milliseconds(5000),
       "Upload stopped at trace 7, block 2: the port failed"},
      {saveFailed(4, Error{"save/04_x.otdr: No such file or directory"}), Language::English,
       milliseconds(5000),
       "Upload stopped: trace 4 could not be saved: save/04_x.otdr: No such file or directory"},
      {saveFailed(4, std::nullopt), Language::Chinese, milliseconds(5000),
       "上传中止：曲线 4 无法保存"},
      // The file layer's code is worded in the language of the sentence around it.
      {saveFailed(4, fileError(ErrorCode::CannotCreateFolder, "save", ENOTDIR, "Not a directory")),
       Language::English, milliseconds(5000),
       "Upload stopped: trace 4 could not be saved: save: cannot create the folder: Not a "
       "directory"},
      {saveFailed(4, fileError(ErrorCode::CannotCreateFolder, "save", ENOTDIR, "Not a directory")),
       Language::Chinese, milliseconds(5000),
       "上传中止：曲线 4 无法保存：save：无法创建文件夹：路径中有一项不是文件夹"},
      {failure(FailureReason::NotConnected, 170, 15), Language::English, milliseconds(5000),
       "Upload: the port is not connected"},
      {failure(FailureReason::NotConnected, 1, 15), Language::Chinese, milliseconds(5000),
       "上传：端口未连接"},
      {unknownRange(2, 9), Language::English, milliseconds(5000),
       "Upload stopped: trace 2, header block names range index 9, which has no block count"},
      {unknownRange(170, 8), Language::Chinese, milliseconds(5000),
       "上传中止：当前曲线, 头数据块 给出的量程序号 8 没有对应的数据块数"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(failureMessage(c.failure, c.language, c.timeout), c.expected);
}

TEST(TransferMessagesTest, LinkErrorsInOurOwnWords) {
  struct Case {
    LinkError error;
    std::string english;
    std::string chinese;
  };
  const Case cases[] = {
      {makeLinkError(LinkErrorCode::NotAPort, "abc"),
       "port \"abc\" is not a port number 1..20 or a device",
       "端口 \"abc\" 既不是 1..20 的端口号，也不是设备"},
      {makeLinkError(LinkErrorCode::NotAPort, "21"),
       "port \"21\" is not a port number 1..20 or a device",
       "端口 \"21\" 既不是 1..20 的端口号，也不是设备"},
      {makeLinkError(LinkErrorCode::NoSuchPort, "/dev/ttyNONE", 1, "No such file or directory"),
       "port /dev/ttyNONE: no such port (No such file or directory)",
       "端口 /dev/ttyNONE：没有这个端口"},
      {makeLinkError(LinkErrorCode::BusyOrDenied, "/dev/ttyS0", 2, "Permission denied"),
       "port /dev/ttyS0: in use by another program, or not permitted (Permission denied)",
       "端口 /dev/ttyS0：被其他程序占用，或没有权限"},
      {makeLinkError(LinkErrorCode::DeviceGone, "/dev/ttyUSB0"),
       "port /dev/ttyUSB0 was lost: the device is gone", "端口 /dev/ttyUSB0 已丢失：设备已断开"},
      {makeLinkError(LinkErrorCode::NotConnected, ""), "port is not connected", "端口未连接"},
      {makeLinkError(LinkErrorCode::WriteRefused, "/dev/pts/3", 7,
                     "Resource temporarily unavailable"),
       "port /dev/pts/3: the bytes were not taken (Resource temporarily unavailable)",
       "端口 /dev/pts/3：数据未能发出"},
      // Only the system knows: its words alone in English, its number in Chinese.
      {makeLinkError(LinkErrorCode::Other, "/dev/pts/3", 12, "Unknown error"),
       "port /dev/pts/3: Unknown error", "端口 /dev/pts/3 故障（错误 12）"},
      {makeLinkError(LinkErrorCode::Other, "/dev/pts/3", 12, ""),
       "port /dev/pts/3 failed (error 12)", "端口 /dev/pts/3 故障（错误 12）"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(linkErrorText(c.error, Language::English), c.english);
    EXPECT_EQ(linkErrorText(c.error, Language::Chinese), c.chinese);
  }
}

TEST(TransferMessagesTest, UploadAllSummaries) {
  using End = UploadAllSummary::End;
  struct Case {
    UploadAllSummary summary;
    std::string english;
    std::string chinese;
  };
  const Case cases[] = {
      {{End::AtLimit, 50, 60},
       "Uploaded 50 of 60 stored traces (at most 50 per upload)",
       "已上传 60 条存储曲线中的 50 条（每次最多 50 条）"},
      {{End::Abandoned, 3, 12},
       "Upload All abandoned: 3 of 12 stored traces saved",
       "上传存储器数据已中止：12 条存储曲线中已保存 3 条"},
      {{End::Abandoned, 0, std::nullopt},
       "Upload All abandoned before the first trace arrived: nothing saved",
       "上传存储器数据已中止：尚未收到曲线，未保存任何文件"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(uploadAllSummaryMessage(c.summary, Language::English), c.english);
    EXPECT_EQ(uploadAllSummaryMessage(c.summary, Language::Chinese), c.chinese);
  }
}

// The Chinese texts carry no Latin word but the device path the user gave.
TEST(TransferMessagesTest, ChineseHasNoLatinWordsButThePort) {
  const std::string port = "/dev/ttyUSB0";
  auto latinLeft = [&](std::string text) {
    for (std::size_t at; (at = text.find(port)) != std::string::npos;) text.erase(at, port.size());
    return std::any_of(text.begin(), text.end(), [](char ch) {
      return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
    });
  };
  std::vector<std::string> texts;
  for (const LinkErrorCode code :
       {LinkErrorCode::NotAPort, LinkErrorCode::NoSuchPort, LinkErrorCode::BusyOrDenied,
        LinkErrorCode::DeviceGone, LinkErrorCode::NotConnected, LinkErrorCode::WriteRefused,
        LinkErrorCode::Other}) {
    const LinkError error = makeLinkError(code, port, 3, "Some English words from the system");
    texts.push_back(linkErrorText(error, Language::Chinese));
    texts.push_back(failureMessage(lostAt(4, 2, error), Language::Chinese, milliseconds(300)));
  }
  for (const FailureReason reason :
       {FailureReason::NotConnected, FailureReason::TimedOut, FailureReason::PortLost,
        FailureReason::SaveFailed, FailureReason::UnknownBlockCount}) {
    for (const std::int32_t trace : {170, 3})
      for (const std::int32_t block : {15, 4})
        texts.push_back(
            failureMessage(failure(reason, trace, block), Language::Chinese, milliseconds(1500)));
  }
  for (const auto end : {UploadAllSummary::End::AtLimit, UploadAllSummary::End::Abandoned})
    for (const auto stored : {std::optional<std::int32_t>(60), std::optional<std::int32_t>()})
      texts.push_back(uploadAllSummaryMessage({end, 7, stored}, Language::Chinese));
  for (const std::string& text : texts) EXPECT_FALSE(latinLeft(text)) << text;
}

}  // namespace
}  // namespace tracelink
