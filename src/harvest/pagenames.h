#pragma once

#include "whois/registrartable.h"

#include <QString>
#include <QStringList>

// The names a rendered page shows: its visible text and the addresses of its links, read apart
// from the page source's line rule, which finds at most one name per line.
namespace PageNames {

// Every registrable name under an enabled extension that `text` holds, in lower case, in the
// order first met, each once: host names are cut to their registrable domain
// ("sub.example.org" -> "example.org"), an e-mail address gives its domain, and a word such as
// "index.html" or "report.pdf" is no name unless its ending is an enabled extension.
// Percent-escapes are decoded first, so a link that passes an address on is read too.
QStringList inText(const QString &text, const RegistrarTable &table);

// The registrable domain of a lower-case host under the table's longest matching extension
// (the proxy row aside), one label more under a second-level suffix such as "co.uk";
// "" when that extension is missing or not enabled, or nothing is left in front of it.
QString registrableName(const QString &host, const RegistrarTable &table);

} // namespace PageNames
