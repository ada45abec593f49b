#include "link/transfer_messages.h"

#include <gtest/gtest.h>

namespace tracelink {
namespace {

TEST(TransferMessagesTest, NameTheTraceAndTheBlock) {
  using std::chrono::milliseconds;
  struct Case {
    TransferFailure failure;
    Language language;
    milliseconds timeout;
    std::string detail;
    std::string expected;
  };
  const Case cases[] = {
      {{FailureReason::TimedOut, 170, 15},
       Language::English,
       milliseconds(5000),
       "",
       "Upload stopped: current trace, header block did not arrive within 5 s"},
      {{FailureReason::TimedOut, 3, 12},
       Language::English,
       milliseconds(250),
       "",
       "Upload stopped: trace 3, block 12 did not arrive within 0.25 s"},
      {{FailureReason::TimedOut, 3, 12},
       Language::Chinese,
       milliseconds(5000),
       "",
       "上传中止：曲线 3, 数据块 12 未在 5 秒内收到"},
      {{FailureReason::PortLost, 7, 2},
       Language::English,
       milliseconds(5000),
       "port /dev/ttyUSB0 was lost",
       "Upload stopped at trace 7, block 2: port /dev/ttyUSB0 was lost"},
      {{FailureReason::PortLost, 7, 2},
       Language::English,
       milliseconds(5000),
       "",
       "Upload stopped at trace 7, block 2: the port failed"},
      {{FailureReason::SaveFailed, 4, 3},
       Language::English,
       milliseconds(5000),
       "save/04_x.otdr: No such file or directory",
       "Upload stopped: trace 4 could not be saved: save/04_x.otdr: No such file or directory"},
      {{FailureReason::NotConnected, 170, 15},
       Language::English,
       milliseconds(5000),
       "",
       "Upload: the port is not connected"},
      {{FailureReason::NotConnected, 1, 15},
       Language::Chinese,
       milliseconds(5000),
       "",
       "上传：端口未连接"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(failureMessage(c.failure, c.language, c.timeout, c.detail), c.expected);
}

}  // namespace
}  // namespace tracelink
