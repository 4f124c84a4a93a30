#pragma once

#include <QString>
#include <QStringList>

// The fixed vendor configuration: every product, company and outside address Kestrin uses
// lives here and nowhere else.
struct Branding {
    QString ProductName;
    QString CompanyName;
    QString WebsiteText; // the maker's web address, without scheme
    bool PurchaseSwitch = true;
    QString PurchasePrefix; // a domain name appended to it opens the registrar's order page
    bool SkinSwitch = false;
    bool BannerSwitch = false;
    QString BannerAddress;
    int VersionMajor = 0;
    int VersionMinor = 0;
};

Branding loadBranding();

// Outside hosts that are not in the registrar table. Tests replace them with loopback ones.
struct VendorHosts {
    // The list builder's engines are rows of "searchengines.txt", not hosts here.
    QString EngineSiteDomain;  // pages of the Yahoo engine's own site are not harvested
    QString MarketplaceDomain; // nor those of a domain marketplace
    QString viewerServer;      // WHOIS server of the com/net registry, used by the viewer
    quint16 viewerPort = 43;
    QStringList shortcutAddresses; // the browser harvester's seven shortcut buttons, in order
};

VendorHosts loadVendorHosts();
