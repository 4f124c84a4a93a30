#pragma once

#include <QString>
#include <QStringList>

// Result links as a search engine's page holds them: most are redirects through the engine
// itself, with the real target inside a query or path parameter.
namespace ResultLinks {

// The target of a redirect link (Yahoo "/RU=<target>/", Google "/url?q=" or "url=", Bing
// "u=a1<base64url>", DuckDuckGo "uddg="), percent-decoded, unwrapped again while it is itself
// a redirect; the address unchanged when it is no redirect. A target that is not an http(s)
// address leaves the redirect as it was.
QString unwrap(const QString &address);

// The lower-case host of an http(s) address, "" for anything else (mailto:, javascript:, ...).
QString hostOf(const QString &address);

} // namespace ResultLinks

// The hosts that belong to a search engine rather than to its results: the registrable
// domain of the engine's own address, and the redirect, static-content, advertising and
// account hosts of the engines the builder knows (their country domains included).
class EngineHosts {
public:
    // `engineHost` is the host of the engine's address template; `extraDomains` are further
    // domains to treat as the engine's (the marketplace, the engine's site).
    explicit EngineHosts(const QString &engineHost = {}, const QStringList &extraDomains = {});

    bool isEngineHost(const QString &host) const;

private:
    QStringList m_domains; // a host is the engine's when it is one of these or under one
};
