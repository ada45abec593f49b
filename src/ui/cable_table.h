#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <string>

#include "cable/summary.h"
#include "ui/ui_strings.h"

namespace tracelink {

// The cable view's table: one row per fibre and wavelength, the columns the strings name. Each
// cell's sort key (kSortRole) orders numbers as numbers, fibres in the cable's own order and a
// figure that is missing before every other; a failing row's verdict names its first
// failing item.
class CableTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column {
    Fibre,
    Wavelength,
    Found,
    Length,
    Loss,
    DbPerKm,
    Events,
    WorstSplice,
    WorstConnector,
    WorstReflectance,
    Orl,
    Verdict,
    ColumnCount
  };
  static constexpr int kSortRole = Qt::UserRole;
  static constexpr int kPathRole = Qt::UserRole + 1;  // the file a double click opens

  CableTableModel(Language language, std::string decimalSeparator, QObject* parent = nullptr);

  // judged: limits were chosen (else the verdict column says nothing was judged).
  void setCable(std::shared_ptr<const cable::Cable> cable, bool judged);
  const cable::Cable* cable() const { return cable_.get(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The text of a cell as shown.
  QString text(int row, int column) const;

 private:
  QVariant sortKey(const cable::FibreRow& row, int column, int index) const;
  QString verdictText(const cable::FibreRow& row) const;

  Language language_;
  const UiStrings& strings_;
  std::string sep_;
  std::shared_ptr<const cable::Cable> cable_;
  bool judged_ = false;
};

}  // namespace tracelink
