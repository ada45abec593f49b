#pragma once

#include <QGuiApplication>
#include <memory>

namespace tracelink::cli {

// The Qt application the drawing commands need for fonts and painting. It never needs a
// screen: it runs on the offscreen platform unless one is asked for (QT_QPA_PLATFORM)
// and a display is there to serve it. It prints no start-up warning and leaves no
// runtime folder behind when XDG_RUNTIME_DIR is unset or unusable.
std::unique_ptr<QGuiApplication> startGuiApplication();

}  // namespace tracelink::cli
