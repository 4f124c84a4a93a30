#pragma once

#include "core/result.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// How a name reaches its registry.
struct Route {
    enum class Kind { None, Whois, Rdap };
    Kind kind = Kind::None;
    QString extension; // the key the route was chosen by ("com", "co.uk", "proxy")
    QString server;    // WHOIS host, or RDAP base URL ending in "/"
    quint16 port = 0;  // 43 for WHOIS; 443 (unused) for RDAP
    // An RDAP base that is IANA's bootstrap base or the shipped registry service for the
    // extension, so its 404 means "no such name". False for any other base (a typed one).
    bool knownRdapBase = false;
    QString reason; // why there is no route; empty otherwise

    bool exists() const { return kind != Kind::None; }
    bool isRdap() const { return kind == Kind::Rdap; }
};

// The shipped routes of every delegated extension: data/tld-routes.tsv (IANA's root zone and
// RDAP bootstrap) and data/route-choices.tsv (which service to use for registries whose RDAP
// service is not in the bootstrap), compiled in.
class RouteTable {
public:
    // The routes built into Kestrin.
    static const RouteTable &shipped();
    // Builds a table from the two files' text; the first bad line (with its number) fails it.
    static Result<RouteTable>
    parse(const QString &routes, const QString &choices,
          const QString &routesName = QStringLiteral("tld-routes.tsv"),
          const QString &choicesName = QStringLiteral("route-choices.tsv"));

    // Whether `extension` (no dot, any case; "co.uk" counts by its last label) is in the root
    // zone.
    bool isDelegated(const QString &extension) const;
    // The route of `extension`'s registry (by its last label); Kind::None with the reason when
    // it has none or is not delegated.
    Route route(const QString &extension) const;
    // Whether `baseUrl` is the bootstrap base or shipped registry RDAP service of `extension`.
    bool isKnownRdapBase(const QString &extension, const QString &baseUrl) const;
    // Every delegated extension, sorted.
    QStringList extensions() const;
    qsizetype size() const { return m_routes.size(); }

    static QString noRouteReason(const QString &extension);
    // A base URL in the form rows keep: ends in "/".
    static QString normalBase(const QString &url);

private:
    QHash<QString, Route> m_routes;  // by extension; Kind::None for a delegated one without
    QHash<QString, QString> m_bases; // every known RDAP base by extension (normal form)
};
