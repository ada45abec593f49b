// The serial link over a pseudo-terminal: what a failed connect, a connect and a lost
// line report, as data.

#include <QCoreApplication>
#include <QSignalSpy>

#include "integration/sim_harness.h"
#include "link/transfer_messages.h"

namespace tracelink {
namespace {

QString missingDevice(int n) {
  return QStringLiteral("/nonexistent/ttyLINK%1_%2").arg(QCoreApplication::applicationPid()).arg(n);
}

TEST(SerialLinkTest, FailedConnectsSayWhichPortAndWhy) {
  struct Case {
    QString text;
    LinkErrorCode code;
    std::string port;
  };
  const std::string missing = missingDevice(3).toStdString();
  const Case cases[] = {
      // A bare name is taken as a device name ("ttyUSB0"); there is no device "abc".
      {"abc", LinkErrorCode::NoSuchPort, "abc"},
      {"21", LinkErrorCode::NotAPort, "21"},
      {"0", LinkErrorCode::NotAPort, "0"},
      {"  ", LinkErrorCode::NotAPort, "  "},
      {"3", LinkErrorCode::NoSuchPort, missing},
      {QString::fromStdString(missing), LinkErrorCode::NoSuchPort, missing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    SerialLink link;
    QSignalSpy changed(&link, &ByteLink::openChanged);
    const std::optional<LinkError> error = link.open(c.text, missingDevice);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, c.code);
    EXPECT_EQ(error->port, c.port);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(changed.count(), 0);
  }
  // The English words stay as they were for a text that names no port.
  SerialLink link;
  const auto notAPort = link.open("21", missingDevice);
  ASSERT_TRUE(notAPort);
  EXPECT_EQ(linkErrorText(*notAPort, Language::English),
            "port \"21\" is not a port number 1..20 or a device");
  const auto noSuchPort = link.open(QString::fromStdString(missing), missingDevice);
  ASSERT_TRUE(noSuchPort);
  const std::string words = linkErrorText(*noSuchPort, Language::English);
  EXPECT_EQ(words.rfind("port " + missing + ": no such port", 0), 0u) << words;
}

TEST(SerialLinkTest, OpenStateAndALostLineAreAnnounced) {
  SimProcess sim({"--range", "0"});
  ASSERT_FALSE(sim.device().isEmpty());
  SerialLink link;
  QSignalSpy changed(&link, &ByteLink::openChanged);
  QSignalSpy lost(&link, &ByteLink::lost);
  ASSERT_FALSE(link.open(sim.device()).has_value());
  EXPECT_TRUE(link.isOpen());
  ASSERT_EQ(changed.count(), 1);
  EXPECT_TRUE(changed[0][0].toBool());
  // A request, so that the line is read from when its other end goes.
  EXPECT_FALSE(link.write(QByteArray("\xAA\x0F", 2)).has_value());
  sim.stop();
  ASSERT_TRUE(lost.count() > 0 || lost.wait(10000));
  EXPECT_EQ(lost.count(), 1);
  const auto error = lost[0][0].value<LinkError>();
  EXPECT_EQ(error.code, LinkErrorCode::DeviceGone);
  EXPECT_EQ(error.port, sim.device().toStdString());
  EXPECT_FALSE(link.isOpen());
  EXPECT_FALSE(changed.last()[0].toBool());
  // A closed link refuses writes, and says so.
  const auto refused = link.write(QByteArray(1, '\x01'));
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->code, LinkErrorCode::NotConnected);
}

}  // namespace
}  // namespace tracelink
