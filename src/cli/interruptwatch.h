#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a signal of the event loop, so that `kestrin check` can end
// its run in order (the rows it holds are printed) instead of dying with them. A second signal of
// the same kind ends the process at once, as it would without the watch.
class InterruptWatch : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatch(QObject *parent = nullptr);
    ~InterruptWatch() override;

    bool isWatching() const { return m_notifier != nullptr; }
    // The signal number received (0: none yet).
    int received() const { return m_received; }

signals:
    void interrupted();

private:
    void onSignalled();

    QSocketNotifier *m_notifier = nullptr;
    int m_received = 0;
};
