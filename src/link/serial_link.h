#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "link/byte_link.h"
#include "link/link_error.h"

namespace tracelink {

// Port numbers the scan probes, as the instrument's users have always numbered them.
inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 20;

// The device behind a port number: COMn on Windows, /dev/ttyS(n-1) elsewhere. The only
// place where the program knows which platform it runs on.
QString portDeviceForNumber(int number);

// What the user may type into the port box: a port number 1..20, a device name
// ("ttyUSB0", "COM7") or a device path ("/dev/pts/4"). nullopt when the text names no
// port at all (empty, or a number outside 1..20).
std::optional<QString> resolvePortText(
    const QString& text, const std::function<QString(int)>& mapping = portDeviceForNumber);

// Applies the fixed line settings: 115200 baud, no parity, 8 data bits, 1 stop bit.
// Flow control and modem lines stay at their defaults.
void applyLineSettings(QSerialPort& port);

// A serial port as the system reports it (QSerialPortInfo on the real system).
struct SystemPort {
  QString name;             // "ttyUSB0", "COM7"
  QString device;           // what opens it: "/dev/ttyUSB0", "COM7"
  QString description;      // the adapter's own name, empty when it gives none
  bool usbAdapter = false;  // it carries a USB vendor id
};
using SystemPortSource = std::function<std::vector<SystemPort>()>;

// The serial ports the system reports now.
std::vector<SystemPort> systemSerialPorts();

// One entry of the port box: what it shows, and the device that choosing it opens
// (empty for a port number, which the number mapping resolves).
struct PortEntry {
  QString text;
  QString device;
  bool usbAdapter = false;
  bool operator==(const PortEntry&) const = default;
};

// Probes port numbers 1..20 and lists, in ascending order, the numbers whose device
// exists, also when another program holds it; every probed port ends closed. After the
// numbers come the ports the system reports that no number reaches, by name and, when
// the adapter gives one, its own name ("ttyUSB0 (USB-Serial Controller)"), in the system's order.
std::vector<PortEntry> ScanPorts(const std::function<QString(int)>& mapping = portDeviceForNumber,
                                 const SystemPortSource& systemPorts = systemSerialPorts);

// The error the serial port reported, as our own data: which device, which case, and the
// port's own number and words for it.
LinkError linkErrorFromPort(QSerialPort::SerialPortError error, const QString& device,
                            const QString& systemText);

// The open link to the instrument. Received bytes are handed on as they arrive; the
// receive buffer is unbounded so a whole reply always fits, and written bytes are
// queued by the port until the line has taken them.
class SerialLink : public ByteLink {
  Q_OBJECT

 public:
  explicit SerialLink(QObject* parent = nullptr);
  ~SerialLink() override;

  // Opens the port that portText names (see resolvePortText). On failure the port ends
  // closed and the error says which port and why.
  std::optional<LinkError> open(const QString& portText,
                                const std::function<QString(int)>& mapping = portDeviceForNumber);
  void close();
  bool isOpen() const override;
  QString portName() const override;

  std::optional<LinkError> write(const QByteArray& bytes) override;
  void discardInput() override;

 private:
  void onReadyRead();
  void onError(QSerialPort::SerialPortError error);

  QSerialPort port_;
  QString device_;
  bool lostReported_ = false;
};

}  // namespace tracelink
