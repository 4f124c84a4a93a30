#include "app/windowregistry.h"

QString WindowRegistry::objectName(WindowId id) {
    switch (id) {
    case WindowId::OverflowNotice:
        return QStringLiteral("Form2");
    case WindowId::ListBuilder:
        return QStringLiteral("Form3");
    case WindowId::HarvestBrowser:
        return QStringLiteral("Form5");
    case WindowId::HelpLauncher:
        return QStringLiteral("Form8");
    case WindowId::Generator:
        return QStringLiteral("frmMake");
    case WindowId::ExtensionSettings:
        return QStringLiteral("frmSettings");
    case WindowId::About:
        return QStringLiteral("frmAbout");
    case WindowId::Splash:
        return QStringLiteral("frmSplash");
    case WindowId::Website:
        return QStringLiteral("frmWebsite");
    case WindowId::WhoisViewer:
        return QStringLiteral("frmWhois");
    }
    return QString();
}

void WindowRegistry::setFactory(WindowId id, Factory factory) {
    m_factories.insert(id, std::move(factory));
}

bool WindowRegistry::hasFactory(WindowId id) const {
    return m_factories.contains(id);
}

QWidget *WindowRegistry::open(WindowId id) {
    if (QWidget *w = window(id)) {
        w->show();
        w->raise();
        w->activateWindow();
        return w;
    }
    return replace(id);
}

QWidget *WindowRegistry::replace(WindowId id) {
    const auto factory = m_factories.constFind(id);
    if (factory == m_factories.constEnd())
        return nullptr;
    close(id);
    QWidget *w = (*factory)();
    if (!w)
        return nullptr;
    w->setAttribute(Qt::WA_DeleteOnClose);
    m_open.insert(id, w);
    w->show();
    return w;
}

QWidget *WindowRegistry::window(WindowId id) const {
    return m_open.value(id);
}

void WindowRegistry::close(WindowId id) {
    if (QWidget *w = m_open.take(id)) {
        w->close();
        // Closing may be refused or may not delete (a window without WA_DeleteOnClose).
        if (!w->testAttribute(Qt::WA_DeleteOnClose))
            delete w;
    }
}
