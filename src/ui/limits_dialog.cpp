#include "ui/limits_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>

#include "cable/cable_strings.h"
#include "record/fill_in.h"
#include "ui/export_file.h"
#include "ui/limits_text.h"
#include "ui/qt_text.h"

namespace tracelink {

namespace {

// A limits file is a few hundred bytes; anything this large is not one.
constexpr qint64 kMaxLimitsFileBytes = 1 << 20;

QString numberText(double value) {
  return QString::number(value, 'g', 12);
}

// A number as typed, in the locale's way or with a point.
std::optional<double> typedNumber(const QString& text) {
  bool ok = false;
  double value = QLocale().toDouble(text, &ok);
  if (!ok) value = QLocale::c().toDouble(text, &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

QString withoutColon(QString caption) {
  while (caption.endsWith(QLatin1Char(':')) || caption.endsWith(QChar(0xFF1A))) caption.chop(1);
  return caption;
}

QString attenuationText(const std::map<int, double>& limits) {
  QStringList pairs;
  for (const auto& [nm, dbPerKm] : limits)
    pairs << QStringLiteral("%1: %2").arg(nm).arg(numberText(dbPerKm));
  return pairs.join(QStringLiteral("; "));
}

}  // namespace

LimitsDialog::LimitsDialog(Language language, const std::optional<cable::Limits>& current,
                           std::shared_ptr<OpenDialog> openDialog,
                           std::shared_ptr<SaveDialog> saveDialog, QString folder, QWidget* parent)
    : QDialog(parent),
      language_(language),
      strings_(uiStrings(language)),
      openDialog_(std::move(openDialog)),
      saveDialog_(std::move(saveDialog)),
      folder_(std::move(folder)) {
  setObjectName(QStringLiteral("LimitsDialog"));
  setWindowTitle(strings_.limitsTitle);
  auto* form = new QFormLayout(this);

  choice_ = new QComboBox(this);
  choice_->setObjectName(QStringLiteral("LimitsChoice"));
  choice_->addItem(strings_.limitsNone);
  for (const cable::Limits& preset : cable::presets()) choice_->addItem(fromStd(preset.name));
  choice_->addItem(strings_.limitsEdited);
  auto* choiceRow = new QHBoxLayout;
  choiceRow->addWidget(choice_, 1);
  auto* open = new QPushButton(strings_.limitsOpenFile, this);
  open->setObjectName(QStringLiteral("LimitsOpen"));
  auto* save = new QPushButton(strings_.limitsSaveFile, this);
  save->setObjectName(QStringLiteral("LimitsSave"));
  choiceRow->addWidget(open);
  choiceRow->addWidget(save);
  form->addRow(strings_.limitsChoice, choiceRow);

  const auto edit = [this, form](const char* key, const QString& caption) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(key));
    form->addRow(caption, box);
    connect(box, &QLineEdit::textEdited, this, &LimitsDialog::fieldsEdited);
    return box;
  };
  name_ = edit("name", strings_.limitsName);
  fields_ = {
      {"spliceLossMaxDb", &strings_.limitsSplice, edit("spliceLossMaxDb", strings_.limitsSplice)},
      {"connectorLossMaxDb", &strings_.limitsConnector,
       edit("connectorLossMaxDb", strings_.limitsConnector)},
      {"reflectanceMaxDb", &strings_.limitsReflectance,
       edit("reflectanceMaxDb", strings_.limitsReflectance)},
  };
  attenuation_ = edit("attenuationMaxDbPerKm", strings_.limitsAttenuation);
  fields_.push_back(
      {"linkLossMaxDb", &strings_.limitsLinkLoss, edit("linkLossMaxDb", strings_.limitsLinkLoss)});
  fields_.push_back({"orlMinDb", &strings_.limitsOrl, edit("orlMinDb", strings_.limitsOrl)});
  fields_.push_back(
      {"lengthMinM", &strings_.limitsLengthMin, edit("lengthMinM", strings_.limitsLengthMin)});
  fields_.push_back(
      {"lengthMaxM", &strings_.limitsLengthMax, edit("lengthMaxM", strings_.limitsLengthMax)});
  bidirectional_ = new QCheckBox(strings_.limitsBidirectional, this);
  bidirectional_->setObjectName(QStringLiteral("useBidirectional"));
  form->addRow(bidirectional_);
  connect(bidirectional_, &QCheckBox::toggled, this, &LimitsDialog::fieldsEdited);
  auto* hint = new QLabel(strings_.limitsEmptyHint, this);
  form->addRow(hint);
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("LimitsMessage"));
  message_->setWordWrap(true);
  form->addRow(message_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("LimitsButtons"));
  form->addRow(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(choice_, &QComboBox::activated, this, &LimitsDialog::choose);
  connect(open, &QPushButton::clicked, this, [this] {
    const QString path =
        openDialog_->askOpenPath(this, strings_.limitsFileTitle, folder_, strings_.limitsFilters);
    if (!path.isEmpty()) openFile(path);
  });
  connect(save, &QPushButton::clicked, this, [this] {
    if (!fieldLimits()) return;
    const QString path = saveDialog_->askSavePath(this, strings_.limitsSaveTitle, folder_,
                                                  strings_.limitsFilters.front());
    if (!path.isEmpty()) saveFile(path);
  });

  // Start where the window stands: a preset by its name and figures, else the figures.
  if (!current) {
    choice_->setCurrentIndex(0);
    setFieldsEnabled(false);
    return;
  }
  fill(*current);
  const std::vector<cable::Limits>& presets = cable::presets();
  int index = choice_->count() - 1;
  for (std::size_t i = 0; i < presets.size(); ++i)
    if (presets[i] == *current) index = static_cast<int>(i) + 1;
  choice_->setCurrentIndex(index);
}

void LimitsDialog::choose(int index) {
  message_->clear();
  if (index == 0) {
    setFieldsEnabled(false);
    return;
  }
  setFieldsEnabled(true);
  const std::vector<cable::Limits>& presets = cable::presets();
  if (index - 1 < static_cast<int>(presets.size()))
    fill(presets[static_cast<std::size_t>(index - 1)]);
}

void LimitsDialog::fill(const cable::Limits& limits) {
  filling_ = true;
  name_->setText(fromStd(limits.name));
  const std::optional<double> values[] = {limits.spliceLossMaxDb,  limits.connectorLossMaxDb,
                                          limits.reflectanceMaxDb, limits.linkLossMaxDb,
                                          limits.orlMinDb,         limits.lengthMinM,
                                          limits.lengthMaxM};
  for (std::size_t i = 0; i < fields_.size(); ++i)
    fields_[i].edit->setText(values[i] ? numberText(*values[i]) : QString());
  attenuation_->setText(attenuationText(limits.attenuationMaxDbPerKm));
  bidirectional_->setChecked(limits.useBidirectional);
  filling_ = false;
}

// A preset changed by hand is no longer that preset.
void LimitsDialog::fieldsEdited() {
  if (filling_) return;
  choice_->setCurrentIndex(choice_->count() - 1);
}

void LimitsDialog::setFieldsEnabled(bool enabled) {
  name_->setEnabled(enabled);
  attenuation_->setEnabled(enabled);
  bidirectional_->setEnabled(enabled);
  for (const Field& f : fields_) f.edit->setEnabled(enabled);
}

void LimitsDialog::show(const QString& text, bool problem) {
  message_->setText(text);
  message_->setStyleSheet(problem ? QStringLiteral("color: #c00000") : QString());
}

QString LimitsDialog::message() const {
  return message_->text();
}

QString LimitsDialog::captionOf(const std::string& key) const {
  if (key == "name") return withoutColon(strings_.limitsName);
  if (key == "attenuationMaxDbPerKm" || key.starts_with("attenuationMaxDbPerKm"))
    return withoutColon(strings_.limitsAttenuation);
  if (key == "useBidirectional") return strings_.limitsBidirectional;
  for (const Field& f : fields_)
    if (key == f.key) return withoutColon(*f.caption);
  return {};
}

std::optional<cable::Limits> LimitsDialog::fieldLimits() {
  cable::Limits limits;
  limits.name = name_->text().trimmed().toStdString();
  std::optional<double>* targets[] = {&limits.spliceLossMaxDb,  &limits.connectorLossMaxDb,
                                      &limits.reflectanceMaxDb, &limits.linkLossMaxDb,
                                      &limits.orlMinDb,         &limits.lengthMinM,
                                      &limits.lengthMaxM};
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const QString text = fields_[i].edit->text().trimmed();
    if (text.isEmpty()) continue;
    *targets[i] = typedNumber(text);
    if (!*targets[i]) {
      show(fillIn(strings_.limitsNotANumber, {withoutColon(*fields_[i].caption)}), true);
      fields_[i].edit->setFocus();
      return std::nullopt;
    }
  }
  // "1310: 0.35; 1550: 0.25"; the pairs may also be split by new lines.
  static const QRegularExpression pairSplit(QStringLiteral("[;\\n]"));
  static const QRegularExpression pairForm(
      QStringLiteral("^\\s*(\\d+)\\s*(?:nm)?\\s*[:=：]\\s*(.+?)\\s*$"));
  for (const QString& pair : attenuation_->text().split(pairSplit, Qt::SkipEmptyParts)) {
    if (pair.trimmed().isEmpty()) continue;
    const QRegularExpressionMatch m = pairForm.match(pair);
    const std::optional<double> value = m.hasMatch() ? typedNumber(m.captured(2)) : std::nullopt;
    bool nmOk = false;
    const int nm = m.hasMatch() ? m.captured(1).toInt(&nmOk) : 0;
    if (!value || !nmOk) {
      show(strings_.limitsAttenuationForm, true);
      attenuation_->setFocus();
      return std::nullopt;
    }
    limits.attenuationMaxDbPerKm[nm] = *value;
  }
  limits.useBidirectional = bidirectional_->isChecked();
  // The ranges are the limits file's own: the fields pass exactly what a file would.
  const cable::LimitsOutcome checked = cable::parseLimits(cable::limitsJson(limits));
  if (const auto* problem = std::get_if<cable::LimitsProblem>(&checked)) {
    show(limitsFieldProblemText(*problem, captionOf(problem->key), language_), true);
    return std::nullopt;
  }
  message_->clear();
  return std::get<cable::Limits>(checked);
}

bool LimitsDialog::openFile(const QString& path) {
  const QString shown = QDir::toNativeSeparators(path);
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    show(fillIn(strings_.limitsFileUnreadable, {shown, file.errorString()}), true);
    return false;
  }
  if (file.size() > kMaxLimitsFileBytes) {
    show(fillIn(strings_.limitsFileRefused,
                {fromStd(cable::limitsProblemText({cable::LimitsFault::NotAnObject, {}, 0},
                                                  shown.toStdString(), language_))}),
         true);
    return false;
  }
  const QByteArray bytes = file.readAll();
  const cable::LimitsOutcome read = cable::parseLimits(
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (const auto* problem = std::get_if<cable::LimitsProblem>(&read)) {
    show(fillIn(strings_.limitsFileRefused,
                {fromStd(cable::limitsProblemText(*problem, shown.toStdString(), language_))}),
         true);
    return false;
  }
  folder_ = QFileInfo(path).absolutePath();
  choice_->setCurrentIndex(choice_->count() - 1);
  setFieldsEnabled(true);
  fill(std::get<cable::Limits>(read));
  show(fillIn(strings_.limitsChosen, {shown}), false);
  return true;
}

bool LimitsDialog::saveFile(const QString& path) {
  const std::optional<cable::Limits> limits = fieldLimits();
  if (!limits) return false;
  const Status written = writeExport(path, cable::limitsJson(*limits));
  if (!written) {
    show(fillIn(strings_.limitsFileNotSaved, {fromStd(written.error().text(language_))}), true);
    return false;
  }
  folder_ = QFileInfo(path).absolutePath();
  show(fillIn(strings_.limitsFileSaved, {QDir::toNativeSeparators(path)}), false);
  return true;
}

void LimitsDialog::done(int result) {
  if (result == QDialog::Accepted) {
    if (choice_->currentIndex() == 0) {
      chosen_.reset();
    } else {
      chosen_ = fieldLimits();
      if (!chosen_) return;  // the reason stands under the fields; the dialog stays
    }
  }
  QDialog::done(result);
}

}  // namespace tracelink
