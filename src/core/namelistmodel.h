#pragma once

#include <QAbstractListModel>
#include <QStringList>

// A light list model of names for list views that can hold hundreds of thousands of entries.
//
// names() is always the true list. Views see it at once, or, while deferred, as it stood at the
// last publish(): appends then reach the views as one block insertion per publish and clears as
// one reset, so a list filed thousands of times a second costs its views ten updates a second.
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
    void removeAt(int row); // out-of-range rows are ignored; publishes first
    void clear();

    // Deferred views; switching back publishes.
    void setDeferred(bool deferred);
    bool deferred() const { return m_deferred; }
    // Brings what the views show up to the true list.
    void publish();
    // The name a view shows in `row` ("" when out of range), and whether that row is the same
    // entry in the true list (false while a clear waits to be published).
    QString shownAt(int row) const;
    bool shownRowIsCurrent(int row) const;

private:
    QStringList m_names; // the true list
    QStringList m_shown; // what the views were told
    bool m_deferred = false;
    bool m_resetPending = false; // the true list was cleared since the last publish
};
