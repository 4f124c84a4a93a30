#include "seennames.h"

bool SeenNames::contains(const QString &text) const {
    if (m_text.isEmpty())
        return false;
    return m_folded.contains(text.toCaseFolded());
}

void SeenNames::add(const QString &name) {
    m_text += name + QStringLiteral("\r\n");
    m_folded += name.toCaseFolded() + QStringLiteral("\r\n");
}

void SeenNames::clear() {
    m_text.clear();
    m_folded.clear();
}
