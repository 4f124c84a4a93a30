#pragma once

#include "core/desktop.h"

// The desktop of a run without a window: messages go to standard error, dialogs are answered
// as cancelled, and nothing is opened.
class ConsoleDesktop : public Desktop {
public:
    Answer message(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
    QString clipboardText() const override { return {}; }
    void setClipboardText(const QString &) override {}
    void openUrl(const QString &) override {}
    void openFile(const QString &) override {}
};
