#include "app/windowregistry.h"

void WindowRegistry::setFactory(const QString &name, Factory factory) {
    m_factories.insert(name, std::move(factory));
}

bool WindowRegistry::hasFactory(const QString &name) const {
    return m_factories.contains(name);
}

QWidget *WindowRegistry::open(const QString &name) {
    if (QWidget *w = window(name)) {
        w->show();
        w->raise();
        w->activateWindow();
        return w;
    }
    return replace(name);
}

QWidget *WindowRegistry::replace(const QString &name) {
    const auto factory = m_factories.constFind(name);
    if (factory == m_factories.constEnd())
        return nullptr;
    close(name);
    QWidget *w = (*factory)();
    if (!w)
        return nullptr;
    w->setAttribute(Qt::WA_DeleteOnClose);
    m_open.insert(name, w);
    w->show();
    return w;
}

QWidget *WindowRegistry::window(const QString &name) const {
    return m_open.value(name);
}

void WindowRegistry::close(const QString &name) {
    if (QWidget *w = m_open.take(name)) {
        w->close();
        // Closing may be refused or may not delete (a window without WA_DeleteOnClose).
        if (!w->testAttribute(Qt::WA_DeleteOnClose))
            delete w;
    }
}
