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
// The query line for `name`: control characters removed, then CR LF.
QByteArray request(const QString &name);
// Bytes as text in the system's 8-bit encoding.
QString replyText(const QByteArray &bytes);
} // namespace ReplyClassifier
