#pragma once

#include <QObject>
#include <QQueue>
#include <QString>
#include <QTimer>

class PageWork;

// Runs page reports through a PageWork one after the other, in slices of a few milliseconds
// through the event loop, so the window repaints and stays responsive meanwhile. A report that
// arrives while a page is being processed waits its turn; pages are never interleaved.
class PageQueue : public QObject {
    Q_OBJECT
public:
    static constexpr int SliceMs = 15;

    explicit PageQueue(PageWork &work, QObject *parent = nullptr);

    void submit(const QString &pageText);
    // While held, no new page is started (the one running finishes).
    void hold();
    void release();
    // Drops every waiting page.
    void clearPending();

    bool busy() const { return m_running; }
    int pendingCount() const { return int(m_pending.size()); }

signals:
    void progressed(); // after every slice
    void pageDone();   // after PageWork::endPage

private:
    void schedule();
    void runSlice();

    PageWork &m_work;
    QQueue<QString> m_pending;
    QTimer m_timer;
    bool m_running = false;
    bool m_held = false;
};
