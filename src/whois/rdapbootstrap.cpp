#include "whois/rdapbootstrap.h"

#include "rdapbootstrapdata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

const RdapBootstrap &RdapBootstrap::shipped() {
    static const RdapBootstrap bootstrap{QByteArray(kRdapBootstrap)};
    return bootstrap;
}

RdapBootstrap::RdapBootstrap(const QByteArray &json) {
    // {"services": [[["ext", ...], ["https://base/", ...]], ...]}
    const QJsonArray services = QJsonDocument::fromJson(json).object().value("services").toArray();
    for (const QJsonValue &service : services) {
        const QJsonArray pair = service.toArray();
        QString chosen;
        for (const QJsonValue &url : pair.at(1).toArray()) {
            const QString text = url.toString();
            if (chosen.isEmpty() || text.startsWith(QLatin1String("https://")))
                chosen = text;
        }
        if (chosen.isEmpty())
            continue;
        if (!chosen.endsWith(QLatin1Char('/')))
            chosen += QLatin1Char('/');
        for (const QJsonValue &extension : pair.at(0).toArray())
            m_urls.insert(extension.toString().toLower(), chosen);
    }
}

QString RdapBootstrap::baseUrl(const QString &extension) const {
    return m_urls.value(extension.toLower());
}
