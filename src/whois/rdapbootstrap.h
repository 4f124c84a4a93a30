#pragma once

#include <QHash>
#include <QString>

// IANA's RDAP bootstrap file for domain names (which base URL serves which extension), as
// shipped with Kestrin. Used for the default rows of registries without a port-43 service.
class RdapBootstrap {
public:
    // The shipped file.
    static const RdapBootstrap &shipped();
    // Parses a bootstrap file; an unreadable one gives an empty map.
    explicit RdapBootstrap(const QByteArray &json);

    // The base URL (ending in "/") serving `extension`, https preferred, or "" when none.
    QString baseUrl(const QString &extension) const;
    qsizetype size() const { return m_urls.size(); }

private:
    QHash<QString, QString> m_urls;
};
