#pragma once

#include "whois/registrartable.h"
#include "whois/verdict.h"

#include <QObject>
#include <QString>
#include <array>
#include <memory>

class Desktop;
class QTcpSocket;
class QTimer;
class ResultLists;
struct Timing;

// The state of one lookup.
struct LookupSlot {
    QString name; // what is sent and filed
    QString server;
    QByteArray reply; // kept across reconnections, capped at ReplyClassifier::MaxReplyBytes
    int ticks = 0;    // since the last (re)connection
    int ageTicks = 0; // since the lookup started
};

// The main window's 25 parallel WHOIS lookups. Each slot pairs a socket with a one-second timer;
// a slot whose server stays silent reconnects on port 43 at its 10th tick, and a lookup still
// unanswered at its own deadline (30 ticks from its start) is given up unfiled. A lookup ends
// when the server closes the connection: the reply is classified, the name filed, the overflow
// rule applied and lookupEnded() emitted. A lookup that cannot start (no registrar row, a row
// without server) ends unfiled, also with lookupEnded(), so nothing ever waits on it.
class LookupPool : public QObject {
    Q_OBJECT
public:
    static constexpr int SlotCount = 25;

    LookupPool(const RegistrarTable &table, const WhoisOptions &options, ResultLists &lists,
               Desktop &desktop, const Timing &timing, QObject *parent = nullptr);
    ~LookupPool() override;

    void startLookup(const QString &candidate, int slot);
    void closeSlot(int slot); // close the socket, stop the timer, ticks to 0
    void closeAll();
    void setHalted(bool halted) { m_halted = halted; }
    bool halted() const { return m_halted; }
    const LookupSlot &slot(int i) const;
    // Port of every reconnection (43; tests point it at a loopback server).
    void setReconnectPort(quint16 port) { m_reconnectPort = port; }
    // Lookups started and not yet ended.
    int openLookups() const;

    // Reasons of unknown outcomes that the pool decides itself.
    static const QString NoReplyReason;  // given up at the lookup's deadline
    static const QString NoServerReason; // no usable registrar row: the lookup never started

signals:
    // Every lookup that ends, filed or not; never after closeSlot()/closeAll() or while halted.
    void lookupEnded(int slot, const LookupOutcome &outcome);
    void statusText(int panel, const QString &text); // panel 1 to 3 of the status bar
    void overflowed();

private:
    struct Slot;
    void onConnected(int i);
    void onReadyRead(int i);
    void onDisconnected(int i);
    void onClosedByServer(int i);
    void onTick(int i);
    void dropConnection(Slot &s);
    void endUnfiled(int i, const QString &reason);
    void reportFailure(int number, const QString &description);

    const RegistrarTable &m_table;
    const WhoisOptions &m_options;
    ResultLists &m_lists;
    Desktop &m_desktop;
    const Timing &m_timing;
    bool m_halted = false;
    bool m_failureQueued = false;
    quint16 m_reconnectPort = 43;
    std::array<std::unique_ptr<Slot>, SlotCount> m_slots;
};
