#include "whois/replyclassifier.h"
#include "whois/replyrules.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(Verdict)

namespace {

QString samplesDir() {
    return qEnvironmentVariable("KESTRIN_SOURCE_DIR") +
           QStringLiteral("/tests/data/whois-replies/");
}

QByteArray sample(const QString &file) {
    QFile f(samplesDir() + file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "<server>__<tld>__<kind>.txt" -> what a truthful reading of that reply is.
Verdict expectedVerdict(const QString &kind) {
    if (kind.startsWith(QLatin1String("available")))
        return Verdict::Free;
    if (kind.startsWith(QLatin1String("registered")) || kind == QLatin1String("reserved") ||
        kind == QLatin1String("premium") || kind == QLatin1String("unassignable"))
        return Verdict::Taken;
    return Verdict::Unknown; // ratelimit, unavailable (busy, down), empty
}

// Samples whose truthful reading differs from what their kind says, and why.
const QHash<QString, QPair<Verdict, QString>> &exceptions() {
    static const QHash<QString, QPair<Verdict, QString>> list = {
        // registro.br's "reduced information" under its rate limit names another service for
        // availability; such replies wait for the retry instead of being trusted.
        {"whois.registro.br__br__available-ratelimited.txt", {Verdict::Unknown, "throttled"}},
        {"whois.registro.br__br__registered-ratelimited.txt", {Verdict::Unknown, "throttled"}},
    };
    return list;
}

const char *verdictName(Verdict v) {
    return v == Verdict::Free ? "free" : v == Verdict::Taken ? "taken" : "unknown";
}

} // namespace

class TestReplyRules : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_defaults.loadText(ReplyRules::defaultText(), "replyrules.txt").isEmpty());
        QVERIFY(m_defaults.ruleCount() > 200);
    }

    // Every real reply read with the shipped rules, by the extension of the name asked.
    void realReplies_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<Verdict>("expected");
        const QStringList files = QDir(samplesDir()).entryList({"*__*__*.txt"}, QDir::Files);
        if (files.isEmpty())
            QSKIP("The reply samples are not available");
        for (const QString &file : files) {
            const QStringList parts = file.chopped(4).split(QStringLiteral("__"));
            Verdict expected = expectedVerdict(parts.at(2));
            if (exceptions().contains(file))
                expected = exceptions().value(file).first;
            QTest::newRow(qPrintable(file)) << file << "example." + parts.at(1) << expected;
        }
    }

    void realReplies() {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(Verdict, expected);
        const ReplyReading reading = m_defaults.read(name, sample(file));
        QVERIFY2(reading.verdict == expected,
                 qPrintable(QStringLiteral("read %1 (%2), expected %3")
                                .arg(verdictName(reading.verdict), reading.reason,
                                     verdictName(expected))));
        QCOMPARE(reading.reason.isEmpty(), reading.verdict != Verdict::Unknown);
    }

    // The figure for the closing note: the five written phrases against the rules.
    void sampleScore() {
        const QStringList files = QDir(samplesDir()).entryList({"*__*__*.txt"}, QDir::Files);
        if (files.isEmpty())
            QSKIP("The reply samples are not available");
        int phrasesRight = 0, rulesRight = 0;
        for (const QString &file : files) {
            const QStringList parts = file.chopped(4).split(QStringLiteral("__"));
            const Verdict expected = expectedVerdict(parts.at(2));
            const QByteArray reply = sample(file);
            const Verdict phrases = ReplyClassifier::isFree(ReplyClassifier::replyText(reply))
                                        ? Verdict::Free
                                        : Verdict::Taken;
            phrasesRight += phrases == expected;
            rulesRight += m_defaults.read("example." + parts.at(1), reply).verdict == expected;
        }
        qInfo("Samples read right: five phrases %d of %d, reply rules %d of %d", phrasesRight,
              int(files.size()), rulesRight, int(files.size()));
        QVERIFY(rulesRight > phrasesRight);
    }

    void readingRules_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<QString>("reason");
        const QString de = "*|unknown|too many\nde|free|re:^status:\\s*free\nde|taken|"
                           "re:^status:\\s*connect\nde|taken|nserver:";
        QTest::newRow("first matching rule decides")
            << de << "a.de" << QByteArray("Domain: a.de\nStatus: free\n") << Verdict::Free << "";
        QTest::newRow("free and taken both match: conflicting")
            << de << "a.de" << QByteArray("Domain: a.de\nStatus: free\nNserver: ns1.a.de\n")
            << Verdict::Unknown << "conflicting reply";
        QTest::newRow("later rule")
            << de << "a.de" << QByteArray("Domain: a.de\nStatus: connect") << Verdict::Taken << "";
        QTest::newRow("case of name and reply ignored")
            << de << "A.DE" << QByteArray("DOMAIN: A.DE\r\nSTATUS: FREE\r\n") << Verdict::Free
            << "";
        QTest::newRow("unrecognised is never guessed")
            << de << "a.de" << QByteArray("No match for a.de") << Verdict::Unknown
            << "unrecognised reply";
        QTest::newRow("rate limit on a ruled extension")
            << de << "a.de" << QByteArray("Too many requests") << Verdict::Unknown
            << "rate-limited";
        QTest::newRow("no rules: the written phrases")
            << de << "a.com" << QByteArray("No match") << Verdict::Free << "";
        QTest::newRow("no rules: anything else taken")
            << de << "a.com" << QByteArray("Domain Name: A.COM") << Verdict::Taken << "";
        QTest::newRow("no rules: rate limit first")
            << de << "a.com" << QByteArray("No match. Too many queries") << Verdict::Unknown
            << "rate-limited";
        QTest::newRow("empty reply")
            << de << "a.com" << QByteArray(" \r\n\r\n") << Verdict::Unknown << "empty reply";
        const QString uk = "uk|free|no match\nco.uk|taken|registrant";
        QTest::newRow("multi-label extension")
            << uk << "a.co.uk" << QByteArray("Registrant: x") << Verdict::Taken << "";
        QTest::newRow("multi-label, own rules only") << uk << "a.co.uk" << QByteArray("No match")
                                                     << Verdict::Unknown << "unrecognised reply";
        QTest::newRow("falls back to the last label")
            << uk << "a.org.uk" << QByteArray("No match") << Verdict::Free << "";
        QTest::newRow("pattern with a bar")
            << "io|taken|re:^(reserved|domain name):"
            << "a.io" << QByteArray("x\nReserved: yes") << Verdict::Taken << "";
    }

    void readingRules() {
        QFETCH(QString, rules);
        QFETCH(QString, name);
        QFETCH(QByteArray, reply);
        QFETCH(Verdict, verdict);
        QFETCH(QString, reason);
        ReplyRules table;
        QVERIFY(table.loadText(rules, "replyrules.txt").isEmpty());
        const ReplyReading reading = table.read(name, reply);
        QCOMPARE(int(reading.verdict), int(verdict));
        QCOMPARE(reading.reason, reason);
    }

    void throttledRepliesSayHowLongToRest_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("seconds");
        QTest::newRow("Nominet") << "whois.nic.uk__uk__ratelimit.txt" << 50;
        QTest::newRow("ZACR") << "coza-whois.registry.net.za__co.za__ratelimit.txt" << 13;
        QTest::newRow("EURid, capped at a day") << "whois.eu__eu__ratelimit.txt" << 86400;
        QTest::newRow("DNS Belgium") << "whois.dns.be__be__ratelimit.txt" << 2;
        QTest::newRow("PIR names no time") << "whois.pir.org__org__ratelimit.txt" << 0;
    }

    void throttledRepliesSayHowLongToRest() {
        QFETCH(QString, file);
        QFETCH(int, seconds);
        const QString extension = file.section("__", 1, 1);
        const ReplyReading reading = m_defaults.read("example." + extension, sample(file));
        QCOMPARE(reading.reason, QString("rate-limited"));
        QCOMPARE(reading.retryAfterSeconds, seconds);
    }

    void badLinesAreReportedAndSkipped() {
        const QString text = "# comment\n"
                             "de|free|status: free\n"
                             "de|maybe|x\n"            // 3: verdict
                             "de free\n"               // 4: fields
                             "d e|free|x\n"            // 5: extension
                             "de|taken|re:(unclosed\n" // 6: pattern
                             "de|taken|\n"             // 7: empty phrase
                             "*|free|no match\n"       // 8: "*" says unknown only
                             "\n"
                             ".de|taken|Domain:\r\n";
        ReplyRules rules;
        const QList<ReplyRuleError> errors = rules.loadText(text, "/x/replyrules.txt");
        QList<int> lines;
        for (const ReplyRuleError &e : errors)
            lines << e.line;
        QCOMPARE(lines, QList<int>({3, 4, 5, 6, 7, 8}));
        QVERIFY(errors.at(0).text().startsWith("replyrules.txt, line 3: "));
        QVERIFY(errors.at(3).message.contains("regular expression"));
        QCOMPARE(rules.ruleCount(), 2);
        QCOMPARE(int(rules.read("a.de", "Domain: a.de").verdict), int(Verdict::Taken));
    }

    void fileIsCreatedOnceAndLoaded() {
        QTemporaryDir dir;
        const QString path = dir.filePath("replyrules.txt");
        ReplyRules rules(path);
        QVERIFY(!rules.ensureRulesFile());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.contains("\r\nde|free|"));
        file.close();
        QVERIFY(rules.load().isEmpty());
        QCOMPARE(rules.ruleCount(), m_defaults.ruleCount());

        // Hand edits survive the next start.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("de|free|frei\r\nbad line\r\n");
        file.close();
        QVERIFY(!rules.ensureRulesFile());
        const QList<ReplyRuleError> errors = rules.load();
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().line, 2);
        QCOMPARE(rules.ruleCount(), 1);

        ReplyRules missing(dir.filePath("nothere/replyrules.txt"));
        QCOMPARE(missing.load().size(), 1);
    }

    // Reading must stay a small part of a lookup: about a microsecond per reply is plenty.
    void readingIsCheap() {
        const QStringList files = QDir(samplesDir()).entryList({"*__*__*.txt"}, QDir::Files);
        if (files.isEmpty())
            QSKIP("The reply samples are not available");
        QList<QPair<QString, QByteArray>> replies;
        for (const QString &file : files)
            replies.append({"example." + file.section("__", 1, 1), sample(file)});
        QElapsedTimer clock;
        clock.start();
        int reads = 0;
        for (int round = 0; round < 20; ++round) {
            for (const auto &r : replies) {
                reads += m_defaults.read(r.first, r.second).verdict == Verdict::Free;
            }
        }
        qInfo("Reply rules: %d replies read in %lld ms (%.1f us each)", int(20 * replies.size()),
              clock.elapsed(), 1000.0 * clock.elapsed() / (20 * replies.size()));
        QVERIFY(reads > 0);
    }

private:
    ReplyRules m_defaults;
};

QTEST_GUILESS_MAIN(TestReplyRules)
#include "tst_replyrules.moc"
