#include "ui/settings.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QWidget>

#include "files/trace_library.h"

namespace tracelink {

namespace {

// Ours are a few kilobytes; anything near this is not a settings file of ours.
constexpr qint64 kMaxSettingsBytes = 1 << 20;
constexpr qsizetype kMaxPathLength = 4096;
constexpr qsizetype kMaxPortLength = 256;
constexpr qsizetype kMaxPrintTextLength = 256;
constexpr qsizetype kMaxGeometryBytes = 4096;

constexpr char kPort[] = "port/last";
constexpr char kLastFolder[] = "open/lastFolder";
constexpr char kRecent[] = "open/recent";
constexpr char kPrintDevice[] = "print/device";
constexpr char kPrintCable[] = "print/cable";
constexpr char kPrintFiber[] = "print/fiber";
constexpr char kPrintFiberType[] = "print/fiberType";
constexpr char kPrintOperator[] = "print/operator";

QString geometryKey(const QString& key) {
  return QStringLiteral("geometry/") + key;
}

bool hasControlCharacters(const QString& s) {
  for (const QChar c : s)
    if (c.category() == QChar::Other_Control) return true;
  return false;
}

// The first line that is neither blank, a comment, a [section] nor key=value; 0 when all
// are. QSettings reads almost anything without complaint, so a cut or overwritten file
// would otherwise come back as settings nobody made.
int firstBadLine(const QString& text) {
  int number = 0;
  for (const QStringView line : QStringView(text).split(u'\n')) {
    ++number;
    const QStringView t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#')) continue;
    if (t.startsWith(u'[') && t.endsWith(u']')) continue;
    if (t.indexOf(u'=') > 0) continue;
    return number;
  }
  return 0;
}

}  // namespace

Settings::Settings(const QString& path) : path_(path) {
  QFile file(path);
  if (file.exists()) {
    // Opening a pipe would wait for a writer for ever, and a device may never end.
    if (!QFileInfo(path).isFile()) {
      problem_ = Problem::NotAFile;
      return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
      problem_ = Problem::Unreadable;
      problemDetail_ = file.errorString();
      return;
    }
    if (file.size() > kMaxSettingsBytes) {
      problem_ = Problem::TooLarge;
      return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
      problem_ = Problem::Unreadable;
      problemDetail_ = file.errorString();
      return;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError() || bytes.contains('\0')) {
      problem_ = Problem::NotText;
      return;
    }
    if (const int line = firstBadLine(text); line > 0) {
      problem_ = Problem::BadLine;
      problemLine_ = line;
      return;
    }
  }
  store_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
  if (store_->status() == QSettings::FormatError) {
    problem_ = Problem::NotIni;
    store_.reset();
  } else if (store_->status() == QSettings::AccessError) {
    problem_ = Problem::Unreadable;
    store_.reset();
  }
}

Settings::~Settings() {
  sync();
}

QString Settings::defaultPath() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QStringLiteral("tracelink/tracelink.ini"));
}

QSettings* Settings::writable() {
  if (store_) return store_.get();
  if (problem_ == Problem::Unreadable || problem_ == Problem::NotAFile) return nullptr;
  // The damaged file goes; its content was never taken.
  QFile::remove(path_);
  store_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
  return store_.get();
}

bool Settings::sync() {
  if (!store_) return problem_ == Problem::None;
  store_->sync();
  return store_->status() == QSettings::NoError;
}

QString Settings::text(const char* key, qsizetype maxLength) const {
  if (!store_) return {};
  const QVariant value = store_->value(QLatin1String(key));
  if (value.typeId() != QMetaType::QString) return {};
  const QString s = value.toString();
  if (s.size() > maxLength || hasControlCharacters(s)) return {};
  return s;
}

QVariant Settings::value(const QString& key) const {
  return store_ ? store_->value(key) : QVariant();
}

void Settings::setValue(const QString& key, const QVariant& value) {
  if (QSettings* s = writable()) s->setValue(key, value);
}

QString Settings::lastPort() const {
  return text(kPort, kMaxPortLength);
}

void Settings::setLastPort(const QString& port) {
  if (QSettings* s = writable()) s->setValue(QLatin1String(kPort), port);
}

QString Settings::lastFolder() const {
  const QString folder = text(kLastFolder, kMaxPathLength);
  return QFileInfo(folder).isAbsolute() ? folder : QString();
}

void Settings::setLastFolder(const QString& folder) {
  if (QSettings* s = writable()) s->setValue(QLatin1String(kLastFolder), folder);
}

QStringList Settings::recentFiles() const {
  if (!store_) return {};
  const QVariant value = store_->value(QLatin1String(kRecent));
  // One entry is read back as a plain string.
  QStringList files;
  if (value.typeId() == QMetaType::QString) {
    files << value.toString();
  } else if (value.typeId() == QMetaType::QStringList) {
    files = value.toStringList();
  }
  QStringList kept;
  for (const QString& f : files) {
    if (kept.size() == static_cast<qsizetype>(kRecentFilesLimit)) break;
    if (f.size() <= kMaxPathLength && QFileInfo(f).isAbsolute() && !hasControlCharacters(f) &&
        !kept.contains(f))
      kept << f;
  }
  return kept;
}

void Settings::setRecentFiles(const QStringList& files) {
  if (QSettings* s = writable()) s->setValue(QLatin1String(kRecent), files);
}

std::optional<ReportHeader> Settings::printTexts() const {
  if (!store_ || !store_->contains(QLatin1String(kPrintDevice))) return std::nullopt;
  ReportHeader h;
  h.deviceName = text(kPrintDevice, kMaxPrintTextLength);
  h.cableNo = text(kPrintCable, kMaxPrintTextLength);
  h.fiberNo = text(kPrintFiber, kMaxPrintTextLength);
  h.fiberType = text(kPrintFiberType, kMaxPrintTextLength);
  h.operatorName = text(kPrintOperator, kMaxPrintTextLength);
  return h;
}

void Settings::setPrintTexts(const ReportHeader& texts) {
  QSettings* s = writable();
  if (!s) return;
  s->setValue(QLatin1String(kPrintDevice), texts.deviceName);
  s->setValue(QLatin1String(kPrintCable), texts.cableNo);
  s->setValue(QLatin1String(kPrintFiber), texts.fiberNo);
  s->setValue(QLatin1String(kPrintFiberType), texts.fiberType);
  s->setValue(QLatin1String(kPrintOperator), texts.operatorName);
}

QByteArray Settings::geometry(const QString& key) const {
  if (!store_) return {};
  const QVariant value = store_->value(geometryKey(key));
  if (value.typeId() != QMetaType::QByteArray) return {};
  const QByteArray bytes = value.toByteArray();
  return bytes.size() <= kMaxGeometryBytes ? bytes : QByteArray();
}

void Settings::setGeometry(const QString& key, const QByteArray& geometry) {
  if (QSettings* s = writable()) s->setValue(geometryKey(key), geometry);
}

bool restoreWindowGeometry(const Settings* settings, QWidget* window, const QString& key) {
  if (!settings || !window) return false;
  const QByteArray geometry = settings->geometry(key);
  if (geometry.isEmpty()) return false;
  // restoreGeometry checks the bytes and moves a window that is off every screen back on.
  return window->restoreGeometry(geometry);
}

void saveWindowGeometry(Settings* settings, const QWidget* window, const QString& key) {
  if (settings && window) settings->setGeometry(key, window->saveGeometry());
}

namespace {

// Remembers its window's geometry whenever the window is hidden or closed.
class GeometryKeeper : public QObject {
 public:
  GeometryKeeper(Settings* settings, QWidget* window, QString key)
      : QObject(window), settings_(settings), key_(std::move(key)) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide || event->type() == QEvent::Close)
      saveWindowGeometry(settings_, static_cast<QWidget*>(watched), key_);
    return QObject::eventFilter(watched, event);
  }

 private:
  Settings* settings_;
  QString key_;
};

}  // namespace

void keepWindowGeometry(Settings* settings, QWidget* window, const QString& key) {
  if (!settings || !window) return;
  restoreWindowGeometry(settings, window, key);
  new GeometryKeeper(settings, window, key);
}

}  // namespace tracelink
