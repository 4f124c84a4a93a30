#include "harvest/seennames.h"

quint64 SeenNames::gram(const QChar *at) {
    return (quint64(at[0].unicode()) << 32) | (quint64(at[1].unicode()) << 16) | at[2].unicode();
}

bool SeenNames::contains(const QString &text) const {
    if (m_text.isEmpty())
        return false;
    const QString folded = text.toCaseFolded();
    if (m_exact.contains(folded))
        return true;
    // Short texts, and decoded line breaks that could span two names, need the whole text.
    if (folded.size() < 3 || folded.contains(QLatin1Char('\r')) ||
        folded.contains(QLatin1Char('\n')))
        return m_folded.contains(folded);

    const QList<int> *rarest = nullptr;
    for (qsizetype i = 0; i + 3 <= folded.size(); ++i) {
        const auto it = m_grams.constFind(gram(folded.constData() + i));
        if (it == m_grams.cend())
            return false;
        if (!rarest || it->size() < rarest->size())
            rarest = &*it;
    }
    for (int id : *rarest) {
        if (m_foldedNames.at(id).contains(folded))
            return true;
    }
    return false;
}

void SeenNames::add(const QString &name) {
    m_text += name + QStringLiteral("\r\n");
    const QString folded = name.toCaseFolded();
    m_folded += folded + QStringLiteral("\r\n");
    const int id = int(m_foldedNames.size());
    m_foldedNames.append(folded);
    m_exact.insert(folded);
    for (qsizetype i = 0; i + 3 <= folded.size(); ++i) {
        QList<int> &ids = m_grams[gram(folded.constData() + i)];
        if (ids.isEmpty() || ids.last() != id)
            ids.append(id);
    }
}

void SeenNames::clear() {
    *this = SeenNames();
}
