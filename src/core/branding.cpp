#include "core/branding.h"

#ifndef KESTRIN_VERSION_MAJOR
#define KESTRIN_VERSION_MAJOR 1
#define KESTRIN_VERSION_MINOR 0
#endif

namespace {
const QString kRegistrarHost = QStringLiteral("www.godaddy.com");
const QString kAffiliateCode = QStringLiteral("kestrin");

QString purchasePrefix() {
    const QString searchPage = QStringLiteral("/gdshop/registrar/search.asp?isc=") + kAffiliateCode;
    const QString inner = QStringLiteral("https://") + kRegistrarHost + searchPage;
    // Only the four characters of an address's structure are escaped in the inner address;
    // "domainToCheck" stays a key of the outer address, so an appended name is its value.
    QString encoded = inner;
    encoded.replace(QLatin1Char(':'), QStringLiteral("%3A"))
        .replace(QLatin1Char('/'), QStringLiteral("%2F"))
        .replace(QLatin1Char('?'), QStringLiteral("%3F"))
        .replace(QLatin1Char('='), QStringLiteral("%3D"));
    return QStringLiteral("http://") + kRegistrarHost + searchPage +
           QStringLiteral("&checkAvail=1&URL=") + encoded + QStringLiteral("&domainToCheck=");
}
} // namespace

Branding loadBranding() {
    Branding b;
    b.ProductName = QStringLiteral("Kestrin");
    b.CompanyName = QStringLiteral("Kestrin Software");
    b.WebsiteText = QStringLiteral("www.kestrin.example");
    b.PurchaseSwitch = true;
    b.PurchasePrefix = purchasePrefix();
    b.SkinSwitch = false;
    b.BannerSwitch = false;
    b.BannerAddress = QStringLiteral("http://");
    b.VersionMajor = KESTRIN_VERSION_MAJOR;
    b.VersionMinor = KESTRIN_VERSION_MINOR;
    return b;
}

VendorHosts loadVendorHosts() {
    VendorHosts h;
    h.EngineSiteDomain = QStringLiteral("yahoo.com");
    h.MarketplaceDomain = QStringLiteral("sedo.com");
    h.viewerServer = QStringLiteral("whois.verisign-grs.com");
    h.viewerPort = 43;
    h.shortcutAddresses = {
        QStringLiteral("http://www.expiredtraffic.com"),
        QStringLiteral("http://www.deleteddomains.com"),
        QStringLiteral("http://www.justdropped.com"),
        QStringLiteral("http://www.afternic.com"),
        QStringLiteral("http://www.dmoz-odp.org"),
        QStringLiteral("http://www.google.com"),
        QStringLiteral("http://www.yahoo.com"),
    };
    return h;
}
