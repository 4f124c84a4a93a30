#include "app/listexport.h"

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

QString csvField(const QString &text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}
} // namespace

namespace ListExport {
Format formatFor(const QString &path) {
    return path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive) ? Format::Json : Format::Csv;
}

QString withSuffix(const QString &path) {
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".csv") : path;
}

QByteArray csv(const ResultLists &lists) {
    // CR LF as in every text file Kestrin writes; spreadsheets read it as they read LF.
    QString text = QStringLiteral("list,name\r\n");
    for (const auto &[k, name] : kLists)
        for (const QString &entry : lists.list(k)->names())
            text +=
                QLatin1String(name) + QLatin1Char(',') + csvField(entry) + QStringLiteral("\r\n");
    return text.toUtf8();
}

QByteArray json(const ResultLists &lists) {
    QJsonObject object;
    for (const auto &[k, name] : kLists)
        object.insert(QLatin1String(name), QJsonArray::fromStringList(lists.list(k)->names()));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

std::optional<QString> write(const ResultLists &lists, const QString &path) {
    QSaveFile file(path);
    const QByteArray bytes = formatFor(path) == Format::Json ? json(lists) : csv(lists);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("The lists could not be written to ") + path + QStringLiteral(": ") +
               file.errorString();
    return std::nullopt;
}
} // namespace ListExport
