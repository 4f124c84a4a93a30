#include "whois/rdapservers.h"

#include "whois/routetable.h"

RdapServers::RdapServers(KnownBase known)
    : m_known(known ? std::move(known) : KnownBase(&RdapServers::inShippedRoutes)) {}

QString RdapServers::key(const QString &base) {
    QString text = base.trimmed().toLower();
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

bool RdapServers::inShippedRoutes(const QString &extension, const QString &base) {
    return RouteTable::shipped().isKnownRdapBase(extension, base);
}

void RdapServers::setKnownBase(KnownBase known) {
    m_known = known ? std::move(known) : KnownBase(&RdapServers::inShippedRoutes);
}

bool RdapServers::trusted(const QString &extension, const QString &base) const {
    return m_shown.value(key(base), false) || m_known(extension, base);
}

void RdapServers::shown(const QString &base) {
    m_shown.insert(key(base), true);
}

void RdapServers::notShown(const QString &base) {
    // A base that showed itself once stays shown; a failed help does not undo it.
    if (!m_shown.contains(key(base)))
        m_shown.insert(key(base), false);
}

bool RdapServers::failedToShow(const QString &base) const {
    const auto found = m_shown.constFind(key(base));
    return found != m_shown.cend() && !*found;
}
