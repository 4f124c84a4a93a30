#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

// The windows other than the main window, by role.
enum class WindowId {
    OverflowNotice,
    ListBuilder,
    HarvestBrowser,
    HelpLauncher,
    Generator,
    ExtensionSettings,
    About,
    Splash,
    Website,
    WhoisViewer,
};

// The windows the main window opens. Each subsystem registers a factory at start-up, so the
// main window needs no link to them; a window without a factory opens nothing. Every window
// opens modeless and is destroyed when closed.
class WindowRegistry {
public:
    using Factory = std::function<QWidget *()>;

    // The documented objectName of a window ("Form5", "frmMake", ...).
    static QString objectName(WindowId id);

    void setFactory(WindowId id, Factory factory);
    bool hasFactory(WindowId id) const;
    // Shows the open window, or creates and shows a new one; nullptr without factory.
    QWidget *open(WindowId id);
    // Closes the open window, then creates and shows a new one.
    QWidget *replace(WindowId id);
    // The open window, or nullptr.
    QWidget *window(WindowId id) const;
    void close(WindowId id);
    // Keeps track of a window created elsewhere (the splash window, a WHOIS viewer) so close()
    // reaches it.
    void adopt(WindowId id, QWidget *window) { m_open.insert(id, window); }

private:
    QHash<WindowId, Factory> m_factories;
    QHash<WindowId, QPointer<QWidget>> m_open;
};
