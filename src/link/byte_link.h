#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

#include "link/link_error.h"

namespace tracelink {

// A line to the instrument as the upload controller needs it: whether it is open, bytes
// out, bytes in as they arrive, and the moment it is lost. The serial port is one; the
// tests run the controller over an in-process line as well.
class ByteLink : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  virtual bool isOpen() const = 0;
  // The device of the open (or last opened) line.
  virtual QString portName() const = 0;
  // Queues bytes for the line; what went wrong when it is not open or refused them.
  virtual std::optional<LinkError> write(const QByteArray& bytes) = 0;
  // Drops whatever has been received but not yet handed on.
  virtual void discardInput() = 0;

 signals:
  void bytesReceived(const QByteArray& bytes);
  // The line went away under an open link; reported once, and the link is then closed.
  void lost(const tracelink::LinkError& error);
  // Opened or closed, by a call or because the line was lost.
  void openChanged(bool open);
};

}  // namespace tracelink

Q_DECLARE_METATYPE(tracelink::LinkError)
