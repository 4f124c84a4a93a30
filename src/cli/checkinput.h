#pragma once

#include "core/domainname.h"

#include <QList>
#include <QString>
#include <QStringList>

// One name to check, in input order. A line that is not a domain name is kept with a problem,
// so the output still has a line for it.
struct CheckItem {
    QString name;       // the name looked up, for people (Unicode form); the line when refused
    QString problem;    // why it is not looked up, "" when it is
    QString ascii = {}; // the name as it is asked (A-label form); "" when refused
};

// The names to check: blank lines and "#" comments skipped, a tab after a whole name and what
// follows dropped (a note, as in the unknown-names file), a URL reduced to its host, a bare word
// completed with each of `extensions` (lower case, no dot) or, when there are none, with
// `defaultExtension` (".com"). Each name is then checked as a domain name under a `delegated`
// extension; one that is not keeps the line as its name and "not a domain name: why".
QList<CheckItem> checkItems(const QStringList &lines, const QStringList &extensions,
                            const QString &defaultExtension,
                            const DomainName::Delegated &delegated = {});
