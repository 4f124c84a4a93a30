#pragma once

#include "core/result.h"

#include <QString>

class SettingsStore;

// The machine store's two helpers. getMachineSetting fails for an empty application, section or
// key (the error carries the documented number in Error::code); a missing value is not an error
// and yields the default. saveMachineSetting makes one attempt and reports a refused write; the
// caller decides whether to ask the user and retry (see PermissionQuestion on the window side).
class MachineSettings {
public:
    // A stored switch: a non-zero number or "true" (any case) is on.
    static bool isTrue(const QString &text);

    // Error numbers of getMachineSetting's emptiness checks.
    static constexpr quint32 EmptyAppName = 0x800403E8;
    static constexpr quint32 EmptySection = 0x800403E9;
    static constexpr quint32 EmptyKey = 0x800403EA;

    MachineSettings(SettingsStore &machineStore, SettingsStore &userStore,
                    const QString &companyName, const QString &productName);

    Result<QString> getMachineSetting(const QString &app, const QString &section,
                                      const QString &key, const QString &defaultValue) const;
    Result<> saveMachineSetting(const QString &app, const QString &section, const QString &key,
                                const QString &value);

    // The user's "Ignore" to the "Permission Denied" question, kept in the per-user store so
    // that later failed writes are given up without asking.
    bool permissionErrorsIgnored() const;
    void ignorePermissionErrors();

    QString productName() const { return m_product; }

private:
    SettingsStore &m_machine;
    SettingsStore &m_user;
    QString m_company;
    QString m_product;
};
