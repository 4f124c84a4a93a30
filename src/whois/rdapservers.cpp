#include "whois/rdapservers.h"

#include "whois/rdapbootstrap.h"

RdapServers::RdapServers(KnownBase known)
    : m_known(known ? std::move(known) : KnownBase(&RdapServers::inShippedBootstrap)) {}

QString RdapServers::key(const QString &base) {
    QString text = base.trimmed().toLower();
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

bool RdapServers::inShippedBootstrap(const QString &extension, const QString &base) {
    const QString listed = RdapBootstrap::shipped().baseUrl(extension);
    return !listed.isEmpty() && key(listed) == key(base);
}

void RdapServers::setKnownBase(KnownBase known) {
    m_known = known ? std::move(known) : KnownBase(&RdapServers::inShippedBootstrap);
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
