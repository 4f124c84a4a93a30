#include "whois/lookuprequest.h"

#include "core/namecleaning.h"
#include "core/domainname.h"
#include "whois/lookuppool.h"
#include "whois/registrartable.h"
#include "whois/whoislog.h"

QString LookupRequest::reason() const {
    switch (problem) {
    case Problem::None:
        return QString();
    case Problem::BadRow:
        return LookupPool::NoServerReason;
    case Problem::NoRoute:
    case Problem::NotAName:
        return refusal;
    }
    return QString();
}

LookupRequest routeFor(const QString &candidate, const RegistrarTable &table,
                       const WhoisOptions &options) {
    LookupRequest request;
    request.name = cleanLookupName(DomainName::hostOf(candidate));
    if (!request.name.contains(QLatin1Char('.')))
        request.name += options.DefaultExtension;
    const DomainName domain =
        DomainName::parse(request.name, &RegistrarTable::isDelegated);
    if (!domain.isValid()) {
        request.problem = LookupRequest::Problem::NotAName;
        request.refusal = domain.refusal();
        return request;
    }
    request.name = domain.unicode(); // filed under the name actually asked
    request.ascii = domain.ascii();

    const Route route = table.route(request.ascii, options.ProxySwitch);
    if (!route.exists()) {
        qCDebug(lcWhois) << "Not asking" << request.name << "-" << route.reason;
        request.problem = LookupRequest::Problem::NoRoute;
        request.refusal = route.reason;
        return request;
    }
    if (route.server.isEmpty() || (route.port == 0 && !route.isRdap())) {
        qCWarning(lcWhois) << "The registrar row for" << request.name
                           << "has no server or no valid port";
        request.problem = LookupRequest::Problem::BadRow;
        return request;
    }
    request.server = route.server;
    request.port = route.port;
    request.rdap = route.isRdap();
    return request;
}
