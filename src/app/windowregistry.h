#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

// The windows the main window opens by name ("frmMake", "Form5", "frmSettings", ...). Each
// subsystem registers a factory at start-up, so the main window needs no link to them; a name
// without a factory opens nothing. Every window opens modeless and is destroyed when closed.
class WindowRegistry {
public:
    using Factory = std::function<QWidget *()>;

    void setFactory(const QString &name, Factory factory);
    bool hasFactory(const QString &name) const;
    // Shows the open window of that name, or creates and shows a new one; nullptr without
    // factory.
    QWidget *open(const QString &name);
    // Closes an open window of that name, then creates and shows a new one.
    QWidget *replace(const QString &name);
    // The open window of that name, or nullptr.
    QWidget *window(const QString &name) const;
    void close(const QString &name);
    // Keeps track of a window created elsewhere (the splash window) so close() reaches it.
    void adopt(const QString &name, QWidget *window) { m_open.insert(name, window); }

private:
    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<QWidget>> m_open;
};
