#pragma once

#include <QString>

class Desktop;
class SettingsStore;

// An error raised by GetMachineSetting, with the number and description of the original.
struct MachineSettingError {
    quint32 number;
    QString source;
    QString description;
};

// The machine store's two helpers. GetMachineSetting throws MachineSettingError for an empty
// application, section or key; a missing value is not an error and yields the default.
// SaveMachineSetting never throws; a failed write asks "Permission Denied" (Abort, Retry,
// Ignore) unless the user has chosen Ignore before.
class MachineSettings {
public:
    MachineSettings(SettingsStore &machineStore, SettingsStore &userStore, Desktop &desktop,
                    const QString &companyName, const QString &productName);

    QString getMachineSetting(const QString &app, const QString &section, const QString &key,
                              const QString &defaultValue) const;
    void saveMachineSetting(const QString &app, const QString &section, const QString &key,
                            const QString &value);

private:
    SettingsStore &m_machine;
    SettingsStore &m_user;
    Desktop &m_desktop;
    QString m_company;
    QString m_product;
};
