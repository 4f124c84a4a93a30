#include "whois/lookuprequest.h"

#include "core/namecleaning.h"
#include "core/domainname.h"
#include "whois/delegatedextensions.h"
#include "whois/lookuppool.h"
#include "whois/registrartable.h"
#include "whois/whoislog.h"

QString LookupRequest::reason() const {
    switch (problem) {
    case Problem::None:
        return QString();
    case Problem::NoRow:
    case Problem::BadRow:
        return LookupPool::NoServerReason;
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
        DomainName::parse(request.name, DelegatedExtensions::fromTableAndBootstrap(table));
    if (!domain.isValid()) {
        request.problem = LookupRequest::Problem::NotAName;
        request.refusal = domain.refusal();
        return request;
    }
    request.name = domain.unicode(); // filed under the name actually asked
    request.ascii = domain.ascii();

    const int k = table.findRegistrar(request.ascii, options.ProxySwitch);
    if (k < 0 || k >= table.rows().size()) {
        qCWarning(lcWhois) << "No WHOIS server for" << request.name
                           << "- the registrar table is empty";
        request.problem = LookupRequest::Problem::NoRow;
        return request;
    }
    const RegistrarEntry &row = table.rows().at(k);
    if (row.server.isEmpty() || (row.port == 0 && !row.isRdap())) {
        qCWarning(lcWhois) << "The registrar row for" << request.name
                           << "has no server or no valid port";
        request.problem = LookupRequest::Problem::BadRow;
        return request;
    }
    request.server = row.server;
    request.port = row.port;
    request.rdap = row.isRdap();
    return request;
}
