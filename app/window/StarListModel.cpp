#include "app/window/StarListModel.h"

#include "resources/StringTable.h"

namespace orelith::gui {

StarListModel::StarListModel(QObject* parent)
    : QAbstractTableModel(parent), rows_(std::make_unique<StarListRows>()) {}

StarListModel::~StarListModel() = default;

void StarListModel::refill(const Workspace& ws) {
  beginResetModel();
  starListRows(ws, *rows_);
  endResetModel();
}

int StarListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_->count;
}

int StarListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kListCells;
}

QVariant StarListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_->count) return {};
  if (role == Qt::DisplayRole)
    return QString::fromLatin1(rows_->rows[index.row()].cells[index.column()]);
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
  if (role == Qt::ToolTipRole && toolTip_) return toolTip_(rows_->rows[index.row()].key);
  return {};
}

QVariant StarListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  const std::string_view text = stringText(stringAfter(str::ColumnFirst, section));
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace orelith::gui
