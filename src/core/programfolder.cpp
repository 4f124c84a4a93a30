#include "core/programfolder.h"

#include "core/corelog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
// The entry of `dir` whose name equals `name` ignoring case; `name` itself when none does.
QString matchEntry(const QString &dir, const QString &name) {
    if (QFileInfo::exists(dir + QLatin1Char('/') + name))
        return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}

bool isInstalled(const QString &executableDir, const QString &installedDataDir) {
    return !installedDataDir.isEmpty() && QFileInfo(installedDataDir).isDir() &&
           QDir(installedDataDir) != QDir(executableDir);
}

bool isWritableFolder(const QString &dir) {
    QTemporaryFile probe(dir + QStringLiteral("/.kestrin-write-test-XXXXXX"));
    return probe.open();
}

} // namespace

ProgramFolder::ProgramFolder(const QString &root)
    : m_root(QDir::cleanPath(root)) {}

QString ProgramFolder::path(const QString &relative) const {
    QString result = m_root;
    const QStringList parts = QString(relative)
                                  .replace(QLatin1Char('\\'), QLatin1Char('/'))
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        result += QLatin1Char('/') + matchEntry(result, part);
    return result;
}

QString ProgramFolder::dataFile(const QString &relative) const {
    const QString own = path(relative);
    if (m_installedData.isEmpty() || QFileInfo::exists(own))
        return own;
    const QString installed = ProgramFolder(m_installedData).path(relative);
    return QFileInfo::exists(installed) ? installed : own;
}

ProgramFolder ProgramFolder::forApplication(const QString &executableDir,
                                            const QString &installedDataDir) {
    // An installed program keeps its word lists and help in the data folder, not beside the
    // executable, so it works in the per-user folder even when it may write its own (root).
    // Nothing is copied from there: those files are only read, and a copy of megabytes of
    // word lists per user would go stale with the next version of the package.
    const bool installed = isInstalled(executableDir, installedDataDir);
    if (!installed && isWritableFolder(executableDir))
        return ProgramFolder(executableDir);
    const QString userDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!QDir().mkpath(userDir))
        qCWarning(lcCore) << "Could not create the per-user data folder" << userDir;
    ProgramFolder folder(userDir);
    if (installed)
        folder.m_installedData = QDir::cleanPath(installedDataDir);
    return folder;
}

QString ProgramFolder::wordList(SearchType type) const {
    switch (type) {
    case SearchType::FullWordList:
        return dataFile(QStringLiteral("Wordlists/FullWordList.txt"));
    case SearchType::TwoLetterList:
        return dataFile(QStringLiteral("Wordlists/AllTwoLetter.txt"));
    case SearchType::ThreeLetterList:
        return dataFile(QStringLiteral("Wordlists/AllThreeLetter.txt"));
    case SearchType::FourLetterList:
        return dataFile(QStringLiteral("Wordlists/AllFourLetter.txt"));
    default:
        return QString();
    }
}

QString ProgramFolder::wordListFolder() const {
    return path(QStringLiteral("wordlists"));
}

QString ProgramFolder::browserSearchList() const {
    return path(QStringLiteral("BrowserSearch.txt"));
}

QString ProgramFolder::createdDomains() const {
    return path(QStringLiteral("CreatedDomains.txt"));
}

QString ProgramFolder::appendsFile() const {
    return path(QStringLiteral("Appends.txt"));
}

QString ProgramFolder::savedList() const {
    return path(QStringLiteral("Remembered.txt"));
}

QString ProgramFolder::registrarsFile() const {
    return path(QStringLiteral("registrars.txt"));
}

QString ProgramFolder::replyRulesFile() const {
    return path(QStringLiteral("replyrules.txt"));
}

QString ProgramFolder::helpFile() const {
    return dataFile(QStringLiteral("Help.chm"));
}

QString ProgramFolder::startPage() const {
    return dataFile(QStringLiteral("BrowseStart.html"));
}

QString ProgramFolder::searchOutput() const {
    return path(QStringLiteral("SearchOutput.txt"));
}

QString ProgramFolder::customListsFolder() const {
    return path(QStringLiteral("CustomLists"));
}

QStringList ProgramFolder::startupFiles() const {
    return {browserSearchList(), appendsFile(), createdDomains(), savedList()};
}

QStringList ProgramFolder::startupFolders() const {
    return {path(QStringLiteral("backups")), path(QStringLiteral("overflow")), wordListFolder(),
            path(QStringLiteral("searches"))};
}

ProgramFolder ProgramFolder::locate(const QString &executableDir, const QString &installedDataDir) {
    const bool installed = isInstalled(executableDir, installedDataDir);
    if (!installed && QFileInfo(executableDir).isWritable())
        return ProgramFolder(executableDir);
    ProgramFolder folder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (installed)
        folder.m_installedData = QDir::cleanPath(installedDataDir);
    return folder;
}
