#pragma once

#include "core/desktop.h"

#include <QPointer>
#include <QWidget>

// The real desktop: Qt's message boxes and file dialogs, the system clipboard and the default
// handlers for addresses and files.
class WidgetDesktop : public Desktop {
public:
    explicit WidgetDesktop(QWidget *dialogParent = nullptr);

    // Dialogs are centred on this window when set.
    void setDialogParent(QWidget *parent) { m_parent = parent; }

    Answer message(const QString &title, const QString &text, Icon icon = Icon::None,
                   Buttons buttons = Buttons::Ok) override;
    QString openFileName(const QString &folder, const QString &filter) override;
    QString saveFileName(const QString &proposedPath, const QString &filter) override;
    SaveChoice chooseSaveFile(const QString &proposedPath, const QString &filters) override;
    std::optional<QString> askText(const QString &title, const QString &label,
                                   const QString &current) override;
    QString clipboardText() const override;
    void setClipboardText(const QString &text) override;
    void openUrl(const QString &address) override;
    void openFile(const QString &path) override;

private:
    QPointer<QWidget> m_parent;
};
