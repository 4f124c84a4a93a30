#include "settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
QString groupKey(const QString &app, const QString &section, const QString &key)
{
    return app.trimmed() + QLatin1Char('/') + section.trimmed() + QLatin1Char('/') + key;
}

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Kestrin");
}
} // namespace

IniSettingsStore::IniSettingsStore(const QString &filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::filePath() const { return m_settings->fileName(); }

QString IniSettingsStore::read(const QString &app, const QString &section, const QString &key,
                               const QString &defaultValue) const
{
    return m_settings->value(groupKey(app, section, key), defaultValue).toString();
}

bool IniSettingsStore::write(const QString &app, const QString &section, const QString &key,
                             const QString &value)
{
    QDir().mkpath(QFileInfo(m_settings->fileName()).absolutePath());
    m_settings->setValue(groupKey(app, section, key), value);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString IniSettingsStore::userStorePath() { return configFolder() + QStringLiteral("/user.ini"); }

QString IniSettingsStore::machineStorePath()
{
    return configFolder() + QStringLiteral("/machine.ini");
}
