#pragma once

#include "whois/rdapquery.h"
#include "whois/rdapservers.h"
#include "whois/verdict.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QTcpSocket;
class QTimer;
class ReplyRules;
struct LookupRequest;
struct Timing;

// The state of one lookup.
struct LookupSlot {
    QString name;  // what is filed and shown: the name asked, in its Unicode form
    QString ascii; // what goes on the wire: its ASCII (punycode) form
    QString server;
    QByteArray reply; // kept across reconnections, capped at ReplyClassifier::MaxReplyBytes;
                      // for an RDAP row the response body
    int ticks = 0;    // since the last (re)connection
    int ageTicks = 0; // since the lookup started
    int failures = 0; // connections that ended in a reset, a refusal or an empty reply
    quint16 port = 0; // of the first connection
    qint64 startedMs = -1;
    qint64 sentMs = -1;
};

// Parallel lookups, and nothing else: each slot takes a routed request (see routeFor()) and
// reports one outcome. Each slot pairs a socket with a one-second timer; a slot whose server
// stays silent reconnects on port 43 at its 10th tick, and so does one whose connection was
// reset or refused or closed without a reply, until the second such failure makes the name
// unknown. A lookup still unanswered at its own deadline (30 ticks from its start) is given up
// as unknown. A lookup ends when the server closes the connection: the reply is read with the
// reply rules and lookupEnded() emitted. A row whose server is an http(s) address is asked over
// RDAP instead, in the same slot. A request that cannot be asked ends unknown with its reason,
// also with lookupEnded(), so nothing ever waits on it. Filing, status texts and what to do
// next are the caller's: see LookupRun.
class LookupPool : public QObject {
    Q_OBJECT
public:
    static constexpr int SlotCount = 25; // the main window's
    static constexpr int MaxSlots = 100; // `kestrin check --parallel` at most

    // `slotCount` is clamped to 1..MaxSlots; sockets and timers exist only for those slots.
    LookupPool(const Timing &timing, QObject *parent = nullptr, int slotCount = SlotCount);
    ~LookupPool() override;

    // Starts `request` in a free slot; one that cannot be asked ends unknown with its reason.
    void startLookup(const LookupRequest &request, int slot);
    // Ends the lookup of `request` in `slot` unknown with `reason`, without asking anyone (a
    // name kept back while its server rests); reported through the event loop like any end.
    void skipLookup(const LookupRequest &request, int slot, const QString &reason);
    void closeSlot(int slot); // close the socket, stop the timer, ticks to 0
    void closeAll();
    void setHalted(bool halted) { m_halted = halted; }
    bool halted() const { return m_halted; }
    const LookupSlot &slot(int i) const;
    int slotCount() const { return int(m_slots.size()); }
    // Port of every reconnection (43; tests point it at a loopback server).
    void setReconnectPort(quint16 port) { m_reconnectPort = port; }
    // Lookups started and not yet ended.
    int openLookups() const;

    // Reasons of unknown outcomes that the pool decides itself.
    static const QString NoReplyReason;  // given up at the lookup's deadline
    static const QString NoServerReason; // no usable registrar row: the lookup never started
    // A throttling server's reason (the reply rules and RDAP give it too).
    static const QString RateLimitedReason;

    // The reply rules to read replies with; without them every reply gets the classic reading.
    void setReplyRules(const ReplyRules *rules) { m_rules = rules; }

    // Which RDAP bases are believed when they answer 404, and which showed they speak RDAP.
    RdapServers &rdapServers() { return m_rdapServers; }

signals:
    // Every lookup that ends, filed or not; never after closeSlot()/closeAll() or while halted.
    void lookupEnded(int slot, const LookupOutcome &outcome);
    // A request is being sent: the connection is up, or the RDAP request went out.
    void asking(int slot, const QString &name);

private:
    struct Slot;
    Slot *takeSlot(const LookupRequest &request, int slot);
    void onConnected(int i);
    void onReadyRead(int i);
    void onDisconnected(int i);
    void onClosedByServer(int i);
    void onSocketError(int i);
    void onConnectionFailed(int i, const QString &reason);
    void onTick(int i);
    void reconnect(int i);
    void startRdap(int i);
    void onRdapFinished(int i, const RdapQuery::Result &result);
    void dropConnection(Slot &s);
    void endLookup(int i, Verdict verdict, const QString &reason, int retryAfterSeconds = 0);
    void endUnasked(int i, const QString &reason);
    LookupOutcome outcomeOf(const LookupSlot &state, Verdict verdict, const QString &reason,
                            int retryAfterSeconds) const;

    const Timing &m_timing;
    bool m_halted = false;
    quint16 m_reconnectPort = 43;
    const ReplyRules *m_rules = nullptr;
    RdapServers m_rdapServers; // for this pool's run
    std::vector<std::unique_ptr<Slot>> m_slots;
};
