#include "session/permissionquestion.h"

#include "session/applog.h"
#include "core/desktop.h"
#include "core/machinesettings.h"

PermissionQuestion::PermissionQuestion(MachineSettings &settings, Desktop &desktop)
    : m_settings(settings)
    , m_desktop(desktop) {}

bool PermissionQuestion::save(const QString &app, const QString &section, const QString &key,
                              const QString &value) {
    return save([&] { return m_settings.saveMachineSetting(app, section, key, value); });
}

bool PermissionQuestion::save(const std::function<Result<>()> &write) {
    for (;;) {
        const Result<> result = write();
        if (result.ok())
            return true;
        if (m_settings.permissionErrorsIgnored()) {
            qCDebug(lcApp) << "Permission errors ignored by the user; the setting is not saved";
            return false;
        }
        const Desktop::Answer answer =
            m_desktop.message(QStringLiteral("Permission Denied"), text(m_settings.productName()),
                              Desktop::Icon::None, Desktop::Buttons::AbortRetryIgnore);
        if (answer == Desktop::Answer::Retry)
            continue;
        if (answer == Desktop::Answer::Ignore)
            m_settings.ignorePermissionErrors();
        return false;
    }
}

QString PermissionQuestion::text(const QString &productName) {
    return productName +
           QStringLiteral(
               " requires read/write access to the system registry and hard drive in order to "
               "run properly.  This user account does not have the proper permissions set.  As "
               "a result some or all of your settings may not be properly saved.  Please "
               "contact your system administrator or change the permission settings for this "
               "account.\r\n\r\nIf you would like to prevent this error message from being "
               "displayed again, please press 'Ignore'.");
}
