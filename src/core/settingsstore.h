#pragma once

#include <QString>
#include <memory>

class QSettings;

// A store of string settings addressed by application, section and key. Kestrin keeps two:
// the per-user store and the machine store; both are QSettings INI files so they behave the
// same on every platform and tests can point them into a temporary folder.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString &app, const QString &section, const QString &key,
                         const QString &defaultValue) const = 0;
    // False when the value could not be stored (read-only file, full disk).
    virtual bool write(const QString &app, const QString &section, const QString &key,
                       const QString &value) = 0;
};

class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(const QString &filePath);
    ~IniSettingsStore() override;

    QString filePath() const;
    QString read(const QString &app, const QString &section, const QString &key,
                 const QString &defaultValue) const override;
    bool write(const QString &app, const QString &section, const QString &key,
               const QString &value) override;

    // Where the per-user and the machine store live for the current user.
    static QString userStorePath();
    static QString machineStorePath();

private:
    std::unique_ptr<QSettings> m_settings;
};
