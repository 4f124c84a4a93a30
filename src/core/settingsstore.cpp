#include "core/settingsstore.h"

#include "core/corelog.h"
#include "core/result.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
QString groupKey(const QString &app, const QString &section, const QString &key) {
    return app.trimmed() + QLatin1Char('/') + section.trimmed() + QLatin1Char('/') + key;
}

QString configFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Kestrin");
}
} // namespace

IniSettingsStore::IniSettingsStore(const QString &filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::filePath() const {
    return m_settings->fileName();
}

QString IniSettingsStore::read(const QString &app, const QString &section, const QString &key,
                               const QString &defaultValue) const {
    return m_settings->value(groupKey(app, section, key), defaultValue).toString();
}

bool IniSettingsStore::write(const QString &app, const QString &section, const QString &key,
                             const QString &value) {
    const QString path = m_settings->fileName();
    const QString name = groupKey(app, section, key);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // QSettings keeps a failed status for good: start again, so a later write (a Retry) can
    // succeed.
    if (m_settings->status() != QSettings::NoError)
        m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    const QVariant previous = m_settings->value(name);
    m_settings->setValue(name, value);
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    qCWarning(lcSettings).noquote()
        << Error{QStringLiteral("store %1 in").arg(name), path,
                 m_settings->status() == QSettings::AccessError
                     ? QStringLiteral("the file cannot be written")
                     : QStringLiteral("the file is not in the settings format")}
               .text();
    // Unsaved values live on in QSettings' shared cache: put the stored one back for reads.
    if (previous.isValid())
        m_settings->setValue(name, previous);
    else
        m_settings->remove(name);
    return false;
}

QString IniSettingsStore::userStorePath() {
    return configFolder() + QStringLiteral("/user.ini");
}

QString IniSettingsStore::machineStorePath() {
    return configFolder() + QStringLiteral("/machine.ini");
}
