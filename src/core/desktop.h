#pragma once

#include <QString>

// Everything that talks to the user's desktop rather than to our own windows: message boxes,
// file dialogs, the clipboard and the default handler for addresses and files. The real one
// uses Qt's widgets; tests substitute a recorder that answers from a script, so no test ever
// blocks on a modal dialog.
class Desktop {
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Buttons { Ok, AbortRetryIgnore, YesNo };
    enum class Answer { Ok, Abort, Retry, Ignore, Yes, No };

    virtual ~Desktop() = default;

    virtual Answer message(const QString &title, const QString &text, Icon icon = Icon::None,
                           Buttons buttons = Buttons::Ok) = 0;
    // Both dialogs return "" when the user cancels.
    virtual QString openFileName(const QString &folder, const QString &filter) = 0;
    virtual QString saveFileName(const QString &proposedPath, const QString &filter) = 0;
    virtual QString clipboardText() const = 0;
    virtual void setClipboardText(const QString &text) = 0;
    virtual void openUrl(const QString &address) = 0;
    virtual void openFile(const QString &path) = 0;
};
