#pragma once

#include "app/mainwindow.h"
#include "session/searchsession.h"
#include "testcontext.h"

#include <QStringList>
#include <QWidget>
#include <memory>

// A main window presenting a session over a fresh temporary program folder, with a recording
// desktop and short intervals. Windows of other subsystems are stood in for by plain widgets
// whose opening is recorded, by objectName, in `opened`.
struct MainWindowFixture : TestContext {
    std::unique_ptr<SearchSession> session;
    std::unique_ptr<MainWindow> form;
    QStringList opened;

    MainWindowFixture()
        : TestContext(10) {}
    ~MainWindowFixture() { form.reset(); }

    MainWindow &create() {
        form.reset();
        session = std::make_unique<SearchSession>(ctx);
        form = std::make_unique<MainWindow>(*session);
        for (WindowId id : {WindowId::ListBuilder, WindowId::HarvestBrowser, WindowId::HelpLauncher,
                            WindowId::Generator, WindowId::ExtensionSettings, WindowId::About,
                            WindowId::Website}) {
            const QString n = WindowRegistry::objectName(id);
            form->windows().setFactory(id, [this, n] {
                opened << n;
                auto *w = new QWidget(form.get(), Qt::Window);
                w->setObjectName(n);
                return w;
            });
        }
        return *form;
    }

    MainWindow &start() {
        create().load();
        return *form;
    }

    template <typename T> T *child(const QString &name) const { return form->findChild<T *>(name); }
};
