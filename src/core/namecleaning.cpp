#include "core/namecleaning.h"

#include "core/filehelpers.h"

#include <array>

namespace {
// Removed from the label in this order; entities and operators go before their punctuation.
const std::array<const char16_t *, 40> kLabelRemovals = {
    u"&nbsp;", u"related:", u"site:",  u"<b>",    u" ",      u"/",      u"%",      u"!",
    u"/",      u"~",        u"#",      u"'",      u"\"",     u"$",      u"%",      u"^",
    u"&",      u"*",        u"(",      u")",      u"=",      u"\\",     u"|",      u"+",
    u"`",      u"?",        u">",      u"<",      u",",      u"'",      u"\"",     u"nbsp;",
    u";",      u":",        u"\u00AB", u"\u00B4", u"\u00AF", u"\u00BA", u"\u00B8", u"_",
};

// The characters the decoder knows, by the value of their two hex digits (0: not decoded).
// "%25" is not among them: it is collapsed before, repeatedly.
constexpr std::array<char16_t, 256> kEscapeByCode = [] {
    std::array<char16_t, 256> table{};
    const std::pair<int, char16_t> escapes[] = {
        {0x20, u' '}, {0x3C, u'<'},  {0x3E, u'>'}, {0x23, u'#'},  {0x7B, u'{'}, {0x7D, u'}'},
        {0x7C, u'|'}, {0x5C, u'\\'}, {0x5E, u'^'}, {0x7E, u'~'},  {0x5B, u'['}, {0x5D, u']'},
        {0x60, u'`'}, {0x3B, u';'},  {0x2F, u'/'}, {0x3F, u'?'},  {0x3A, u':'}, {0x40, u'@'},
        {0x3D, u'='}, {0x26, u'&'},  {0x24, u'$'}, {0x0A, u'\n'}, {0x0D, u'\r'}};
    for (const auto &[code, character] : escapes)
        table[code] = character;
    return table;
}();

// Collapses every "%25" into "%" until none is left. A collapse can only form a new "%25"
// with the "%" it leaves at the end of what is already done, so checking that end after each
// character is enough: "%25" followed by "25" n times takes one pass, not n.
QString collapsePercents(const QString &text) {
    QString out(text.size(), Qt::Uninitialized);
    QChar *const begin = out.data();
    QChar *end = begin;
    for (const QChar c : text) {
        *end++ = c;
        if (c == QLatin1Char('5') && end - begin >= 3 && end[-2] == QLatin1Char('2') &&
            end[-3] == QLatin1Char('%'))
            end -= 2;
    }
    out.truncate(end - begin);
    return out;
}

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The character of the escape that starts at `at`, or 0 when none of the table does.
char16_t escapeAt(const QString &text, qsizetype at) {
    if (at + 2 >= text.size() || text.at(at) != QLatin1Char('%'))
        return 0;
    const int high = hexValue(text.at(at + 1));
    const int low = hexValue(text.at(at + 2));
    return high < 0 || low < 0 ? 0 : kEscapeByCode[high * 16 + low];
}
} // namespace

QString correctName(const QString &text) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    QString label = dot < 0 ? text : text.left(dot);
    const QString tail = dot < 0 ? QString() : text.mid(dot);
    for (const char16_t *removal : kLabelRemovals)
        label.remove(QString::fromUtf16(removal));
    QString result = label + tail;
    result.remove(QLatin1Char('?'));
    return result;
}

// None of the escapes after "%25" decodes to "%" or a hex digit, so once the "%25"s are
// collapsed the others can neither form nor overlap one another: one left-to-right pass gives
// the text that replacing them one kind after the other would.
QString urlDecode(QString text) {
    if (!text.contains(QLatin1Char('%')))
        return text;
    const QString collapsed = collapsePercents(text);
    QString out(collapsed.size(), Qt::Uninitialized);
    QChar *end = out.data();
    for (qsizetype i = 0; i < collapsed.size(); ++i) {
        const char16_t decoded = escapeAt(collapsed, i);
        if (decoded) {
            *end++ = QChar(decoded);
            i += 2;
        } else {
            *end++ = collapsed.at(i);
        }
    }
    out.truncate(end - out.constData());
    return out;
}

QString cleanLookupName(const QString &text) {
    // A tab after a whole name (one with its extension) ends it: what follows is a note, such as
    // the reason in a line of an unknown-names file run as a Custom List. Tabs before or
    // inside the first label are dropped below, as every control character is.
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    const qsizetype tab = dot < 0 ? -1 : text.indexOf(QLatin1Char('\t'), dot);
    const QString candidate = tab < 0 ? text : text.left(tab);
    const qsizetype colon = candidate.indexOf(QLatin1Char(':'));
    QString name = correctName(urlDecode(colon < 0 ? candidate : candidate.mid(colon + 1)));
    name.removeIf(TextFile::isControl);
    return name;
}
