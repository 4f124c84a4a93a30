// DNS first against a registry that limits its clients: a loopback DNS server delegates 90% of
// a dictionary-like list, and a loopback WHOIS registry answers at most RATE queries a second
// per client address (a token bucket of BURST; a query over the limit waits for its token, as
// a registry that queues would make it). The same names are decided by LookupRun with DNS first
// and with the registry alone; the program prints the time of each and their ratio, and how
// many registry queries DNS first made per name DNS did not settle.
//
// A second run checks verdicts: NAMES/10 names (90% delegated) plus 20 names that are
// registered without name servers (DNS: no NS records; registry: taken). Every verdict must be
// right and the registry asked only about names without a delegation.
//
// Usage: dnsfirstbench [--names N] [--rate R] [--burst B] [--no-registry-alone]
//        (defaults 10000, 10, 10)

#include "core/timing.h"
#include "loopbackdnsserver.h"
#include "whois/dnsprobe.h"
#include "whois/lookuppool.h"
#include "whois/lookuprun.h"
#include "whois/registrartable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>

namespace {
constexpr int Parallel = 25;

// A WHOIS registry that answers each client address at most `rate` times a second (burst
// `burst`): a query over the limit is answered when its token comes.
class PacedRegistry : public QObject {
public:
    PacedRegistry(double rate, double burst)
        : m_rate(rate)
        , m_burst(burst) {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
        m_clock.start();
    }
    bool start() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 port() const { return m_server.serverPort(); }

    QSet<QString> freeNames;
    QStringList queries;

private:
    struct Bucket {
        double tokens;
        double atMs;
    };

    void read(QTcpSocket *socket) {
        if (!socket->canReadLine())
            return;
        const QString name = QString::fromLatin1(socket->readLine().trimmed()).toLower();
        queries << name;
        const QByteArray reply = freeNames.contains(name)
                                     ? QByteArray("No match for \"") + name.toLatin1() + "\".\r\n"
                                     : QByteArray("Domain Name: ") + name.toUpper().toLatin1() +
                                           "\r\nRegistrar: Example\r\n";
        const QString peer = socket->peerAddress().toString();
        // The bucket is filled to the present, then this query takes the next token, now or
        // when it comes (the queue of waiting queries holds the tokens it has taken).
        const double now = double(m_clock.elapsed());
        Bucket &b = m_buckets.insert(peer, m_buckets.value(peer, {m_burst, now})).value();
        b.tokens = qMin(m_burst, b.tokens + (now - b.atMs) * m_rate / 1000.0);
        b.atMs = now;
        b.tokens -= 1;
        const int waitMs = b.tokens >= 0 ? 0 : int(-b.tokens * 1000.0 / m_rate + 0.5);
        const QPointer<QTcpSocket> guarded(socket);
        QTimer::singleShot(waitMs, this, [guarded, reply] {
            if (!guarded)
                return;
            guarded->write(reply);
            guarded->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    double m_rate;
    double m_burst;
    QElapsedTimer m_clock;
    QHash<QString, Bucket> m_buckets;
};

// Lower-case words of the system's dictionary, letters only, or made-up ones without it.
QStringList dictionaryNames(int count) {
    QStringList names;
    QSet<QString> seen;
    QFile words(QStringLiteral("/usr/share/dict/words"));
    if (words.open(QIODevice::ReadOnly)) {
        static const QRegularExpression letters(QStringLiteral("^[a-z]{3,20}$"));
        while (!words.atEnd() && names.size() < count) {
            const QString word = QString::fromUtf8(words.readLine().trimmed()).toLower();
            if (letters.match(word).hasMatch() && !seen.contains(word)) {
                seen.insert(word);
                names << word + QStringLiteral(".com");
            }
        }
    }
    for (int i = 0; names.size() < count; ++i)
        names << QStringLiteral("made%1word.com").arg(i);
    return names;
}

struct Run {
    double seconds = 0;
    int decided = 0;
    int taken = 0;
    int free = 0;
    int unknown = 0;
    int byDns = 0;
    QHash<QString, LookupOutcome> outcomes;
};

Run decide(const QStringList &names, const RegistrarTable &table, DnsProbe *dns) {
    const Timing timing;
    const WhoisOptions options;
    LookupPool pool(timing, nullptr, Parallel);
    LookupRun run(pool, table, options, timing);
    run.setDnsFirst(dns);
    Run result;
    QObject::connect(&run, &LookupRun::lookupEnded,
                     [&result](qint64, const LookupOutcome &outcome, bool settled) {
                         if (!settled)
                             return;
                         result.outcomes.insert(outcome.name, outcome);
                         if (outcome.server == DnsProbe::ServerName)
                             ++result.byDns;
                     });
    QEventLoop loop;
    QObject::connect(&run, &LookupRun::finished, &loop, &QEventLoop::quit);
    int next = 0;
    QElapsedTimer clock;
    clock.start();
    run.start([&]() -> std::optional<LookupItem> {
        if (next >= names.size())
            return std::nullopt;
        const int index = next++;
        return LookupItem{names.at(index), index};
    });
    if (run.running())
        loop.exec();
    result.seconds = clock.nsecsElapsed() / 1e9;
    result.decided = run.decided();
    result.taken = run.takenCount();
    result.free = run.freeCount();
    result.unknown = run.unknownCount();
    return result;
}

void report(const char *what, const Run &run, int registryQueries) {
    std::printf("%-34s %8.1f s  decided %5d (taken %5d, free %5d, unknown %d), by DNS %5d, "
                "registry queries %5d\n",
                what, run.seconds, run.decided, run.taken, run.free, run.unknown, run.byDns,
                registryQueries);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("kestrin.*=false"));
    int count = 10000;
    double rate = 10;
    double burst = 10;
    bool registryAlone = true;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--names") && i + 1 < args.size())
            count = args[++i].toInt();
        else if (args[i] == QLatin1String("--rate") && i + 1 < args.size())
            rate = args[++i].toDouble();
        else if (args[i] == QLatin1String("--burst") && i + 1 < args.size())
            burst = args[++i].toDouble();
        else if (args[i] == QLatin1String("--no-registry-alone"))
            registryAlone = false;
    }

    LoopbackDnsServer dnsServer;
    PacedRegistry registry(rate, burst);
    if (!dnsServer.start() || !registry.start()) {
        std::fprintf(stderr, "cannot start the loopback servers\n");
        return 1;
    }
    RegistrarTable table;
    table.setRows({RegistrarEntry{"com", "127.0.0.1", registry.port(), true}});
    DnsProbe probe;
    if (const QString error = probe.open({dnsServer.address(), 2000, 2}); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    // Every tenth name is free at the registry and has no delegation; the others are delegated
    // (and taken at the registry, should it be asked).
    const QStringList names = dictionaryNames(count);
    int undelegated = 0;
    for (int i = 0; i < names.size(); ++i) {
        if (i % 10 == 9) {
            registry.freeNames.insert(names[i]);
            ++undelegated;
        } else {
            dnsServer.delegated.insert(names[i]);
        }
    }
    std::printf("%d names, %d without a delegation; registry limit %.0f queries/s per address, "
                "burst %.0f; %d slots, DNS %d queries at once\n",
                int(names.size()), undelegated, rate, burst, Parallel, LookupRun::DnsInFlight);

    const Run withDns = decide(names, table, &probe);
    const int dnsFirstQueries = int(registry.queries.size());
    report("DNS first", withDns, dnsFirstQueries);
    std::printf("registry queries per undelegated name: %.3f\n",
                undelegated ? double(dnsFirstQueries) / undelegated : 0.0);
    if (registryAlone) {
        registry.queries.clear();
        const Run alone = decide(names, table, nullptr);
        report("registry alone", alone, int(registry.queries.size()));
        std::printf("registry alone / DNS first: %.1fx\n", alone.seconds / withDns.seconds);
    }

    // Verdicts: a tenth of the names (90% delegated) and 20 registered without name servers.
    QStringList checked = names.mid(0, qMax(10, count / 10));
    QSet<QString> heldWithoutNs;
    for (int i = 0; i < 20; ++i) {
        const QString name = QStringLiteral("heldnons%1.com").arg(i);
        dnsServer.withoutNs.insert(name);
        heldWithoutNs.insert(name);
        checked << name;
    }
    registry.queries.clear();
    const Run verdicts = decide(checked, table, &probe);
    int wrong = 0;
    int expectedQueries = 0;
    for (const QString &name : std::as_const(checked)) {
        const LookupOutcome outcome = verdicts.outcomes.value(name);
        Verdict expected = Verdict::Taken;
        QString server = DnsProbe::ServerName;
        if (registry.freeNames.contains(name) || heldWithoutNs.contains(name)) {
            ++expectedQueries;
            server = QStringLiteral("127.0.0.1");
            if (registry.freeNames.contains(name))
                expected = Verdict::Free;
        }
        if (outcome.verdict != expected || outcome.server != server) {
            ++wrong;
            std::printf("wrong: %s %d %s\n", qPrintable(name), int(outcome.verdict),
                        qPrintable(outcome.server));
        }
    }
    const QSet<QString> asked(registry.queries.cbegin(), registry.queries.cend());
    int askedDelegated = 0;
    for (const QString &name : asked)
        if (dnsServer.delegated.contains(name))
            ++askedDelegated;
    report("verdict run", verdicts, int(registry.queries.size()));
    std::printf("verdict run: %d names (%d registered without name servers), %d wrong verdicts, "
                "registry asked %d times (expected %d), %d of them about delegated names\n",
                int(checked.size()), int(heldWithoutNs.size()), wrong,
                int(registry.queries.size()), expectedQueries, askedDelegated);
    return wrong == 0 && askedDelegated == 0 ? 0 : 1;
}
