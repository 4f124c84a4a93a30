#include "harvest/pagequeue.h"

#include "harvest/pagework.h"

#include <QElapsedTimer>

PageQueue::PageQueue(PageWork &work, QObject *parent)
    : QObject(parent)
    , m_work(work) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &PageQueue::runSlice);
}

void PageQueue::submit(const QString &pageText) {
    m_pending.enqueue(pageText);
    schedule();
}

void PageQueue::hold() {
    m_held = true;
}

void PageQueue::release() {
    m_held = false;
    schedule();
}

void PageQueue::clearPending() {
    m_pending.clear();
}

void PageQueue::schedule() {
    const bool work = m_running || (!m_held && !m_pending.isEmpty());
    if (work && !m_timer.isActive())
        m_timer.start();
}

void PageQueue::runSlice() {
    if (!m_running) {
        if (m_held || m_pending.isEmpty())
            return;
        m_running = true;
        m_work.beginPage(m_pending.dequeue());
    }
    QElapsedTimer clock;
    clock.start();
    while (m_work.processLine()) {
        if (clock.elapsed() >= SliceMs) {
            m_timer.start();
            emit progressed();
            return;
        }
    }
    m_running = false;
    m_work.endPage();
    emit progressed();
    emit pageDone();
    schedule();
}
