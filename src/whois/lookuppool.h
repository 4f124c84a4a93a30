#pragma once

#include "core/domainname.h"
#include "whois/rdapquery.h"
#include "whois/rdapservers.h"
#include "whois/registrartable.h"
#include "whois/verdict.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class Desktop;
class QTcpSocket;
class QTimer;
class ReplyRules;
class ResultLists;
class ServerRest;
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
};

// The main window's 25 parallel lookups. Each slot pairs a socket with a one-second timer; a
// slot whose server stays silent reconnects on port 43 at its 10th tick, and so does one whose
// connection was reset or refused or closed without a reply, until the second such failure
// makes the name unknown. A lookup still unanswered at its own deadline (30 ticks from its
// start) is given up as unknown. A lookup ends when the server closes the connection: the reply
// is read with the reply rules, a free or taken name filed, the overflow rule applied and
// lookupEnded() emitted. An unknown name is never filed. A row whose server is an http(s)
// address is asked over RDAP instead, in the same slot. A lookup that cannot start (no
// registrar row, a row without server, a name without an ASCII form) ends unknown and unfiled,
// also with lookupEnded(), so nothing ever waits on it.
class LookupPool : public QObject {
    Q_OBJECT
public:
    static constexpr int SlotCount = 25; // the main window's
    static constexpr int MaxSlots = 100;  // `kestrin check --parallel` at most

    // `slotCount` is clamped to 1..MaxSlots; sockets and timers exist only for those slots.
    LookupPool(const RegistrarTable &table, const WhoisOptions &options, ResultLists &lists,
               Desktop &desktop, const Timing &timing, QObject *parent = nullptr,
               int slotCount = SlotCount);
    ~LookupPool() override;

    void startLookup(const QString &candidate, int slot);
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

    // Servers resting after they throttled: a name for one of them is not sent while it rests,
    // its lookup ends at once as unknown with RateLimitedReason. Null: no server rests.
    void setServerRest(const ServerRest *rest) { m_rest = rest; }

    // The reply rules to read replies with; without them every reply gets the classic reading.
    void setReplyRules(const ReplyRules *rules) { m_rules = rules; }

    // The extensions a name may end in; by default the registrar table's and the shipped RDAP
    // bootstrap's. A name that is not a domain name under one of them is never asked.
    void setDelegated(DomainName::Delegated delegated) { m_delegated = std::move(delegated); }
    // Which RDAP bases are believed when they answer 404, and which showed they speak RDAP.
    RdapServers &rdapServers() { return m_rdapServers; }

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
    void onSocketError(int i);
    void onConnectionFailed(int i, const QString &reason);
    void onTick(int i);
    void reconnect(int i);
    void startRdap(int i);
    void onRdapFinished(int i, const RdapQuery::Result &result);
    void dropConnection(Slot &s);
    void endLookup(int i, Verdict verdict, const QString &reason, int retryAfterSeconds = 0);
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
    const ReplyRules *m_rules = nullptr;
    const ServerRest *m_rest = nullptr;
    DomainName::Delegated m_delegated;
    RdapServers m_rdapServers; // for this pool's run
    std::vector<std::unique_ptr<Slot>> m_slots;
};
