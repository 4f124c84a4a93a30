#include "settings/extensionrules.h"

#include <QtTest>

// The input rules of the extension settings window: what the default extension becomes, which
// ports and servers a row may hold.
class TestExtensionRules : public QObject {
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void serverRule_data();
    void serverRule();
};

void TestExtensionRules::rules_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normalized");
    QTest::addColumn<bool>("port");
    QTest::newRow("empty") << ""
                           << ".com" << false;
    QTest::newRow("bare") << "net"
                          << ".net" << false;
    QTest::newRow("inner dot kept") << "co.uk"
                                    << "co.uk" << false;
    QTest::newRow("with dot") << ".org"
                              << ".org" << false;
    QTest::newRow("43") << "43"
                        << ".43" << true;
    QTest::newRow("lowest") << "1"
                            << ".1" << true;
    QTest::newRow("highest") << "65535"
                             << ".65535" << true;
    QTest::newRow("zero") << "0"
                          << ".0" << false;
    QTest::newRow("too high") << "65536"
                              << ".65536" << false;
    QTest::newRow("negative") << "-43"
                              << ".-43" << false;
    QTest::newRow("space") << " 43"
                           << ". 43" << false;
    QTest::newRow("letters") << "4x"
                             << ".4x" << false;
}

void TestExtensionRules::rules() {
    QFETCH(QString, text);
    QFETCH(QString, normalized);
    QFETCH(bool, port);
    QCOMPARE(ExtensionRules::normalizeDefaultExtension(text), normalized);
    QCOMPARE(ExtensionRules::isValidPort(text), port);
}

void TestExtensionRules::serverRule_data() {
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("valid");
    QTest::newRow("WHOIS host") << "whois.denic.de" << true;
    QTest::newRow("RDAP base") << "https://rdap.identitydigital.services/rdap/" << true;
    QTest::newRow("RDAP over http, port") << "http://127.0.0.1:8080/" << true;
    QTest::newRow("RDAP without host") << "https:///rdap/" << false;
    QTest::newRow("RDAP with a query") << "https://rdap.example/?x=1" << false;
    QTest::newRow("empty") << "" << false;
}

void TestExtensionRules::serverRule() {
    QFETCH(QString, server);
    QFETCH(bool, valid);
    QCOMPARE(ExtensionRules::isValidServer(server), valid);
}

QTEST_APPLESS_MAIN(TestExtensionRules)
#include "tst_extensionrules.moc"
