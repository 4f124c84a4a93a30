#pragma once

#include <QString>

// Turns raw text from word lists and web pages into something a WHOIS server can be asked
// about. Both are pure and total: every input, the empty text included, gives a result.

// Strips markup remnants, search operators and punctuation from the part in front of the
// first dot and removes every "?"; the rest passes unchanged.
QString correctName(const QString &text);

// Decodes a fixed set of percent-escapes (case-insensitive, "%25" first and repeatedly).
QString urlDecode(QString text);

// The name a WHOIS lookup asks for, from a list entry or a harvested candidate: a raw tab after the
// first dot and everything after it go (a note beside the name), then everything up to the first
// ":" goes (a leading URL scheme), then urlDecode, correctName, and every control character is
// dropped (a decoded "%0D%0A", a tab), so what is filed is what was asked and a list file keeps one
// name per line. No default extension is added.
QString cleanLookupName(const QString &candidate);
