// The star list's rows for the table view: a copy of the core's rows, taken
// anew on every refill.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <memory>

#include "image/Workspace.h"
#include "interaction/StarList.h"

namespace orelith::gui {

class StarListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit StarListModel(QObject* parent);
  ~StarListModel() override;

  // Rebuilds every row from the workspace; the view loses its selection.
  void refill(const Workspace& ws);
  const StarListRows& rows() const { return *rows_; }
  // The tooltip of a row, asked when the pointer rests on it.
  void setToolTips(std::function<QString(StarRowKey)> toolTip) { toolTip_ = std::move(toolTip); }
  StarRowKey key(int row) const { return rows_->rows[row].key; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::unique_ptr<StarListRows> rows_;
  std::function<QString(StarRowKey)> toolTip_;
};

}  // namespace orelith::gui
