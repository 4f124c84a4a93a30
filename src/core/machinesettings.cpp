#include "core/machinesettings.h"

#include "core/desktop.h"
#include "core/settingsstore.h"

namespace {
const QString kUserApp = QStringLiteral("Kestrin");
const QString kUserSection = QStringLiteral("Settings");
const QString kIgnoreKey = QStringLiteral("IgnorePermissionDeniedError");

void requireNonEmpty(const QString &value, quint32 number, const char *description) {
    if (value.trimmed().isEmpty())
        throw MachineSettingError{number, QStringLiteral("MachineSettings"),
                                  QString::fromLatin1(description)};
}
} // namespace

MachineSettings::MachineSettings(SettingsStore &machineStore, SettingsStore &userStore,
                                 Desktop &desktop, const QString &companyName,
                                 const QString &productName)
    : m_machine(machineStore)
    , m_user(userStore)
    , m_desktop(desktop)
    , m_company(companyName)
    , m_product(productName) {}

QString MachineSettings::getMachineSetting(const QString &app, const QString &section,
                                           const QString &key, const QString &defaultValue) const {
    requireNonEmpty(app, 0x800403E8, "AppName may not be empty");
    requireNonEmpty(section, 0x800403E9, "Section may not be empty");
    requireNonEmpty(key, 0x800403EA, "Key may not be empty");
    // The company is the outer level, as in "SOFTWARE\company\app\section".
    return m_machine.read(m_company.trimmed() + QLatin1Char('/') + app.trimmed(), section.trimmed(),
                          key, defaultValue);
}

void MachineSettings::saveMachineSetting(const QString &app, const QString &section,
                                         const QString &key, const QString &value) {
    const QString fullApp = m_company.trimmed() + QLatin1Char('/') + app.trimmed();
    while (!m_machine.write(fullApp, section.trimmed(), key, value)) {
        if (m_user.read(kUserApp, kUserSection, kIgnoreKey, QStringLiteral("0")) ==
            QLatin1String("1"))
            return;
        const QString text =
            m_product +
            QStringLiteral(
                " requires read/write access to the system registry and hard drive in order to "
                "run properly.  This user account does not have the proper permissions set.  As "
                "a result some or all of your settings may not be properly saved.  Please "
                "contact your system administrator or change the permission settings for this "
                "account.\r\n\r\nIf you would like to prevent this error message from being "
                "displayed again, please press 'Ignore'.");
        const Desktop::Answer answer =
            m_desktop.message(QStringLiteral("Permission Denied"), text, Desktop::Icon::None,
                              Desktop::Buttons::AbortRetryIgnore);
        if (answer == Desktop::Answer::Retry)
            continue;
        if (answer == Desktop::Answer::Ignore)
            m_user.write(kUserApp, kUserSection, kIgnoreKey, QStringLiteral("1"));
        return;
    }
}
