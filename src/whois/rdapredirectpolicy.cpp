#include "whois/rdapredirectpolicy.h"

#include <QHostAddress>

namespace RdapRedirectPolicy {

bool isLocalHost(const QString &host) {
    const QString name = host.toLower();
    if (name == QLatin1String("localhost") || name.endsWith(QLatin1String(".localhost")))
        return true;
    const QHostAddress address(name);
    return !address.isNull() && isLocalAddress(address);
}

bool isLocalAddress(QHostAddress address) {
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped)
        address = QHostAddress(v4);
    if (address.isLoopback() || address.isLinkLocal() || address.isUniqueLocalUnicast() ||
        address.isSiteLocal())
        return true;
    static const QList<QPair<QHostAddress, int>> local = {
        QHostAddress::parseSubnet(QStringLiteral("0.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("100.64.0.0/10")),
        QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
        QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16")),
        QHostAddress::parseSubnet(QStringLiteral("::/128"))};
    for (const auto &subnet : local)
        if (address.isInSubnet(subnet))
            return true;
    return false;
}

QString resolvedRefusal(const QString &host, const QList<QHostAddress> &addresses) {
    for (const QHostAddress &address : addresses)
        if (isLocalAddress(address))
            return QStringLiteral("redirect to a local address (%1 is %2)")
                .arg(host, address.toString());
    return {};
}

QString refusal(const QUrl &base, const QUrl &from, const QUrl &to, int count,
                const QString &asciiName) {
    const QString https = QStringLiteral("https");
    if (count > MaxRedirects)
        return QStringLiteral("more than %1 redirects").arg(MaxRedirects);
    if (!to.isValid() || to.host().isEmpty())
        return QStringLiteral("redirect without a valid address");
    if (to.scheme() != https && to.scheme() != QLatin1String("http"))
        return QStringLiteral("redirect to a non-web address");
    if (from.scheme() == https && to.scheme() != https)
        return QStringLiteral("redirect from https to http");
    if (to.host().compare(from.host(), Qt::CaseInsensitive) != 0 && to.scheme() != https)
        return QStringLiteral("redirect to another host without https");
    if (isLocalHost(to.host()) && !isLocalHost(base.host()))
        return QStringLiteral("redirect to a local address (%1)").arg(to.host());
    const QString lookup = QStringLiteral("/domain/") + asciiName;
    if (!to.path(QUrl::FullyDecoded).endsWith(lookup, Qt::CaseInsensitive))
        return QStringLiteral("redirect away from the lookup of %1").arg(asciiName);
    return {};
}

} // namespace RdapRedirectPolicy
