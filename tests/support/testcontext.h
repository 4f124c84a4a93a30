#pragma once

#include "session/appcontext.h"
#include "core/machinesettings.h"
#include "desktoprecorder.h"
#include "tempprogramfolder.h"
#include "whois/dnssettings.h"

// A context for window tests: a fresh program folder with both settings stores, a recording
// desktop, the real vendor configuration and intervals shrunk to `tickMs`. DNS first is off: a
// search must never ask the machine's resolver (a suite that wants it names a loopback one).
// (Header only: the suites that use it link the main window's libraries, the support library
// does not.)
struct TestContext {
    TempProgramFolder tmp;
    DesktopRecorder desktop;
    AppContext ctx;

    explicit TestContext(int tickMs = 20) {
        ctx.folder = tmp.folder();
        ctx.branding = loadBranding();
        ctx.hosts = loadVendorHosts();
        ctx.timing = Timing::shrunk(tickMs);
        ctx.userStore = &tmp.userStore();
        ctx.machineStore = &tmp.machineStore();
        ctx.desktop = &desktop;
        ctx.registrars.setFilePath(ctx.folder.path(QStringLiteral("\\registrars.txt")));
        if (!DnsSettings{false, {}}.write(*ctx.userStore, ctx.productApp()))
            qFatal("cannot turn DNS first off in the test's user store");
    }

    MachineSettings machine() {
        return MachineSettings(*ctx.machineStore, *ctx.userStore, ctx.branding.CompanyName,
                               ctx.branding.ProductName);
    }
    QString machineSetting(const QString &key, const QString &defaultValue = QStringLiteral("-")) {
        return machine()
            .getMachineSetting(ctx.productApp(), AppContext::Section, key, defaultValue)
            .valueOr(defaultValue);
    }
    void setMachineSetting(const QString &key, const QString &value) {
        const Result<> saved =
            machine().saveMachineSetting(ctx.productApp(), AppContext::Section, key, value);
        if (saved.failed())
            qFatal("%s", qPrintable(saved.error().text()));
    }
};
