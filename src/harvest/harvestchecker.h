#pragma once

#include "core/programfolder.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

class PageHarvester;
class QTcpSocket;
class RegistrarTable;
class ResultLists;
struct Timing;
struct WhoisOptions;

// Checks the names the browser harvester queued in "\BrowserSearch.txt", one WHOIS lookup at
// a time, and files each result into the session's lists. A reply holding "No match for"
// marks a name free; any other reply that ends with the server closing marks it taken; a
// server that stays silent is abandoned after a few ticks and the name goes nowhere.
class HarvestChecker : public QObject {
    Q_OBJECT
public:
    static inline const QString EndMarker = QStringLiteral("endoffileffile");

    HarvestChecker(const ProgramFolder &folder, const RegistrarTable &table,
                   const WhoisOptions &whois, ResultLists &lists, const Timing &timing,
                   const PageHarvester &harvester, QObject *parent = nullptr);
    ~HarvestChecker() override;

    // Starts the once-a-second step timer.
    void start();

    // Starts the lookup of the next queued name, or shows the summary when there is none.
    // Does nothing while a lookup is waiting for its reply.
    void checkNextName();
    // The n-th queued name (from 0), or EndMarker. A missing queue file ends the queue.
    QString readQueueEntry(int n) const;
    void startQueueLookup(const QString &entry);

    int checkPosition() const { return m_checkPosition; }
    bool lookupRunning() const { return m_socket != nullptr; }
    QString lookupName() const { return m_lookupName; }

signals:
    void freeName(const QString &name, const QString &caption);  // "Unregistered: (n)"
    void takenName(const QString &name, const QString &caption); // "Registered: (n)"
    void progressText(const QString &text); // the checking panel of the status bar
    void pageStatus(const QString &text);   // the page panel of the status bar

private:
    void advance();
    void dropSocket();
    void onConnected();
    void onReadyRead();
    void onServerClosed();
    void onTimeoutTick();
    void file(const QString &reply);

    QString m_queuePath;
    const RegistrarTable &m_table;
    const WhoisOptions &m_whois;
    ResultLists &m_lists;
    const Timing &m_timing;
    const PageHarvester &m_harvester;

    QTimer m_stepTimer; // Timer1
    QTimer m_timeout;   // timTimeout
    QTcpSocket *m_socket = nullptr;
    int m_checkPosition = 0;
    QString m_lookupName;
    QByteArray m_reply;
    int m_timeoutTicks = 0;
};
