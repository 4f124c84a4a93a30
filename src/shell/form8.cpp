#include "form8.h"

#include "appcontext.h"
#include "desktop.h"
#include "filehelpers.h"
#include "machinesettings.h"
#include "settingsstore.h"

Form8::Form8(AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("Form8"));
    resize(0, 0);
    // Whoever opens the launcher shows it; it still never reaches the screen.
    setAttribute(Qt::WA_DontShowOnScreen);

    const QString help = helpPath(context);
    if (!xfileExists(help) || !context.desktop)
        return;
    context.desktop->openFile(help);
    const QString key = QStringLiteral("showHelp");
    const QString zero = QStringLiteral("0");
    if (context.userStore)
        context.userStore->write(context.productApp(), AppContext::Section, key, zero);
    if (context.machineStore && context.userStore) {
        MachineSettings machine(*context.machineStore, *context.userStore, *context.desktop,
                                context.branding.CompanyName, context.branding.ProductName);
        machine.SaveMachineSetting(context.productApp(), AppContext::Section, key, zero);
    }
}

QString Form8::helpPath(const AppContext &context) {
    return context.folder.path(QStringLiteral("\\Help.chm"));
}
