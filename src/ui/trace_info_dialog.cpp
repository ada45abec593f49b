#include "ui/trace_info_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLocale>
#include <QTimeZone>
#include <QVBoxLayout>

#include "record/fill_in.h"
#include "ui/qt_text.h"

namespace tracelink {

namespace {

// The locale's decimal separator, as the window's other numbers, without grouping.
QString number(double v, int decimals) {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale.toString(v, 'f', decimals);
}

QString utc(std::int64_t seconds) {
  return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc())
      .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString typeWord(EventType type, const UiStrings& s) {
  switch (type) {
    case EventType::Launch:
      return s.eventLaunch;
    case EventType::Reflective:
      return s.eventReflective;
    case EventType::NonReflective:
      break;
    case EventType::Gainer:
      return s.eventGainer;
    case EventType::End:
      return s.eventEnd;
  }
  return s.eventNonReflective;
}

QString formatWord(TraceFormat format, const UiStrings& s) {
  switch (format) {
    case TraceFormat::Otdr:
      break;
    case TraceFormat::Sor:
      return s.formatSor;
    case TraceFormat::Upload:
      return s.formatUpload;
  }
  return s.formatOtdr;
}

// Lines of "name: value"; a value the trace does not hold shows as a dash.
class Lines {
 public:
  explicit Lines(const UiStrings& s) : s_(s) {}
  void heading(const QString& text) {
    if (!text_.isEmpty()) text_ += QLatin1Char('\n');
    text_ += QStringLiteral("[") + text + QStringLiteral("]\n");
  }
  void add(const QString& name, const QString& value) {
    text_ +=
        fillIn(s_.nameValue, {name, value.isEmpty() ? s_.unknownValue : value}) + QLatin1Char('\n');
  }
  void add(const QString& name, const std::string& value) { add(name, fromStd(value)); }
  void add(const QString& name, const std::optional<double>& v, int decimals, const char* unit) {
    add(name, v ? number(*v, decimals) + QLatin1String(unit) : QString());
  }
  void line(const QString& text) { text_ += text + QLatin1Char('\n'); }
  QString text() const { return text_; }

 private:
  const UiStrings& s_;
  QString text_;
};

}  // namespace

QString traceInfoText(const Trace& t, const QString& sha256, const QString& checksum,
                      const UiStrings& s) {
  Lines l(s);
  const Identity& id = t.identity;
  l.heading(s.identityHeading);
  l.add(s.cable, id.cable);
  l.add(s.fiber, id.fiber);
  l.add(s.locationA, id.locationA);
  l.add(s.locationB, id.locationB);
  l.add(s.operatorName, id.operatorName);
  l.add(s.comment, id.comment);
  l.add(s.supplier, id.supplier);
  l.add(s.instrument, id.instrument);
  l.add(s.instrumentSerial, id.instrumentSerial);
  l.add(s.module, id.module);
  l.add(s.moduleSerial, id.moduleSerial);
  l.add(s.software, id.software);
  l.add(s.date, id.dateTime ? utc(*id.dateTime) : QString());

  const Acquisition& a = t.acquisition;
  l.heading(s.acquisitionHeading);
  l.add(s.wavelength, a.wavelengthNm > 0 ? number(a.wavelengthNm, 1) + " nm" : QString());
  QStringList widths;
  for (const double w : a.pulseWidthsNs) widths << number(w, 0) + " ns";
  l.add(s.pulseWidths, widths.join(QStringLiteral(", ")));
  l.add(s.groupIndex, a.groupIndex > 0 ? number(a.groupIndex, 5) : QString());
  l.add(s.backscatter, a.backscatterDb, 1, " dB");
  l.add(s.lossThreshold, a.lossThresholdDb, 3, " dB");
  l.add(s.reflectanceThreshold, a.reflectanceThresholdDb, 3, " dB");
  l.add(s.endThreshold, a.endThresholdDb, 3, " dB");
  l.add(s.averages, a.averages > 0 ? QString::number(a.averages) : QString());
  l.add(s.averagingTime, a.averagingTimeS > 0 ? number(a.averagingTimeS, 0) + " s" : QString());
  l.add(s.range, a.rangeM > 0 ? number(a.rangeM, 1) + " m" : QString());

  l.heading(s.traceHeading);
  l.add(s.points, QString::number(t.size()));
  l.add(s.spacing, number(t.spacingM, 4) + " m");
  l.add(s.firstPoint, number(t.originM, 1) + " m");
  l.add(s.totalLoss, t.totalLossDb, 3, " dB");
  l.add(s.orl, t.orlDb, 3, " dB");
  l.add(s.events, QString::number(t.events.size()));
  for (std::size_t i = 0; i < t.events.size(); ++i) {
    const KeyEvent& e = t.events[i];
    // The reflectance is empty where the instrument measured none.
    l.line(QStringLiteral("%1\t%2 m\t%3\t%4 dB\t%5\t%6\t%7")
               .arg(i + 1)
               .arg(number(e.distanceM, 2), typeWord(e.type, s), number(e.spliceLossDb, 3),
                    e.reflectanceDb ? number(*e.reflectanceDb, 2) + " dB" : QString(),
                    fromStd(e.code), fromStd(e.comment)));
  }

  const Origin& o = t.origin;
  l.heading(s.originHeading);
  l.add(s.format, formatWord(o.format, s));
  l.add(s.file, o.path.empty() ? QString() : QDir::toNativeSeparators(fromStd(o.path)));
  l.add(s.sha256, sha256);
  if (!checksum.isEmpty()) l.add(s.checksum, checksum);
  l.add(s.uploadedAt, o.uploadedAt ? utc(*o.uploadedAt) : QString());
  if (!t.notes.empty()) {
    l.heading(s.notes);
    for (const std::string& note : t.notes) l.line(fromStd(note));
  }
  return l.text();
}

TraceInfoDialog::TraceInfoDialog(const Trace& trace, const QString& sha256, const QString& checksum,
                                 Language language, QWidget* parent)
    : QDialog(parent), strings_(uiStrings(language)) {
  setObjectName(QStringLiteral("TraceInfoDialog"));
  setWindowTitle(strings_.traceInfoTitle);
  setSizeGripEnabled(true);
  auto* form = new QFormLayout;
  const Identity& id = trace.identity;
  const std::array<std::pair<QString, const std::string*>, 6> editable{{
      {strings_.cable, &id.cable},
      {strings_.fiber, &id.fiber},
      {strings_.locationA, &id.locationA},
      {strings_.locationB, &id.locationB},
      {strings_.operatorName, &id.operatorName},
      {strings_.comment, &id.comment},
  }};
  static constexpr const char* kNames[] = {"Cable",     "Fiber",    "LocationA",
                                           "LocationB", "Operator", "Comment"};
  for (std::size_t i = 0; i < editable.size(); ++i) {
    fields_[i] = new QLineEdit(fromStd(*editable[i].second), this);
    fields_[i]->setObjectName(QLatin1String(kNames[i]));
    form->addRow(editable[i].first, fields_[i]);
  }
  info_ = new QPlainTextEdit(this);
  info_->setObjectName(QStringLiteral("TraceInfoText"));
  info_->setReadOnly(true);
  info_->setLineWrapMode(QPlainTextEdit::NoWrap);
  info_->setPlainText(traceInfoText(trace, sha256, checksum, strings_));
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("TraceInfoMessage"));
  message_->setWordWrap(true);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* save = buttons->addButton(strings_.saveAsSor, QDialogButtonBox::ActionRole);
  save->setObjectName(QStringLiteral("SaveAsSor"));
  QPushButton* close = buttons->addButton(strings_.close, QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("Close"));
  connect(save, &QPushButton::clicked, this, &TraceInfoDialog::saveAsSorRequested);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(info_, 1);
  layout->addWidget(message_);
  layout->addWidget(buttons);
  resize(640, 560);
}

sor::IdentityTexts TraceInfoDialog::identity() const {
  const auto text = [&](std::size_t i) { return fields_[i]->text().toStdString(); };
  return {text(0), text(1), text(2), text(3), text(4), text(5)};
}

void TraceInfoDialog::setMessage(const QString& text) {
  message_->setText(text);
}

}  // namespace tracelink
