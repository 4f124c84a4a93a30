#include "core/machinesettings.h"

#include "core/corelog.h"
#include "core/settingsstore.h"

namespace {
const QString kUserApp = QStringLiteral("Kestrin");
const QString kUserSection = QStringLiteral("Settings");
const QString kIgnoreKey = QStringLiteral("IgnorePermissionDeniedError");

std::optional<Error> emptinessError(const QString &value, quint32 number, const char *description,
                                    const QString &key) {
    if (!value.trimmed().isEmpty())
        return std::nullopt;
    return Error{QStringLiteral("read the machine setting"), key, QString::fromLatin1(description),
                 0, number};
}
} // namespace

MachineSettings::MachineSettings(SettingsStore &machineStore, SettingsStore &userStore,
                                 const QString &companyName, const QString &productName)
    : m_machine(machineStore)
    , m_user(userStore)
    , m_company(companyName)
    , m_product(productName) {}

Result<QString> MachineSettings::getMachineSetting(const QString &app, const QString &section,
                                                   const QString &key,
                                                   const QString &defaultValue) const {
    const QString where = app + QLatin1Char('/') + section + QLatin1Char('/') + key;
    for (const auto &error :
         {emptinessError(app, EmptyAppName, "AppName may not be empty", where),
          emptinessError(section, EmptySection, "Section may not be empty", where),
          emptinessError(key, EmptyKey, "Key may not be empty", where)}) {
        if (error) {
            qCWarning(lcSettings).noquote() << error->text();
            return *error;
        }
    }
    // The company is the outer level, as in "SOFTWARE\company\app\section".
    return m_machine.read(m_company.trimmed() + QLatin1Char('/') + app.trimmed(), section.trimmed(),
                          key, defaultValue);
}

Result<> MachineSettings::saveMachineSetting(const QString &app, const QString &section,
                                             const QString &key, const QString &value) {
    const QString fullApp = m_company.trimmed() + QLatin1Char('/') + app.trimmed();
    if (m_machine.write(fullApp, section.trimmed(), key, value))
        return {};
    const Error error{QStringLiteral("save the machine setting"),
                      fullApp + QLatin1Char('/') + section.trimmed() + QLatin1Char('/') + key,
                      QStringLiteral("the machine store refused the write")};
    qCWarning(lcSettings).noquote() << error.text();
    return error;
}

bool MachineSettings::permissionErrorsIgnored() const {
    return m_user.read(kUserApp, kUserSection, kIgnoreKey, QStringLiteral("0")) ==
           QLatin1String("1");
}

void MachineSettings::ignorePermissionErrors() {
    if (!m_user.write(kUserApp, kUserSection, kIgnoreKey, QStringLiteral("1")))
        qCWarning(lcSettings) << "Could not store" << kIgnoreKey << "in the per-user store";
}

bool MachineSettings::isTrue(const QString &text) {
    bool number = false;
    const int value = text.trimmed().toInt(&number);
    return number ? value != 0
                  : text.trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}
