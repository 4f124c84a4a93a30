#include "whois/delegatedextensions.h"

#include "whois/rdapbootstrap.h"
#include "whois/registrartable.h"

namespace DelegatedExtensions {

DomainName::Delegated fromTableAndBootstrap(const RegistrarTable &table) {
    return [&table](const QString &extension) {
        if (!RdapBootstrap::shipped().baseUrl(extension).isEmpty())
            return true;
        for (const RegistrarEntry &row : table.rows())
            if (row.extension != QLatin1String("proxy") &&
                row.extension.section(QLatin1Char('.'), -1)
                        .compare(extension, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
}

} // namespace DelegatedExtensions
