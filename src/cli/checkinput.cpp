#include "cli/checkinput.h"

#include "core/filehelpers.h"
#include "core/namecleaning.h"

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
                            const QString &defaultExtension) {
    QList<CheckItem> items;
    for (const QString &line : lines) {
        const QString entry = line.trimmed();
        if (entry.isEmpty() || entry.startsWith(QLatin1Char('#')))
            continue;
        // The same cleaning a word-list entry gets on its way into the lookup pool.
        const QString name = cleanLookupName(correctName(entry));
        if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) {
            items << CheckItem{entry, QStringLiteral("not a domain name")};
        } else if (name.contains(QLatin1Char('.'))) {
            items << CheckItem{name, {}};
        } else if (extensions.isEmpty()) {
            items << CheckItem{name + defaultExtension, {}};
        } else {
            for (const QString &ext : extensions)
                items << CheckItem{name + QLatin1Char('.') + ext, {}};
        }
    }
    return items;
}
