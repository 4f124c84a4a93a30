#include "cli/checkinput.h"

#include "core/filehelpers.h"

#include <QFile>

namespace {
void appendLines(const QByteArray &bytes, QStringList &into) {
    QStringList lines = TextFile::fromLocal(bytes).split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        into << line;
    }
}
} // namespace

CheckInput readCheckInput(const QStringList &files, QIODevice &standardInput) {
    CheckInput input;
    const QStringList sources = files.isEmpty() ? QStringList{QStringLiteral("-")} : files;
    bool stdinRead = false;
    for (const QString &path : sources) {
        if (path == QLatin1String("-")) {
            // Standard input can be read once; a second "-" adds nothing.
            if (!stdinRead)
                appendLines(standardInput.readAll(), input.lines);
            stdinRead = true;
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            input.error =
                QStringLiteral("cannot read ") + path + QStringLiteral(": ") + file.errorString();
            return input;
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            input.error =
                QStringLiteral("cannot read ") + path + QStringLiteral(": ") + file.errorString();
            return input;
        }
        appendLines(bytes, input.lines);
    }
    return input;
}

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
