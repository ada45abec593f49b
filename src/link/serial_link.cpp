#include "link/serial_link.h"

#include "link/transfer_messages.h"
#include "link/wire_format.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>

namespace tracelink {

QString portDeviceForNumber(int number) {
#ifdef Q_OS_WIN
  return QStringLiteral("COM%1").arg(number);
#else
  return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

std::optional<QString> resolvePortText(const QString& text,
                                       const std::function<QString(int)>& mapping) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  bool isNumber = false;
  const int number = trimmed.toInt(&isNumber);
  if (isNumber) {
    if (number < kFirstPortNumber || number > kLastPortNumber) return std::nullopt;
    return mapping(number);
  }
  // QSerialPort accepts both a bare device name and a full path.
  return trimmed;
}

void applyLineSettings(QSerialPort& port) {
  port.setBaudRate(kLineBaud);
  port.setParity(QSerialPort::NoParity);
  port.setDataBits(QSerialPort::Data8);
  port.setStopBits(QSerialPort::OneStop);
  // Unlimited: a reply is 8001 bytes and must never be cut by the receive buffer.
  port.setReadBufferSize(0);
}

std::vector<SystemPort> systemSerialPorts() {
  std::vector<SystemPort> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    ports.push_back({info.portName(), info.systemLocation(), info.description().trimmed(),
                     info.hasVendorIdentifier()});
  return ports;
}

std::vector<PortEntry> ScanPorts(const std::function<QString(int)>& mapping,
                                 const SystemPortSource& systemPorts) {
  std::vector<PortEntry> found;
  QSet<QString> probed;
  for (int n = kFirstPortNumber; n <= kLastPortNumber; ++n) {
    const QString device = mapping(n);
    QSerialPort port;
    port.setPortName(device);
    applyLineSettings(port);
    // Remembered by name as given and by bare name; looking the port up in the system's
    // list here would enumerate every port twenty times over.
    probed.insert(device);
    probed.insert(QFileInfo(device).fileName());
    if (port.open(QIODevice::ReadWrite)) {
      port.close();
      found.push_back({QString::number(n), {}});
    } else if (port.error() != QSerialPort::DeviceNotFoundError &&
               port.error() != QSerialPort::ResourceError) {
      // Busy or otherwise unusable, but it exists: list it, the user may free it. A device
      // node that fails with an I/O error has no port behind it (a serial chip that is not
      // fitted), which is no port at all.
      found.push_back({QString::number(n), {}});
    }
  }
  if (!systemPorts) return found;
  // USB adapters are what technicians plug in, and on most systems no port number
  // reaches them; the system's list is asked once, after the probes.
  QSet<QString> listed;
  for (const SystemPort& port : systemPorts()) {
    const QString device = port.device.isEmpty() ? port.name : port.device;
    if (device.isEmpty() || probed.contains(device) || probed.contains(port.name) ||
        listed.contains(device))
      continue;
    listed.insert(device);
    const QString name = port.name.isEmpty() ? QFileInfo(device).fileName() : port.name;
    const QString text =
        port.description.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, port.description);
    found.push_back({text, device, port.usbAdapter});
  }
  return found;
}

LinkError linkErrorFromPort(QSerialPort::SerialPortError error, const QString& device,
                            const QString& systemText) {
  LinkErrorCode code = LinkErrorCode::Other;
  switch (error) {
    case QSerialPort::DeviceNotFoundError:
      code = LinkErrorCode::NoSuchPort;
      break;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:  // already open, by this program
      code = LinkErrorCode::BusyOrDenied;
      break;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
      code = LinkErrorCode::DeviceGone;
      break;
    case QSerialPort::NotOpenError:
      code = LinkErrorCode::NotConnected;
      break;
    case QSerialPort::WriteError:
      code = LinkErrorCode::WriteRefused;
      break;
    default:
      break;
  }
  return makeLinkError(code, device.toStdString(), static_cast<int>(error),
                       systemText.toStdString());
}

SerialLink::SerialLink(QObject* parent) : ByteLink(parent) {
  qRegisterMetaType<tracelink::LinkError>();
  connect(&port_, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
  connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::~SerialLink() {
  // Quietly: whoever listens may be gone already.
  if (port_.isOpen()) port_.close();
}

std::optional<LinkError> SerialLink::open(const QString& portText,
                                          const std::function<QString(int)>& mapping) {
  close();
  const std::optional<QString> device = resolvePortText(portText, mapping);
  if (!device) return makeLinkError(LinkErrorCode::NotAPort, portText.toStdString());
  port_.setPortName(*device);
  applyLineSettings(port_);
  if (!port_.open(QIODevice::ReadWrite)) {
    LinkError error = linkErrorFromPort(port_.error(), *device, port_.errorString());
    port_.close();
    return error;
  }
  // Whatever was waiting on the line before we connected is not a reply of ours.
  port_.clear(QSerialPort::AllDirections);
  device_ = *device;
  lostReported_ = false;
  emit openChanged(true);
  return std::nullopt;
}

void SerialLink::close() {
  if (!port_.isOpen()) return;
  port_.close();
  emit openChanged(false);
}

bool SerialLink::isOpen() const {
  return port_.isOpen();
}

QString SerialLink::portName() const {
  return device_;
}

std::optional<LinkError> SerialLink::write(const QByteArray& bytes) {
  if (!port_.isOpen()) return makeLinkError(LinkErrorCode::NotConnected, device_.toStdString());
  if (port_.write(bytes) != bytes.size())
    return linkErrorFromPort(port_.error(), device_, port_.errorString());
  return std::nullopt;
}

void SerialLink::discardInput() {
  if (!port_.isOpen()) return;
  port_.readAll();
  port_.clear(QSerialPort::Input);
}

void SerialLink::onReadyRead() {
  const QByteArray bytes = port_.readAll();
  if (!bytes.isEmpty()) emit bytesReceived(bytes);
}

void SerialLink::onError(QSerialPort::SerialPortError error) {
  // An unplugged adapter reports a resource error; a pseudo-terminal whose other end has
  // gone reports read errors, again and again. Either way the port is gone: close it once
  // and say so once, rather than spinning on the error.
  const bool gone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
  if (!gone || lostReported_) return;
  lostReported_ = true;
  const LinkError lostError = linkErrorFromPort(error, device_, port_.errorString());
  close();
  emit lost(lostError);
}

}  // namespace tracelink
