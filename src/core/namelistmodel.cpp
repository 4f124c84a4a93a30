#include "core/namelistmodel.h"

NameListModel::NameListModel(QObject *parent)
    : QAbstractListModel(parent) {}

int NameListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant NameListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= m_names.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_names.at(index.row());
    return {};
}

Qt::ItemFlags NameListModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

void NameListModel::append(const QString &name) {
    const int row = int(m_names.size());
    beginInsertRows({}, row, row);
    m_names.append(name);
    endInsertRows();
}

void NameListModel::appendMany(const QStringList &names) {
    if (names.isEmpty())
        return;
    const int first = int(m_names.size());
    beginInsertRows({}, first, first + int(names.size()) - 1);
    m_names.append(names);
    endInsertRows();
}

void NameListModel::removeAt(int row) {
    if (row < 0 || row >= m_names.size())
        return;
    beginRemoveRows({}, row, row);
    m_names.removeAt(row);
    endRemoveRows();
}

void NameListModel::clear() {
    if (m_names.isEmpty())
        return;
    beginResetModel();
    m_names.clear();
    endResetModel();
}
