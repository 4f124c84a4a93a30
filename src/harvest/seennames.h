#pragma once

#include <QString>

// The names accepted so far, each followed by CR LF, with the substring duplicate test: a
// candidate counts as seen when it occurs anywhere in that text, letter case ignored.
class SeenNames {
public:
    // True when `text` occurs inside the list. Nothing is found in an empty list, while an
    // empty text is found in any list that holds something.
    bool contains(const QString &text) const;
    void add(const QString &name);
    void clear();

    bool isEmpty() const { return m_text.isEmpty(); }
    const QString &text() const { return m_text; }

private:
    QString m_text;
    QString m_folded; // case-folded copy: one case-sensitive search instead of folding each time
};
