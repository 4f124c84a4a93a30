#pragma once

#include <QListView>

class QMimeData;

// A list view of one result list. Every list allows extended selection and asks its window for
// a context menu; lists 1 to 4 drag their selected positions as text, and the Saved list (5)
// accepts text drops.
class ResultListView : public QListView {
    Q_OBJECT
public:
    ResultListView(int number, QWidget *parent = nullptr);

    int number() const { return m_number; }
    // The selected rows, ascending.
    QList<int> selectedRows() const;
    // The 0-based positions of the selected entries in ascending order, joined by "|".
    QString selectedPositions() const;
    // Drag data for the current selection (caller owns it).
    QMimeData *selectionMimeData() const;

signals:
    void textDropped(const QString &text);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool acceptsDrop(const QMimeData *data) const;

    int m_number;
};
