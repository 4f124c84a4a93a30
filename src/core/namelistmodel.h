#pragma once

#include <QAbstractListModel>
#include <QStringList>

// A light list model of names for list views that can hold hundreds of thousands of entries.
class NameListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit NameListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    int count() const { return int(m_names.size()); }
    const QString &at(int row) const { return m_names.at(row); }
    const QStringList &names() const { return m_names; }

    void append(const QString &name);
    void appendMany(const QStringList &names);
    void removeAt(int row); // out-of-range rows are ignored
    void clear();

private:
    QStringList m_names;
};
