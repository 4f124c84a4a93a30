#pragma once

#include <QByteArray>
#include <QString>

// What a WHOIS reply says about the name that was asked for.
namespace ReplyClassifier {
// The main window's rule: free when any of its five phrases occurs, case ignored.
bool isFree(const QString &reply);
// The browser harvester's rule: free only with "No match for", case ignored.
bool isFreeForHarvester(const QString &reply);
// Replies are kept up to this size; the rest is discarded.
constexpr qsizetype MaxReplyBytes = 1024 * 1024;
// `name` as it goes on the wire: control characters removed, non-ASCII labels in punycode
// ("bücher.de" -> "xn--bcher-kva.de"); "" when the name has no valid ASCII form.
QString asciiName(const QString &name);
// The query line for `name` (its ASCII form, then CR LF); empty when there is no ASCII form.
QByteArray request(const QString &name);
// Bytes as text in the system's 8-bit encoding.
QString replyText(const QByteArray &bytes);
} // namespace ReplyClassifier
