#include "tempprogramfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempProgramFolder::TempProgramFolder()
    : m_user(
          std::make_unique<IniSettingsStore>(m_dir.path() + QStringLiteral("/.settings/user.ini")))
    , m_machine(std::make_unique<IniSettingsStore>(m_dir.path() +
                                                   QStringLiteral("/.settings/machine.ini"))) {}

void TempProgramFolder::writeFile(const QString &relative, const QByteArray &content) const {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray TempProgramFolder::readFile(const QString &relative) const {
    QFile f(path(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TempProgramFolder::installWordLists() const {
    const QString source =
        qEnvironmentVariable("KESTRIN_PROGRAM_DIR") + QStringLiteral("/wordlists");
    QDir().mkpath(root() + QStringLiteral("/wordlists"));
    const QStringList files = QDir(source).entryList(QDir::Files);
    for (const QString &name : files)
        QFile::copy(source + QLatin1Char('/') + name,
                    root() + QStringLiteral("/wordlists/") + name);
}
