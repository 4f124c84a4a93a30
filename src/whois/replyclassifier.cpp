#include "whois/replyclassifier.h"

#include <QStringList>
#include <QUrl>

namespace ReplyClassifier {

bool isFree(const QString &reply) {
    static const QStringList phrases = {
        QStringLiteral("No match"), QStringLiteral("not registered"), QStringLiteral("not found"),
        QStringLiteral("available for registration"), QStringLiteral("no domain records")};
    for (const QString &phrase : phrases) {
        if (reply.contains(phrase, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool isFreeForHarvester(const QString &reply) {
    return reply.contains(QLatin1String("No match for"), Qt::CaseInsensitive);
}

QString asciiName(const QString &name) {
    QString line;
    line.reserve(name.size());
    for (const QChar c : name) {
        if (c.unicode() >= 0x20)
            line.append(c);
    }
    bool ascii = true;
    for (const QChar c : line)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return line;
    // An internationalised name goes on the wire in its punycode form, mapped without the
    // transitional mappings (which would ask "fass.com" for "faß.com"); a name with no valid
    // form gives "" rather than a "?" per letter, which a registry reads as another name.
    return QString::fromLatin1(QUrl::toAce(line));
}

QByteArray request(const QString &name) {
    // A decoded "%0D%0A" or a stray tab must not reach the server: a second line would be read
    // as a second query.
    const QString line = asciiName(name);
    if (line.isEmpty() && !name.isEmpty())
        return QByteArray();
    return line.toLatin1() + "\r\n";
}

QString replyText(const QByteArray &bytes) {
    // Latin-1 maps every byte to one character, so nothing of a reply is lost or merged.
    return QString::fromLatin1(bytes);
}

} // namespace ReplyClassifier
