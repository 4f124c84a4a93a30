#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;
struct DnsSettings;

// What DNS said about a name: it has name servers (NS records for the name itself in the
// answer), it has none (NXDOMAIN, or an answer without them), or nothing could be learnt.
// Only "delegated" is evidence: a name without name servers may still be registered.
struct DnsAnswer {
    enum class Kind { Delegated, NotDelegated, Failed };
    Kind kind = Kind::Failed;
    QString detail; // "NXDOMAIN", "no NS records", "timeout", ...
};

// Asks a DNS resolver for the NS records of many names at once, on the thread's event loop.
// Built on c-ares (its sockets watched by QSocketNotifier, its timeouts by a QTimer): a
// well-kept asynchronous resolver that, unlike QDnsLookup, can ask a server on any port.
// Names are asked as absolute names, so no search domain is ever appended. Each query has its
// own timeout and a bounded number of tries; answers come from the event loop, never from
// inside ask().
//
// Widget-free; one probe serves one run at a time.
class DnsProbe : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString server;       // "" for the system's resolver, else ADDRESS[:PORT]
        int timeoutMs = 2000; // the first try; c-ares doubles it for each later round
        int tries = 2;
    };

    explicit DnsProbe(QObject *parent = nullptr);
    ~DnsProbe() override;

    // Sets up the resolver. "" when it is ready, else why not (a bad server, a c-ares error).
    QString open(const Options &options);
    bool isOpen() const { return m_channel != nullptr; }

    // Asks for the NS records of `asciiName` (A-label form, with or without the final dot).
    // Returns the query's number, which answered() carries.
    quint64 ask(const QString &asciiName);
    // Forgets every query asked so far: none of them is answered.
    void cancelAll();
    int inFlight() const { return int(m_live.size()); }

    // An ADDRESS[:PORT] text in the form c-ares takes ("1.2.3.4:53", "[::1]:5353"), or
    // nothing when it is no IP address with an optional port from 1 to 65535.
    static std::optional<QString> serverAddress(const QString &text);
    // A probe set up for the settings, or none when they turn DNS off or it cannot be set up
    // (`error` then says why).
    static std::unique_ptr<DnsProbe> forSettings(const DnsSettings &settings,
                                                 QString *error = nullptr);

    // The server an outcome settled by DNS names, and its reason.
    static inline const QString ServerName = QStringLiteral("dns");
    static inline const QString DelegatedReason = QStringLiteral("delegated");

signals:
    void answered(quint64 id, const DnsAnswer &answer);

private:
    struct Notifiers {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };
    struct Done {
        quint64 id;
        DnsAnswer answer;
    };
    struct Query;

    static void onSocketState(void *data, int fd, int readable, int writable);
    static void onQueryDone(void *arg, int status, int timeouts, unsigned char *reply, int length);
    void watch(int fd, bool readable, bool writable);
    void process(int readFd, int writeFd);
    void armTimer();
    void scheduleDelivery();
    void deliver();
    void close();

    void *m_channel = nullptr; // ares_channel
    QHash<int, Notifiers> m_notifiers;
    QTimer m_timer;
    QSet<quint64> m_live; // asked and neither answered nor cancelled
    std::vector<Done> m_done;
    quint64 m_nextId = 1;
    bool m_deliveryQueued = false;
    bool m_closing = false;
};

Q_DECLARE_METATYPE(DnsAnswer)
