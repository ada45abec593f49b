#include "link/transfer_messages.h"

#include <cstdio>
#include <initializer_list>

namespace tracelink {

namespace {

// One language's words. %1, %2 stand for the values, in that order.
struct LinkWords {
  const char* currentTrace;
  const char* trace;  // %1 number
  const char* headerBlock;
  const char* block;  // %1 number
  const char* itemSeparator;
  const char* reasonSeparator;

  const char* notConnected;
  const char* timedOut;   // %1 trace and block, %2 seconds
  const char* stoppedAt;  // %1 trace and block
  const char* portFailed;
  const char* saveFailed;         // %1 trace
  const char* unknownBlockCount;  // %1 trace and block, %2 range index

  const char* atLimit;         // %1 saved, %2 stored, %3 limit
  const char* abandoned;       // %1 saved, %2 stored
  const char* abandonedEarly;  // no header had arrived

  const char* notAPort;      // %1 the text typed
  const char* noSuchPort;    // %1 device
  const char* busyOrDenied;  // %1 device
  const char* deviceGone;    // %1 device
  const char* portNotConnected;
  const char* writeRefused;         // %1 device
  const char* otherFailure;         // %1 device, %2 the system's error number
  const char* otherWithSystemText;  // %1 device, %2 the system's words
  // Whether the system's own words (which are English) follow ours, and how.
  bool withSystemText;
  const char* systemText;  // %1 the system's words
};

constexpr LinkWords kEnglish{
    .currentTrace = "current trace",
    .trace = "trace %1",
    .headerBlock = "header block",
    .block = "block %1",
    .itemSeparator = ", ",
    .reasonSeparator = ": ",
    .notConnected = "Upload: the port is not connected",
    .timedOut = "Upload stopped: %1 did not arrive within %2 s",
    .stoppedAt = "Upload stopped at %1",
    .portFailed = "the port failed",
    .saveFailed = "Upload stopped: %1 could not be saved",
    .unknownBlockCount = "Upload stopped: %1 names range index %2, which has no block count",
    .atLimit = "Uploaded %1 of %2 stored traces (at most %3 per upload)",
    .abandoned = "Upload All abandoned: %1 of %2 stored traces saved",
    .abandonedEarly = "Upload All abandoned before the first trace arrived: nothing saved",
    .notAPort = "port \"%1\" is not a port number 1..20 or a device",
    .noSuchPort = "port %1: no such port",
    .busyOrDenied = "port %1: in use by another program, or not permitted",
    .deviceGone = "port %1 was lost: the device is gone",
    .portNotConnected = "port is not connected",
    .writeRefused = "port %1: the bytes were not taken",
    .otherFailure = "port %1 failed (error %2)",
    .otherWithSystemText = "port %1: %2",
    .withSystemText = true,
    .systemText = " (%1)",
};

constexpr LinkWords kChinese{
    .currentTrace = "当前曲线",
    .trace = "曲线 %1",
    .headerBlock = "头数据块",
    .block = "数据块 %1",
    .itemSeparator = ", ",
    .reasonSeparator = "：",
    .notConnected = "上传：端口未连接",
    .timedOut = "上传中止：%1 未在 %2 秒内收到",
    .stoppedAt = "上传中止于 %1",
    .portFailed = "端口故障",
    .saveFailed = "上传中止：%1 无法保存",
    .unknownBlockCount = "上传中止：%1 给出的量程序号 %2 没有对应的数据块数",
    .atLimit = "已上传 %2 条存储曲线中的 %1 条（每次最多 %3 条）",
    .abandoned = "上传存储器数据已中止：%2 条存储曲线中已保存 %1 条",
    .abandonedEarly = "上传存储器数据已中止：尚未收到曲线，未保存任何文件",
    .notAPort = "端口 \"%1\" 既不是 1..20 的端口号，也不是设备",
    .noSuchPort = "端口 %1：没有这个端口",
    .busyOrDenied = "端口 %1：被其他程序占用，或没有权限",
    .deviceGone = "端口 %1 已丢失：设备已断开",
    .portNotConnected = "端口未连接",
    .writeRefused = "端口 %1：数据未能发出",
    .otherFailure = "端口 %1 故障（错误 %2）",
    .otherWithSystemText = "端口 %1 故障（错误 %2）",
    .withSystemText = false,
    .systemText = "",
};

const LinkWords& words(Language language) {
  return language == Language::English ? kEnglish : kChinese;
}

// The pattern with %1, %2, ... replaced by the values in order.
std::string fill(const char* pattern, std::initializer_list<std::string> values) {
  std::string out;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '9' &&
        static_cast<std::size_t>(p[1] - '1') < values.size()) {
      out += *(values.begin() + (p[1] - '1'));
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::string traceName(std::int32_t traceSelect, const LinkWords& w) {
  if (traceSelect == kCurrentTraceSelect) return w.currentTrace;
  return fill(w.trace, {std::to_string(traceSelect)});
}

std::string blockName(std::int32_t blockNo, const LinkWords& w) {
  if (blockNo == kHeaderBlockNo) return w.headerBlock;
  return fill(w.block, {std::to_string(blockNo)});
}

// "5 s", "0.25 s": whole seconds without decimals.
std::string seconds(std::chrono::milliseconds timeout) {
  const auto ms = timeout.count();
  if (ms % 1000 == 0) return std::to_string(ms / 1000);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld.%03lld", static_cast<long long>(ms / 1000),
                static_cast<long long>(ms % 1000));
  std::string text = buf;
  while (text.back() == '0') text.pop_back();
  return text;
}

}  // namespace

std::string linkErrorText(const LinkError& error, Language language) {
  const LinkWords& w = words(language);
  std::string text;
  switch (error.code) {
    case LinkErrorCode::NotAPort:
      return fill(w.notAPort, {error.port});
    case LinkErrorCode::NotConnected:
      return w.portNotConnected;
    case LinkErrorCode::NoSuchPort:
      text = fill(w.noSuchPort, {error.port});
      break;
    case LinkErrorCode::BusyOrDenied:
      text = fill(w.busyOrDenied, {error.port});
      break;
    case LinkErrorCode::DeviceGone:
      text = fill(w.deviceGone, {error.port});
      break;
    case LinkErrorCode::WriteRefused:
      text = fill(w.writeRefused, {error.port});
      break;
    case LinkErrorCode::Other:
      // Only the system can tell what this was; in English its words stand alone, as
      // they always did.
      if (w.withSystemText && !error.systemText.empty())
        return fill(w.otherWithSystemText, {error.port, error.systemText});
      return fill(w.otherFailure, {error.port, std::to_string(error.systemError)});
  }
  if (w.withSystemText && !error.systemText.empty()) text += fill(w.systemText, {error.systemText});
  return text;
}

std::string failureMessage(const TransferFailure& failure, Language language,
                           std::chrono::milliseconds timeout) {
  const LinkWords& w = words(language);
  const std::string what =
      traceName(failure.traceSelect, w) + w.itemSeparator + blockName(failure.blockNo, w);
  switch (failure.reason) {
    case FailureReason::NotConnected:
      return w.notConnected;
    case FailureReason::TimedOut:
      return fill(w.timedOut, {what, seconds(timeout)});
    case FailureReason::PortLost:
      return fill(w.stoppedAt, {what}) + w.reasonSeparator +
             (failure.link ? linkErrorText(*failure.link, language) : w.portFailed);
    case FailureReason::SaveFailed: {
      std::string text = fill(w.saveFailed, {traceName(failure.traceSelect, w)});
      if (!failure.saveError.empty()) text += w.reasonSeparator + failure.saveError;
      return text;
    }
    case FailureReason::UnknownBlockCount:
      return fill(w.unknownBlockCount, {what, std::to_string(failure.rangeIndex)});
  }
  return {};
}

std::string uploadAllSummaryMessage(const UploadAllSummary& summary, Language language) {
  const LinkWords& w = words(language);
  if (summary.end == UploadAllSummary::End::AtLimit)
    return fill(w.atLimit,
                {std::to_string(summary.saved), std::to_string(summary.stored.value_or(0)),
                 std::to_string(kMaxUploadedTraces)});
  if (!summary.stored) return w.abandonedEarly;
  return fill(w.abandoned, {std::to_string(summary.saved), std::to_string(*summary.stored)});
}

}  // namespace tracelink
