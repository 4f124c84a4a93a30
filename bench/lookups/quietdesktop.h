#pragma once

#include "core/desktop.h"

// A desktop for benchmark runs: nobody answers, nothing opens; messages are dropped.
class QuietDesktop : public Desktop {
public:
    Answer message(const QString &, const QString &, Icon, Buttons) override { return Answer::Ok; }
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
    QString clipboardText() const override { return {}; }
    void setClipboardText(const QString &) override {}
    void openUrl(const QString &) override {}
    void openFile(const QString &) override {}
};
