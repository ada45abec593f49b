#pragma once

#include <string>
#include <utility>

namespace tracelink {

// What went wrong on the link, as data: the window and the command line put it into words
// in their own language (see transfer_messages.h).
enum class LinkErrorCode {
  NotAPort,      // the port text names no port: empty, not a number 1..20, not a device
  NoSuchPort,    // the device does not exist
  BusyOrDenied,  // another program holds the port, or it may not be opened
  DeviceGone,    // the device went away or stopped answering (adapter unplugged)
  NotConnected,  // no port is open
  WriteRefused,  // the port did not take the bytes
  Other,         // anything else; only the system's own words tell
};

struct LinkError {
  LinkErrorCode code = LinkErrorCode::Other;
  // The port as the user typed it (NotAPort) or the device that was opened.
  std::string port;
  // The serial port's own error number and words (empty when the system said nothing).
  int systemError = 0;
  std::string systemText;

  bool operator==(const LinkError&) const = default;
};

// Every link error is made here, so that its form can change in one place.
inline LinkError makeLinkError(LinkErrorCode code, std::string port, int systemError = 0,
                               std::string systemText = {}) {
  return LinkError{code, std::move(port), systemError, std::move(systemText)};
}

}  // namespace tracelink
