#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

// The names accepted so far, each followed by CR LF, with the substring duplicate test: a
// candidate counts as seen when it occurs anywhere in that text, letter case ignored.
//
// A page can add thousands of names, so the test does not scan the whole text: names are
// indexed by their three-letter pieces, and only the names that share the candidate's rarest
// piece are searched.
class SeenNames {
public:
    // True when `text` occurs inside the list. Nothing is found in an empty list, while an
    // empty text is found in any list that holds something.
    bool contains(const QString &text) const;
    // True when `name` itself was added, letter case ignored.
    bool containsName(const QString &name) const { return m_exact.contains(name.toCaseFolded()); }
    void add(const QString &name);
    void clear();

    bool isEmpty() const { return m_text.isEmpty(); }
    const QString &text() const { return m_text; }

private:
    static quint64 gram(const QChar *at);

    QString m_text;
    QString m_folded;             // case-folded text, for what the index cannot answer
    QList<QString> m_foldedNames; // case-folded names by id
    QSet<QString> m_exact;
    QHash<quint64, QList<int>> m_grams; // three-letter piece -> ids of the names holding it
};
