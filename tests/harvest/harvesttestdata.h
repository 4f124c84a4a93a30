#pragma once

#include "core/branding.h"
#include "whois/registrartable.h"

// A small registrar table for the harvest suites: com, net, info and us enabled, org disabled,
// and an enabled proxy row that must never count as an extension.
inline RegistrarTable harvestTable(const QString &server = QStringLiteral("127.0.0.1"),
                                   quint16 port = 43) {
    RegistrarTable table;
    const quint16 p = port;
    table.setRows({{QStringLiteral("com"), server, p, true},
                   {QStringLiteral("net"), server, p, true},
                   {QStringLiteral("org"), server, p, false},
                   {QStringLiteral("info"), server, p, true},
                   {QStringLiteral("us"), server, p, true},
                   {QStringLiteral("proxy"), server, p, true}});
    return table;
}

inline VendorHosts harvestHosts() {
    VendorHosts hosts;
    hosts.EngineSiteDomain = QStringLiteral("enginesite.example");
    hosts.MarketplaceDomain = QStringLiteral("marketplace.example");
    return hosts;
}
