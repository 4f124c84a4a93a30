#pragma once

#include <QString>
#include <optional>

// Everything that talks to the user's desktop rather than to our own windows: message boxes,
// file dialogs, the clipboard and the default handler for addresses and files. The real one
// uses Qt's widgets; tests substitute a recorder that answers from a script, so no test ever
// blocks on a modal dialog.
class Desktop {
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Buttons { Ok, AbortRetryIgnore, YesNo };
    enum class Answer { Ok, Abort, Retry, Ignore, Yes, No };

    // What a save dialog returned: the path ("" when cancelled) and the filter chosen.
    struct SaveChoice {
        QString path;
        QString filter;
    };

    virtual ~Desktop() = default;

    virtual Answer message(const QString &title, const QString &text, Icon icon = Icon::None,
                           Buttons buttons = Buttons::Ok) = 0;
    // Both dialogs return "" when the user cancels.
    virtual QString openFileName(const QString &folder, const QString &filter) = 0;
    virtual QString saveFileName(const QString &proposedPath, const QString &filter) = 0;
    // A save dialog that leaves the question of replacing a file to the caller, which asks it
    // under the name it really writes (it may add a suffix). A desktop without dialogs
    // answers as cancelled.
    virtual SaveChoice chooseSaveFile(const QString &proposedPath, const QString &filters) {
        Q_UNUSED(proposedPath);
        Q_UNUSED(filters);
        return {};
    }
    // A line of text, starting from `current`; nothing when the user cancels. A desktop without
    // dialogs answers as cancelled.
    virtual std::optional<QString> askText(const QString &title, const QString &label,
                                           const QString &current) {
        Q_UNUSED(title);
        Q_UNUSED(label);
        Q_UNUSED(current);
        return std::nullopt;
    }
    virtual QString clipboardText() const = 0;
    virtual void setClipboardText(const QString &text) = 0;
    virtual void openUrl(const QString &address) = 0;
    virtual void openFile(const QString &path) = 0;
};
