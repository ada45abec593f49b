#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <string_view>

#include "record/language.h"
#include "record/result.h"
#include "ui/platform.h"

class QWidget;

namespace tracelink {

// What the windows write for the user: a picture as PNG, and any file asked for in a Save
// As dialog, written whole or not at all.
QByteArray pngBytes(const QImage& image);
// Replaces a file at path: the Save As dialog has asked before replacing one.
Status writeExport(const QString& path, std::string_view bytes);

// Asks where to write the bytes (the dialog starting in folder), writes them and says how it
// went: `saved` with the path, or `failed` with the reason. Empty when the user cancelled.
QString saveExport(SaveDialog& dialog, QWidget* parent, std::string_view bytes,
                   const QString& title, const QString& folder, const QString& filter,
                   const QString& saved, const QString& failed, Language language);

}  // namespace tracelink
