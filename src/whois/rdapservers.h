#pragma once

#include <QHash>
#include <QString>
#include <functional>

// Which RDAP bases may be believed when they answer 404. A base that a registry publishes for
// an extension (IANA's bootstrap, the shipped table of registry services) is known. Any other
// base, such as one a user typed, must first show that it is an RDAP server during this run:
// a reply typed application/rdap+json or holding an RDAP error object, or its "help" answered
// as RDAP. Until then its 404s prove nothing: any web server answers 404 to a path it lacks.
class RdapServers {
public:
    // Whether `base` (ending in "/") is a published RDAP service of `extension`.
    using KnownBase = std::function<bool(const QString &extension, const QString &base)>;

    // Without `known`, the bases of the shipped routes: IANA's bootstrap and the registry
    // services shipped beside it.
    explicit RdapServers(KnownBase known = {});

    // The shipped routes' bases, compared without regard to case and a trailing "/".
    static bool inShippedRoutes(const QString &extension, const QString &base);
    void setKnownBase(KnownBase known);

    // A 404 of `base` for a name under `extension` is believed.
    bool trusted(const QString &extension, const QString &base) const;
    // `base` answered as an RDAP server.
    void shown(const QString &base);
    // `base` was asked for its help and did not answer as an RDAP server.
    void notShown(const QString &base);
    // Its help was asked already and failed: not worth asking again this run.
    bool failedToShow(const QString &base) const;

    static QString key(const QString &base);

private:
    KnownBase m_known;
    QHash<QString, bool> m_shown; // by key(): true shown, false its help failed
};
