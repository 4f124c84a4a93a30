#pragma once

#include "core/result.h"

#include <QList>
#include <QString>
#include <optional>

// One search engine the list builder can page through: a row of "searchengines.txt",
// "caption|address template|results per page|pages".
struct SearchEngine {
    enum class Paging { First, First1, Page };

    QString caption;         // "Google Search"; the Combo1 entry that runs it
    QString addressTemplate; // holds {query} and one of {first}, {first1}, {page}
    int resultsPerPage = 10;
    int pages = 1; // most result pages one run asks for
    Paging paging = Paging::First;

    // The address of result page `pageIndex` (0-based) for a search text as typed.
    QString pageAddress(const QString &searchText, int pageIndex) const;
    // The host of the template ("www.google.com", "127.0.0.1").
    QString host() const;
    // "Google" for "Google Search": names the kept copies under "\Searches".
    QString shortName() const;
};

// A problem with searchengines.txt; `line` is 1-based, 0 when not about one line.
using SearchEnginesError = Error;

// The engines file: commented text, one engine per line, validated line by line.
namespace SearchEngines {
inline const QString FileName = QStringLiteral("\\searchengines.txt");

// The text of the file as a first start writes it.
QByteArray defaultFileContent();
// Writes the defaults when the file is missing; an existing file is never touched.
std::optional<SearchEnginesError> ensureFile(const QString &path);

struct Parsed {
    QList<SearchEngine> engines;
    QList<SearchEnginesError> errors; // every bad line, in file order
};
// Reads the rows of `text`; blank lines and lines starting with "#" are skipped.
Parsed parse(const QString &text, const QString &fileName);
// Reads the file; a missing or unreadable file is one error.
Parsed load(const QString &path);

// A search text as the value of a query parameter: spaces become "+", everything that is not
// a letter, digit or one of "-._~" is percent-encoded (UTF-8), so "&", "#" and "+" stay text.
QString encodeQueryValue(const QString &text);
} // namespace SearchEngines
