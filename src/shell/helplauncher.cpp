#include "shell/helplauncher.h"

#include "session/appcontext.h"
#include "session/permissionquestion.h"
#include "core/desktop.h"
#include "core/filehelpers.h"
#include "core/machinesettings.h"
#include "core/settingsstore.h"

HelpLauncher::HelpLauncher(AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("Form8"));
    resize(0, 0);
    // Whoever opens the launcher shows it; it still never reaches the screen.
    setAttribute(Qt::WA_DontShowOnScreen);

    const QString help = helpPath(context);
    if (!Files::fileExists(help) || !context.desktop)
        return;
    context.desktop->openFile(help);
    const QString key = QStringLiteral("showHelp");
    const QString zero = QStringLiteral("0");
    if (context.userStore)
        context.userStore->write(context.productApp(), AppContext::Section, key, zero);
    if (context.machineStore && context.userStore) {
        MachineSettings machine(*context.machineStore, *context.userStore,
                                context.branding.CompanyName, context.branding.ProductName);
        PermissionQuestion(machine, *context.desktop)
            .save(context.productApp(), AppContext::Section, key, zero);
    }
}

QString HelpLauncher::helpPath(const AppContext &context) {
    return context.folder.helpFile();
}
