#pragma once

#include <QString>

class SettingsStore;

// Whether names are asked of DNS before their registry, and which DNS server: kept in the
// per-user store under the product's name as Options\DnsFirst ("false" turns it off; on by
// default) and Options\DnsServer ("" for the system's resolver, else ADDRESS[:PORT]).
struct DnsSettings {
    bool enabled = true;
    QString server;

    static inline const QString Section = QStringLiteral("Options");
    static inline const QString FirstKey = QStringLiteral("DnsFirst");
    static inline const QString ServerKey = QStringLiteral("DnsServer");

    static DnsSettings read(const SettingsStore &store, const QString &app);
    // False when either value could not be stored.
    bool write(SettingsStore &store, const QString &app) const;
};
