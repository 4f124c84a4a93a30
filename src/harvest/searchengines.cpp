#include "harvest/searchengines.h"

#include "core/filehelpers.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <variant>

namespace {
const QString kQuery = QStringLiteral("{query}");
const QString kFirst = QStringLiteral("{first}");
const QString kFirst1 = QStringLiteral("{first1}");
const QString kPage = QStringLiteral("{page}");
constexpr int kMaxResultsPerPage = 1000;
constexpr int kMaxPages = 1000;

// Today's result pages. Yahoo serves seven results a page and counts "b" from 1; Google
// serves ten and counts "start" from 0 ("num" is no longer honoured).
const char kDefaultContent[] =
    "# Search engines of the List Builder, one per line:\r\n"
    "#   caption|address template|results per page|pages\r\n"
    "# The template holds {query} (the search text) and one of {first} (0-based number of the\r\n"
    "# page's first result), {first1} (the same, 1-based) or {page} (1-based page number).\r\n"
    "# \"pages\" is the most result pages one run asks for. The rows captioned \"Yahoo Search\"\r\n"
    "# and \"Google Search\" are what those search types run; other rows are kept for you to\r\n"
    "# swap in. Lines starting with # are comments.\r\n"
    "Yahoo Search|https://search.yahoo.com/search?p={query}&b={first1}&pz=7|7|50\r\n"
    "Google Search|https://www.google.com/search?q={query}&start={first}&hl=en&filter=0|10|30\r\n"
    "Bing Search|https://www.bing.com/search?q={query}&first={first1}|10|30\r\n"
    "DuckDuckGo Search|https://html.duckduckgo.com/html/?q={query}&s={first}|10|20\r\n";

std::optional<int> boundedNumber(const QString &field, int max) {
    bool ok = false;
    const int value = field.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > max)
        return std::nullopt;
    return value;
}

// Checks one row; the message of the first problem, or the engine.
std::variant<SearchEngine, QString> parseRow(const QString &line) {
    const QStringList fields = line.split(QLatin1Char('|'));
    if (fields.size() != 4)
        return QStringLiteral("expected caption|address template|results per page|pages "
                              "(4 fields), found %1")
            .arg(fields.size());
    SearchEngine engine;
    engine.caption = fields.at(0).trimmed();
    engine.addressTemplate = fields.at(1).trimmed();
    if (engine.caption.isEmpty())
        return QStringLiteral("the caption is empty");
    const QString &t = engine.addressTemplate;
    if (t.count(kQuery) != 1)
        return QStringLiteral("the address template must hold {query} once");
    const int first = int(t.count(kFirst));
    const int first1 = int(t.count(kFirst1));
    const int page = int(t.count(kPage));
    if (first + first1 + page != 1)
        return QStringLiteral("the address template must hold exactly one of {first}, {first1} "
                              "or {page}");
    engine.paging = first ? SearchEngine::Paging::First
                          : (first1 ? SearchEngine::Paging::First1 : SearchEngine::Paging::Page);
    static const QRegularExpression placeholder(QStringLiteral("\\{[^}]*\\}"));
    for (const QRegularExpressionMatch &m : placeholder.globalMatch(t)) {
        const QString name = m.captured();
        if (name != kQuery && name != kFirst && name != kFirst1 && name != kPage)
            return QStringLiteral("unknown placeholder %1 in the address template").arg(name);
    }
    const QUrl url(engine.pageAddress(QStringLiteral("x"), 0), QUrl::StrictMode);
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
        url.host().isEmpty())
        return QStringLiteral("the address template is not an http or https address");
    const std::optional<int> perPage = boundedNumber(fields.at(2), kMaxResultsPerPage);
    if (!perPage)
        return QStringLiteral("results per page must be a whole number from 1 to %1")
            .arg(kMaxResultsPerPage);
    const std::optional<int> pages = boundedNumber(fields.at(3), kMaxPages);
    if (!pages)
        return QStringLiteral("pages must be a whole number from 1 to %1").arg(kMaxPages);
    engine.resultsPerPage = *perPage;
    engine.pages = *pages;
    return engine;
}
} // namespace

QString SearchEngine::pageAddress(const QString &searchText, int pageIndex) const {
    QString address = addressTemplate;
    const qint64 first = qint64(pageIndex) * resultsPerPage;
    address.replace(kFirst1, QString::number(first + 1));
    address.replace(kFirst, QString::number(first));
    address.replace(kPage, QString::number(pageIndex + 1));
    // Last: the encoded text holds no braces, so it cannot form a placeholder.
    address.replace(kQuery, SearchEngines::encodeQueryValue(searchText));
    return address;
}

QString SearchEngine::host() const {
    return QUrl(pageAddress(QStringLiteral("x"), 0)).host().toLower();
}

QString SearchEngine::shortName() const {
    QString name = caption;
    if (name.endsWith(QLatin1String(" Search")))
        name.chop(7);
    return name;
}

namespace SearchEngines {

QByteArray defaultFileContent() {
    return QByteArray(kDefaultContent);
}

std::optional<SearchEnginesError> ensureFile(const QString &path) {
    if (QFileInfo::exists(path))
        return std::nullopt;
    if (const Result<> written = TextFile::writeAll(path, QString::fromLatin1(defaultFileContent()));
        written.failed())
        return written.error();
    return std::nullopt;
}

Parsed parse(const QString &text, const QString &fileName) {
    Parsed parsed;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const std::variant<SearchEngine, QString> row = parseRow(trimmed);
        if (const QString *message = std::get_if<QString>(&row)) {
            parsed.errors << Error{QStringLiteral("read"), fileName, *message, i + 1};
            continue;
        }
        const SearchEngine &engine = std::get<SearchEngine>(row);
        const bool duplicate =
            std::any_of(parsed.engines.cbegin(), parsed.engines.cend(),
                        [&](const SearchEngine &e) { return e.caption == engine.caption; });
        if (duplicate) {
            parsed.errors << Error{
                QStringLiteral("read"), fileName,
                QStringLiteral("\"%1\" is already defined on an earlier line").arg(engine.caption),
                i + 1};
            continue;
        }
        parsed.engines << engine;
    }
    return parsed;
}

Parsed load(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Parsed parsed;
        parsed.errors << Error{QStringLiteral("read"), path, file.errorString()};
        return parsed;
    }
    // UTF-8 where valid; the file is hand-edited and may come from any editor.
    const QByteArray bytes = file.readAll();
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter))
        text = TextFile::fromLocal(bytes);
    return parse(text, path);
}

QString encodeQueryValue(const QString &text) {
    QByteArray encoded = QUrl::toPercentEncoding(text);
    encoded.replace("%20", "+");
    return QString::fromLatin1(encoded);
}

} // namespace SearchEngines
