#include "ui/export_file.h"

#include <QBuffer>
#include <QDir>

#include "files/atomic_file.h"
#include "record/fill_in.h"
#include "ui/qt_text.h"

namespace tracelink {

QByteArray pngBytes(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png;
}

Status writeExport(const QString& path, std::string_view bytes) {
  return WriteFileAtomically(toPath(path), bytes, ExistingFile::Replace);
}

QString saveExport(SaveDialog& dialog, QWidget* parent, std::string_view bytes,
                   const QString& title, const QString& folder, const QString& filter,
                   const QString& saved, const QString& failed, Language language) {
  const QString path = dialog.askSavePath(parent, title, folder, filter);
  if (path.isEmpty()) return {};
  const Status written = writeExport(path, bytes);
  return written ? fillIn(saved, {QDir::toNativeSeparators(path)})
                 : fillIn(failed, {fromStd(written.error().text(language))});
}

}  // namespace tracelink
