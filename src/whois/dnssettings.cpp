#include "whois/dnssettings.h"

#include "core/settingsstore.h"

DnsSettings DnsSettings::read(const SettingsStore &store, const QString &app) {
    DnsSettings settings;
    const QString first = store.read(app, Section, FirstKey, QStringLiteral("true"));
    settings.enabled = first.trimmed().compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
    settings.server = store.read(app, Section, ServerKey, QString()).trimmed();
    return settings;
}

bool DnsSettings::write(SettingsStore &store, const QString &app) const {
    const bool first = store.write(app, Section, FirstKey,
                                   enabled ? QStringLiteral("true") : QStringLiteral("false"));
    const bool server = store.write(app, Section, ServerKey, this->server.trimmed());
    return first && server;
}
