#pragma once

#include "core/branding.h"
#include "core/programfolder.h"
#include "whois/registrartable.h"
#include "whois/replyrules.h"
#include "core/timing.h"

#include <QString>

class Desktop;
class SettingsStore;

// The process-wide values of one Kestrin process, created by main() (or by a test) and handed
// to every window and engine. Nothing here is a global.
struct AppContext {
    ProgramFolder folder;
    Branding branding;
    VendorHosts hosts;
    Timing timing;
    SettingsStore *userStore = nullptr;
    SettingsStore *machineStore = nullptr;
    Desktop *desktop = nullptr;

    RegistrarTable registrars;
    ReplyRules replyRules; // replyrules.txt: how each registry's reply reads
    WhoisOptions whois;  // ProxySwitch and DefaultExtension
    QString WhoisName;   // the name the WHOIS viewer asks about
    QString WebsiteMode; // what the website window opens: "Website" or ""

    // Per-user store helpers for the two application names the settings use.
    static inline const QString PositionsApp = QStringLiteral("Orvane");
    static inline const QString Section = QStringLiteral("Settings");
    QString productApp() const { return branding.ProductName; }
};
