#pragma once

#include <QString>

// Turns raw text from word lists and web pages into something a WHOIS server can be asked
// about. Both are pure and total: every input, the empty text included, gives a result.

// Strips markup remnants, search operators and punctuation from the part in front of the
// first dot and removes every "?"; the rest passes unchanged.
QString correctName(const QString &text);

// Decodes a fixed set of percent-escapes (case-insensitive, "%25" first and repeatedly).
QString urlDecode(QString text);
