#pragma once

#include <QString>
#include <QStringList>
#include <array>

// What the user picked in the generator window.
struct GeneratorOptions {
    static constexpr int ExtensionCount = 9;
    static constexpr int CustomIndex = 8;

    QString baseWord;
    bool prefixes = true; // base word, then list word
    bool suffixes = true; // list word, then base word
    bool hyphens = true;  // a second, hyphenated stem for each of the above
    std::array<bool, ExtensionCount> extensions{true, true, true, true, true,
                                                true, true, true, true};
    QString customExtension = QStringLiteral(".co.uk");

    // Captions of the extension check boxes, in index order.
    static const std::array<QString, ExtensionCount> &extensionCaptions();
    // The texts appended to every stem: the checked extensions in index order, lower case.
    QStringList extensionTexts() const;
};

// Combines a base word with prefix/suffix words and extensions into domain names.
//
// Names are made line by line: for each used line, the suffix stem (and its hyphen form), then
// the prefix stem (and its hyphen form), each under every checked extension. next() hands out
// whole lines only, so a caller reporting progress after each call reports after whole lines.
class NameGenerator {
public:
    static constexpr int ReportEvery = 1000;

    NameGenerator(const QStringList &lines, const GeneratorOptions &options);

    // Appends the names of whole lines to `out` until at least ReportEvery names were made by
    // this call or the lines run out. Returns false once every line has been used.
    bool next(QStringList &out);
    bool atEnd() const { return m_line >= m_lines.size(); }
    int created() const { return m_created; }

    // Lines that make no names: "", " " and a bare line end.
    static bool isBlankLine(const QString &line);
    // Every name of `lines` at once.
    static QStringList generateAll(const QStringList &lines, const GeneratorOptions &options);
    // The CreatedDomains.txt text: every name followed by an empty line.
    static QString createdDomainsText(const QStringList &names);

private:
    void addStem(const QString &stem, QStringList &out);

    QStringList m_lines;
    QString m_base; // without spaces
    bool m_prefixes;
    bool m_suffixes;
    bool m_hyphens;
    QStringList m_extensions;
    qsizetype m_line = 0;
    int m_created = 0;
};
