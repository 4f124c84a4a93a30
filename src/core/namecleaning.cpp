#include "core/namecleaning.h"

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

struct Escape {
    const char16_t *escape;
    char16_t character;
};

const std::array<Escape, 24> kEscapes = {{
    {u"%25", u'%'}, {u"%20", u' '}, {u"%3C", u'<'},  {u"%3E", u'>'},  {u"%23", u'#'},
    {u"%7B", u'{'}, {u"%7D", u'}'}, {u"%7C", u'|'},  {u"%5C", u'\\'}, {u"%5E", u'^'},
    {u"%7E", u'~'}, {u"%5B", u'['}, {u"%5D", u']'},  {u"%60", u'`'},  {u"%3B", u';'},
    {u"%2F", u'/'}, {u"%3F", u'?'}, {u"%3A", u':'},  {u"%40", u'@'},  {u"%3D", u'='},
    {u"%26", u'&'}, {u"%24", u'$'}, {u"%0A", u'\n'}, {u"%0D", u'\r'},
}};
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

QString urlDecode(QString text) {
    for (const Escape &e : kEscapes) {
        const QString escape = QString::fromUtf16(e.escape);
        // "%25" decodes again and again, so "%2520" becomes "%20" before its own row runs.
        while (text.contains(escape, Qt::CaseInsensitive))
            text.replace(escape, QString(QChar(e.character)), Qt::CaseInsensitive);
    }
    return text;
}
