#include "link/transfer_messages.h"

#include <cstdio>

namespace tracelink {

namespace {

std::string traceName(std::int32_t traceSelect, Language language) {
  const bool en = language == Language::English;
  if (traceSelect == kCurrentTraceSelect) return en ? "current trace" : "当前曲线";
  return (en ? "trace " : "曲线 ") + std::to_string(traceSelect);
}

std::string blockName(std::int32_t blockNo, Language language) {
  const bool en = language == Language::English;
  if (blockNo == kHeaderBlockNo) return en ? "header block" : "头数据块";
  return (en ? "block " : "数据块 ") + std::to_string(blockNo);
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

std::string failureMessage(const TransferFailure& failure, Language language,
                           std::chrono::milliseconds timeout, const std::string& detail) {
  const bool en = language == Language::English;
  const std::string what =
      traceName(failure.traceSelect, language) + ", " + blockName(failure.blockNo, language);
  std::string text;
  switch (failure.reason) {
    case FailureReason::NotConnected:
      text = en ? "Upload: the port is not connected" : "上传：端口未连接";
      break;
    case FailureReason::TimedOut:
      text = en ? "Upload stopped: " + what + " did not arrive within " + seconds(timeout) + " s"
                : "上传中止：" + what + " 未在 " + seconds(timeout) + " 秒内收到";
      break;
    case FailureReason::PortLost:
      text = en ? "Upload stopped at " + what : "上传中止于 " + what;
      if (detail.empty()) return text + (en ? ": the port failed" : "：端口故障");
      break;
    case FailureReason::SaveFailed:
      text =
          en ? "Upload stopped: " + traceName(failure.traceSelect, language) + " could not be saved"
             : "上传中止：" + traceName(failure.traceSelect, language) + " 无法保存";
      break;
  }
  if (!detail.empty()) text += (en ? ": " : "：") + detail;
  return text;
}

}  // namespace tracelink
