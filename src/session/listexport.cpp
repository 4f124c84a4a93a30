#include "session/listexport.h"

#include "core/desktop.h"
#include "core/filehelpers.h"
#include "core/resultlists.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <utility>

namespace {
// Export order: the free lists from the shortest names, then Registered and Saved.
const std::pair<int, const char *> kLists[] = {{ResultLists::High, "high"},
                                               {ResultLists::Mid, "mid"},
                                               {ResultLists::Low, "low"},
                                               {ResultLists::Registered, "registered"},
                                               {ResultLists::Saved, "saved"}};
} // namespace

namespace ListExport {
QString dialogFilters() {
    return QStringLiteral("CSV files (*.csv);;JSON files (*.json)");
}

Format formatFor(const QString &path, Format fallback) {
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        return Format::Json;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return Format::Csv;
    return fallback;
}

QString withSuffix(const QString &path, Format format) {
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path + (format == Format::Json ? QStringLiteral(".json") : QStringLiteral(".csv"));
}

Target targetFor(const QString &chosen, const QString &filter) {
    const Format filtered =
        filter.contains(QLatin1String("*.json"), Qt::CaseInsensitive) ? Format::Json : Format::Csv;
    const Format format = formatFor(chosen, filtered);
    return {withSuffix(chosen, format), format};
}

QByteArray csv(const ResultLists &lists) {
    // CR LF as in every text file Kestrin writes; spreadsheets read it as they read LF.
    QString text = QStringLiteral("list,name\r\n");
    for (const auto &[k, name] : kLists)
        for (const QString &entry : lists.list(k)->names())
            text += QLatin1String(name) + QLatin1Char(',') + TextFile::csvCell(entry) +
                    QStringLiteral("\r\n");
    return text.toUtf8();
}

QByteArray json(const ResultLists &lists) {
    QJsonObject object;
    for (const auto &[k, name] : kLists) {
        QJsonArray entries;
        for (const QString &entry : lists.list(k)->names())
            entries.append(TextFile::oneLine(entry));
        object.insert(QLatin1String(name), entries);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

std::optional<QString> write(const ResultLists &lists, const QString &path, Format format) {
    QSaveFile file(path);
    const QByteArray bytes = format == Format::Json ? json(lists) : csv(lists);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("The lists could not be written to ") + path + QStringLiteral(": ") +
               file.errorString();
    return std::nullopt;
}

std::optional<QString> write(const ResultLists &lists, const QString &path) {
    return write(lists, path, formatFor(path));
}

QString exportLists(Desktop &desktop, const ResultLists &lists, const QString &proposedPath) {
    const QString title = QStringLiteral("Export Lists");
    QString proposed = proposedPath;
    for (;;) {
        const Desktop::SaveChoice choice = desktop.chooseSaveFile(proposed, dialogFilters());
        if (choice.path.isEmpty())
            return {};
        const Target target = targetFor(choice.path, choice.filter);
        const bool replace =
            !QFileInfo::exists(target.path) ||
            desktop.message(title,
                            target.path + QStringLiteral(" already exists.\nDo you want to "
                                                         "replace it?"),
                            Desktop::Icon::Warning,
                            Desktop::Buttons::YesNo) == Desktop::Answer::Yes;
        if (!replace) {
            proposed = target.path;
            continue;
        }
        if (const auto error = write(lists, target.path, target.format)) {
            desktop.message(title, *error, Desktop::Icon::Warning);
            return {};
        }
        return target.path;
    }
}
} // namespace ListExport
