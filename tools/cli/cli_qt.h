#pragma once

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tracelink::cli {

// The Qt application the drawing commands need for fonts and painting. It never needs a
// screen: it runs on the offscreen platform unless one is asked for (QT_QPA_PLATFORM)
// and a display is there to serve it. It prints no start-up warning and leaves no
// runtime folder behind when XDG_RUNTIME_DIR is unset or unusable.
std::unique_ptr<QGuiApplication> startGuiApplication();

// Writes the image as PNG to exactly the path given, whatever bytes its name holds (Qt's
// own file names would turn a name that is not UTF-8 into another one). Replaces a file
// that is there, atomically. What went wrong, when it could not be written.
std::optional<std::string> writePng(const QImage& image, const std::string& path);

// The bytes a QByteArray holds, as writeOutput takes them.
inline std::string_view bytesOf(const QByteArray& bytes) {
  return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace tracelink::cli
