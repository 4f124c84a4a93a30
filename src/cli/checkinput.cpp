#include "cli/checkinput.h"

QList<CheckItem> checkItems(const QStringList &lines, const QStringList &extensions,
                            const QString &defaultExtension,
                            const DomainName::Delegated &delegated) {
    QList<CheckItem> items;
    const auto add = [&](const QString &entry, const QString &name) {
        const DomainName domain = DomainName::parse(name, delegated);
        if (domain.isValid())
            items << CheckItem{domain.unicode(), {}, domain.ascii()};
        else
            items << CheckItem{entry, domain.refusal(), {}};
    };
    for (const QString &line : lines) {
        QString entry = line.trimmed();
        if (entry.isEmpty() || entry.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype dot = entry.indexOf(QLatin1Char('.'));
        const qsizetype tab = dot < 0 ? -1 : entry.indexOf(QLatin1Char('\t'), dot);
        if (tab > 0)
            entry = entry.left(tab).trimmed();
        // Checked as written: the punctuation a word-list entry loses would make another name.
        const QString name = DomainName::normalised(entry);
        if (name.contains(QLatin1Char('.')) || name.isEmpty()) {
            add(entry, name);
        } else if (extensions.isEmpty()) {
            add(entry, name + defaultExtension);
        } else {
            for (const QString &ext : extensions)
                add(entry, name + QLatin1Char('.') + ext);
        }
    }
    return items;
}
