#include "ui/compare_report.h"

#include <QBuffer>
#include <string_view>

#include "files/atomic_file.h"
#include "ui/compare_window.h"
#include "ui/qt_text.h"

namespace tracelink {

QByteArray pngBytes(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png;
}

Status writeExport(const QString& path, const QByteArray& bytes) {
  // The Save As dialog has asked before replacing a file.
  return WriteFileAtomically(
      toPath(path), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
      ExistingFile::Replace);
}

}  // namespace tracelink
