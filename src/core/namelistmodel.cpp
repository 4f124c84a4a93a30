#include "core/namelistmodel.h"

NameListModel::NameListModel(QObject *parent)
    : QAbstractListModel(parent) {}

int NameListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant NameListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= m_shown.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_shown.at(index.row());
    return {};
}

Qt::ItemFlags NameListModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

void NameListModel::append(const QString &name) {
    m_names.append(name);
    if (!m_deferred)
        publish();
}

void NameListModel::appendMany(const QStringList &names) {
    if (names.isEmpty())
        return;
    m_names.append(names);
    if (!m_deferred)
        publish();
}

void NameListModel::removeAt(int row) {
    if (row < 0 || row >= m_names.size())
        return;
    publish();
    beginRemoveRows({}, row, row);
    m_names.removeAt(row);
    m_shown.removeAt(row);
    endRemoveRows();
}

void NameListModel::clear() {
    if (m_names.isEmpty() && m_shown.isEmpty())
        return;
    m_names.clear();
    m_resetPending = true;
    if (!m_deferred)
        publish();
}

void NameListModel::setDeferred(bool deferred) {
    m_deferred = deferred;
    if (!deferred)
        publish();
}

void NameListModel::publish() {
    if (m_resetPending) {
        m_resetPending = false;
        beginResetModel();
        m_shown = m_names;
        endResetModel();
        return;
    }
    // Without a pending clear the views hold a head of the true list (removals publish first).
    const qsizetype first = m_shown.size();
    if (m_names.size() <= first)
        return;
    beginInsertRows({}, int(first), int(m_names.size()) - 1);
    if (first == 0)
        m_shown = m_names;
    else
        m_shown.append(m_names.mid(first));
    endInsertRows();
}

QString NameListModel::shownAt(int row) const {
    return row >= 0 && row < m_shown.size() ? m_shown.at(row) : QString();
}

bool NameListModel::shownRowIsCurrent(int row) const {
    return !m_resetPending && row >= 0 && row < m_shown.size() && row < m_names.size();
}
