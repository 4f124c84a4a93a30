#pragma once

#include "appcontext.h"
#include "desktoprecorder.h"
#include "machinesettings.h"
#include "tempprogramfolder.h"

// A context for the shell windows: a fresh program folder with its stores, a recording
// desktop and shrunk intervals.
struct ShellFixture {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    AppContext ctx;

    ShellFixture() {
        ctx.folder = temp.folder();
        ctx.branding = LoadBranding();
        ctx.hosts = LoadVendorHosts();
        ctx.timing = Timing::shrunk(20);
        ctx.userStore = &temp.userStore();
        ctx.machineStore = &temp.machineStore();
        ctx.desktop = &desktop;
        ctx.registrars.setFilePath(ctx.folder.path(QStringLiteral("\\registrars.txt")));
    }

    QString userSetting(const QString &key) const {
        return ctx.userStore->read(ctx.productApp(), AppContext::Section, key, QStringLiteral("-"));
    }
    MachineSettings machine() {
        return MachineSettings(*ctx.machineStore, *ctx.userStore, desktop, ctx.branding.CompanyName,
                               ctx.branding.ProductName);
    }
    QString machineSetting(const QString &key) {
        return machine().GetMachineSetting(ctx.productApp(), AppContext::Section, key,
                                           QStringLiteral("-"));
    }
};
