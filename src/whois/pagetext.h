#pragma once

#include "whois/registrartable.h"

#include <QString>

// Text helpers of the web harvesters. Only enabled rows count, and never the proxy row.

// Inserts CR LF after every enabled extension that is followed by a space, "/", a double
// quote, an apostrophe, ":" or "?" (exact case), and after ".com" followed by a double quote.
QString breakAtExtensions(const QString &text, const RegistrarTable &table);
// True when "." + an enabled extension occurs anywhere in the text (case ignored).
bool hasEnabledExtension(const QString &text, const RegistrarTable &table);
// 1-based position just past the first enabled extension found, trying rows in table order;
// 0 when none occurs.
int endOfExtension(const QString &text, const RegistrarTable &table);
// The registrable part of a host name; the input unchanged; or "" when it cannot tell.
QString registrableDomain(const QString &host);
