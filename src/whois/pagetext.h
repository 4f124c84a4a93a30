#pragma once

#include "registrartable.h"

#include <QString>

// Text helpers of the web harvesters. Only enabled rows count, and never the proxy row.

// Inserts CR LF after every enabled extension that is followed by a space, "/", a double
// quote, an apostrophe, ":" or "?" (exact case), and after ".com" followed by a double quote.
QString BreakAtExtensions(const QString &text, const RegistrarTable &table);
// True when "." + an enabled extension occurs anywhere in the text (case ignored).
bool HasEnabledExtension(const QString &text, const RegistrarTable &table);
// 1-based position just past the first enabled extension found, trying rows in table order;
// 0 when none occurs.
int EndOfExtension(const QString &text, const RegistrarTable &table);
// The registrable part of a host name; the input unchanged; or "" when it cannot tell.
QString RegistrableDomain(const QString &host);
