#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QUrl>

// Which redirects an RDAP lookup follows. A redirect may not lower the protection of the
// lookup (https to http, or plain http to another host), may not turn a public registry's
// answer into one from the local network, and must still lead to the lookup of the same name;
// anyone able to redirect could otherwise choose the verdict.
namespace RdapRedirectPolicy {
constexpr int MaxRedirects = 3;

// Why the `count`-th redirect (1 for the first) of the lookup of `asciiName` at `base`, from
// `from` to `to`, is not followed; "" when it may be.
QString refusal(const QUrl &base, const QUrl &from, const QUrl &to, int count,
                const QString &asciiName);

// A loopback, private, link-local or unspecified address, or "localhost".
bool isLocalHost(const QString &host);
bool isLocalAddress(QHostAddress address);

// Why a redirect to `host`, a name that resolved to `addresses`, is not followed from a public
// base; "" when none of them is local. A public name can point into the local network too.
QString resolvedRefusal(const QString &host, const QList<QHostAddress> &addresses);
} // namespace RdapRedirectPolicy
