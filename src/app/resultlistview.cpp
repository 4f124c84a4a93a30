#include "app/resultlistview.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <algorithm>

namespace {
constexpr int SavedList = 5;
}

ResultListView::ResultListView(int number, QWidget *parent)
    : QListView(parent)
    , m_number(number) {
    setObjectName(QStringLiteral("List%1").arg(number));
    // Lists grow one entry at a time; uniform sizes avoid re-measuring every row on insertion.
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(ExtendedSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    if (number == SavedList) {
        setAcceptDrops(true);
        setDragDropMode(DropOnly);
    } else {
        setDragEnabled(true);
        setDragDropMode(DragOnly);
    }
}

QList<int> ResultListView::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QString ResultListView::selectedPositions() const {
    QStringList pieces;
    for (int row : selectedRows())
        pieces << QString::number(row);
    return pieces.join(QLatin1Char('|'));
}

QMimeData *ResultListView::selectionMimeData() const {
    auto *data = new QMimeData;
    data->setText(selectedPositions());
    return data;
}

void ResultListView::startDrag(Qt::DropActions) {
    if (!selectionModel()->hasSelection())
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(selectionMimeData());
    drag->exec(Qt::CopyAction);
}

bool ResultListView::acceptsDrop(const QMimeData *data) const {
    return m_number == SavedList && data && data->hasText();
}

void ResultListView::dragEnterEvent(QDragEnterEvent *event) {
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ResultListView::dragMoveEvent(QDragMoveEvent *event) {
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ResultListView::dropEvent(QDropEvent *event) {
    if (!acceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit textDropped(event->mimeData()->text());
}
