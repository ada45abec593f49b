#include "link/transfer_messages.h"

#include <cstdio>

#include "record/fill_in.h"

namespace tracelink {

namespace {

// One language's words; {0}, {1}, ... stand for the values.
struct LinkWords {
  const char* currentTrace;
  const char* trace;  // {0} number
  const char* headerBlock;
  const char* block;  // {0} number
  const char* itemSeparator;
  const char* reasonSeparator;

  const char* notConnected;
  const char* timedOut;   // {0} trace and block, {1} seconds
  const char* stoppedAt;  // {0} trace and block
  const char* portFailed;
  const char* saveFailed;         // {0} trace
  const char* unknownBlockCount;  // {0} trace and block, {1} range index

  const char* atLimit;         // {0} saved, {1} stored, {2} limit
  const char* abandoned;       // {0} saved, {1} stored
  const char* abandonedEarly;  // no header had arrived

  const char* notAPort;      // {0} the text typed
  const char* noSuchPort;    // {0} device
  const char* busyOrDenied;  // {0} device
  const char* deviceGone;    // {0} device
  const char* portNotConnected;
  const char* writeRefused;         // {0} device
  const char* otherFailure;         // {0} device, {1} the system's error number
  const char* otherWithSystemText;  // {0} device, {1} the system's words
  // Whether the system's own words (which are English) follow ours, and how.
  bool withSystemText;
  const char* systemText;  // {0} the system's words
};

constexpr LinkWords kEnglish{
    .currentTrace = "current trace",
    .trace = "trace {0}",
    .headerBlock = "header block",
    .block = "block {0}",
    .itemSeparator = ", ",
    .reasonSeparator = ": ",
    .notConnected = "Upload: the port is not connected",
    .timedOut = "Upload stopped: {0} did not arrive within {1} s",
    .stoppedAt = "Upload stopped at {0}",
    .portFailed = "the port failed",
    .saveFailed = "Upload stopped: {0} could not be saved",
    .unknownBlockCount = "Upload stopped: {0} names range index {1}, which has no block count",
    .atLimit = "Uploaded {0} of {1} stored traces (at most {2} per upload)",
    .abandoned = "Upload All abandoned: {0} of {1} stored traces saved",
    .abandonedEarly = "Upload All abandoned before the first trace arrived: nothing saved",
    .notAPort = "port \"{0}\" is not a port number 1..20 or a device",
    .noSuchPort = "port {0}: no such port",
    .busyOrDenied = "port {0}: in use by another program, or not permitted",
    .deviceGone = "port {0} was lost: the device is gone",
    .portNotConnected = "port is not connected",
    .writeRefused = "port {0}: the bytes were not taken",
    .otherFailure = "port {0} failed (error {1})",
    .otherWithSystemText = "port {0}: {1}",
    .withSystemText = true,
    .systemText = " ({0})",
};

constexpr LinkWords kChinese{
    .currentTrace = "当前曲线",
    .trace = "曲线 {0}",
    .headerBlock = "头数据块",
    .block = "数据块 {0}",
    .itemSeparator = ", ",
    .reasonSeparator = "：",
    .notConnected = "上传：端口未连接",
    .timedOut = "上传中止：{0} 未在 {1} 秒内收到",
    .stoppedAt = "上传中止于 {0}",
    .portFailed = "端口故障",
    .saveFailed = "上传中止：{0} 无法保存",
    .unknownBlockCount = "上传中止：{0} 给出的量程序号 {1} 没有对应的数据块数",
    .atLimit = "已上传 {1} 条存储曲线中的 {0} 条（每次最多 {2} 条）",
    .abandoned = "上传存储器数据已中止：{1} 条存储曲线中已保存 {0} 条",
    .abandonedEarly = "上传存储器数据已中止：尚未收到曲线，未保存任何文件",
    .notAPort = "端口 \"{0}\" 既不是 1..20 的端口号，也不是设备",
    .noSuchPort = "端口 {0}：没有这个端口",
    .busyOrDenied = "端口 {0}：被其他程序占用，或没有权限",
    .deviceGone = "端口 {0} 已丢失：设备已断开",
    .portNotConnected = "端口未连接",
    .writeRefused = "端口 {0}：数据未能发出",
    .otherFailure = "端口 {0} 故障（错误 {1}）",
    .otherWithSystemText = "端口 {0} 故障（错误 {1}）",
    .withSystemText = false,
    .systemText = "",
};

const LinkWords& words(Language language) {
  return language == Language::English ? kEnglish : kChinese;
}

std::string traceName(std::int32_t traceSelect, const LinkWords& w) {
  if (traceSelect == kCurrentTraceSelect) return w.currentTrace;
  return fillIn(w.trace, {std::to_string(traceSelect)});
}

std::string blockName(std::int32_t blockNo, const LinkWords& w) {
  if (blockNo == kHeaderBlockNo) return w.headerBlock;
  return fillIn(w.block, {std::to_string(blockNo)});
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
      return fillIn(w.notAPort, {error.port});
    case LinkErrorCode::NotConnected:
      return w.portNotConnected;
    case LinkErrorCode::NoSuchPort:
      text = fillIn(w.noSuchPort, {error.port});
      break;
    case LinkErrorCode::BusyOrDenied:
      text = fillIn(w.busyOrDenied, {error.port});
      break;
    case LinkErrorCode::DeviceGone:
      text = fillIn(w.deviceGone, {error.port});
      break;
    case LinkErrorCode::WriteRefused:
      text = fillIn(w.writeRefused, {error.port});
      break;
    case LinkErrorCode::Other:
      // Only the system can tell what this was; in English its words stand alone, as
      // they always did.
      if (w.withSystemText && !error.systemText.empty())
        return fillIn(w.otherWithSystemText, {error.port, error.systemText});
      return fillIn(w.otherFailure, {error.port, std::to_string(error.systemError)});
  }
  if (w.withSystemText && !error.systemText.empty())
    text += fillIn(w.systemText, {error.systemText});
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
      return fillIn(w.timedOut, {what, seconds(timeout)});
    case FailureReason::PortLost:
      return fillIn(w.stoppedAt, {what}) + w.reasonSeparator +
             (failure.link ? linkErrorText(*failure.link, language) : w.portFailed);
    case FailureReason::SaveFailed: {
      std::string text = fillIn(w.saveFailed, {traceName(failure.traceSelect, w)});
      // A hook that fails without words leaves the sentence as it is.
      const std::string why = failure.saveError ? failure.saveError->text(language) : "";
      if (!why.empty()) text += w.reasonSeparator + why;
      return text;
    }
    case FailureReason::UnknownBlockCount:
      return fillIn(w.unknownBlockCount, {what, std::to_string(failure.rangeIndex)});
  }
  return {};
}

std::string uploadAllSummaryMessage(const UploadAllSummary& summary, Language language) {
  const LinkWords& w = words(language);
  if (summary.end == UploadAllSummary::End::AtLimit)
    return fillIn(w.atLimit,
                  {std::to_string(summary.saved), std::to_string(summary.stored.value_or(0)),
                   std::to_string(kMaxUploadedTraces)});
  if (!summary.stored) return w.abandonedEarly;
  return fillIn(w.abandoned, {std::to_string(summary.saved), std::to_string(*summary.stored)});
}

}  // namespace tracelink
