#include "ui/cable_table.h"

#include <QBrush>
#include <QColor>
#include <cmath>
#include <limits>

#include "cable/cable_strings.h"
#include "record/fill_in.h"
#include "session/trace_texts.h"
#include "ui/qt_text.h"

namespace tracelink {

namespace {

// Missing figures sort before every figure.
constexpr double kMissing = -std::numeric_limits<double>::infinity();

}  // namespace

CableTableModel::CableTableModel(Language language, std::string decimalSeparator, QObject* parent)
    : QAbstractTableModel(parent),
      language_(language),
      strings_(uiStrings(language)),
      sep_(std::move(decimalSeparator)) {}

void CableTableModel::setCable(std::shared_ptr<const cable::Cable> cable, bool judged) {
  beginResetModel();
  cable_ = std::move(cable);
  judged_ = judged;
  endResetModel();
}

int CableTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !cable_ ? 0 : static_cast<int>(cable_->rows.size());
}

int CableTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant CableTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= strings_.cableColumns.size()) return {};
  return strings_.cableColumns[section];
}

QString CableTableModel::verdictText(const cable::FibreRow& row) const {
  if (!judged_) return strings_.cableNotJudged;
  const cable::Judgement* first = row.verdict.firstFailure();
  if (!first) return strings_.cableVerdictPass;
  // Several traces make one fibre: the failure says which end and wavelength found it.
  return fillIn(strings_.cableVerdictFail, {fromStd(cable::judgementText(*first, language_))});
}

QString CableTableModel::text(int r, int column) const {
  if (!cable_ || r < 0 || static_cast<std::size_t>(r) >= cable_->rows.size()) return {};
  const cable::FibreRow& row = cable_->rows[static_cast<std::size_t>(r)];
  const auto figure = [this](const std::optional<double>& v, int decimals) {
    return v ? fromStd(fixedText(*v, decimals, sep_)) : QString();
  };
  switch (column) {
    case Fibre:
      return fromStd(row.fibre);
    case Wavelength:
      return row.wavelengthNm > 0 ? QString::number(std::lround(row.wavelengthNm)) : QString();
    case Found:
      return fromStd(row.found);
    case Length:
      return fromStd(fixedText(row.lengthM, 1, sep_));
    case Loss:
      return fromStd(fixedText(row.lossDb, 3, sep_));
    case DbPerKm:
      return fromStd(fixedText(row.dbPerKm, 3, sep_));
    case Events:
      return QString::number(row.events);
    case WorstSplice:
      return figure(row.worstSpliceDb, 3);
    case WorstConnector:
      return figure(row.worstConnectorDb, 3);
    case WorstReflectance:
      return figure(row.worstReflectanceDb, 2);
    case Orl:
      return figure(row.orlDb, 2);
    case Verdict:
      return verdictText(row);
    default:
      return {};
  }
}

QVariant CableTableModel::sortKey(const cable::FibreRow& row, int column, int index) const {
  const auto figure = [](const std::optional<double>& v) { return v.value_or(kMissing); };
  switch (column) {
    case Fibre:
      return index;  // the cable's order: numbers as numbers
    case Wavelength:
      return row.wavelengthNm;
    case Found:
      return fromStd(row.found);
    case Length:
      return row.lengthM;
    case Loss:
      return row.lossDb;
    case DbPerKm:
      return row.dbPerKm;
    case Events:
      return static_cast<qulonglong>(row.events);
    case WorstSplice:
      return figure(row.worstSpliceDb);
    case WorstConnector:
      return figure(row.worstConnectorDb);
    case WorstReflectance:
      return figure(row.worstReflectanceDb);
    case Orl:
      return figure(row.orlDb);
    case Verdict:
      // Failures first when sorted up, then the passes, in the cable's order.
      return judged_ ? (row.verdict.pass() ? 1 : 0) * 1000000 + index : index;
    default:
      return {};
  }
}

QVariant CableTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !cable_) return {};
  const auto r = static_cast<std::size_t>(index.row());
  if (r >= cable_->rows.size()) return {};
  const cable::FibreRow& row = cable_->rows[r];
  switch (role) {
    case Qt::DisplayRole:
      return text(index.row(), index.column());
    case Qt::ToolTipRole:
      return index.column() == Verdict || index.column() == Found
                 ? text(index.row(), index.column())
                 : QVariant();
    case kSortRole:
      return sortKey(row, index.column(), index.row());
    case kPathRole: {
      // The first trace of the fibre that could be read.
      for (const std::size_t f : row.files)
        if (f < cable_->files.size() && cable_->files[f].trace)
          return fromStd(cable_->files[f].path);
      return {};
    }
    case Qt::ForegroundRole:
      if (index.column() == Verdict && judged_ && !row.verdict.pass())
        return QBrush(QColor(192, 0, 0));
      return {};
    case Qt::TextAlignmentRole:
      return index.column() == Fibre || index.column() == Found || index.column() == Verdict
                 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                 : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
      return {};
  }
}

}  // namespace tracelink
