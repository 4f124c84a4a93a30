#include "core/branding.h"

#include <QTest>
#include <QUrl>
#include <QUrlQuery>

class TestBranding : public QObject {
    Q_OBJECT
private slots:
    void purchaseAddressTakesTheName();
};

void TestBranding::purchaseAddressTakesTheName() {
    const Branding b = loadBranding();
    QVERIFY(b.PurchasePrefix.startsWith("http://"));
    QVERIFY(b.PurchasePrefix.endsWith("&domainToCheck="));

    const QUrl url(b.PurchasePrefix + "example.com");
    QCOMPARE(url.path(), QString("/gdshop/registrar/search.asp"));
    const QUrlQuery query(url);
    QCOMPARE(query.queryItemValue("checkAvail"), QString("1"));
    QCOMPARE(query.queryItemValue("domainToCheck"), QString("example.com"));
    const QString isc = query.queryItemValue("isc");
    QVERIFY(!isc.isEmpty());

    // The inner address is the https search page of the same host with the same code.
    const QString inner = query.queryItemValue("URL", QUrl::FullyDecoded);
    QCOMPARE(inner, "https://" + url.host() + "/gdshop/registrar/search.asp?isc=" + isc);
    QVERIFY(b.PurchasePrefix.contains("URL=https%3A%2F%2F"));
    QVERIFY(b.PurchasePrefix.contains("search.asp%3Fisc%3D"));
}

QTEST_APPLESS_MAIN(TestBranding)
#include "tst_branding.moc"
