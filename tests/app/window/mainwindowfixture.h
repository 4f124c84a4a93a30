#pragma once

#include "app/mainwindow.h"
#include "testcontext.h"

#include <QStringList>
#include <QWidget>
#include <memory>

// A main window over a fresh temporary program folder, with a recording desktop and short
// intervals. Windows of other subsystems are stood in for by plain widgets whose opening is
// recorded in `opened`.
struct MainWindowFixture : TestContext {
    std::unique_ptr<MainWindow> form;
    QStringList opened;

    MainWindowFixture()
        : TestContext(10) {}

    MainWindow &create() {
        form = std::make_unique<MainWindow>(ctx);
        for (const char *name :
             {"Form3", "Form5", "Form8", "frmMake", "frmSettings", "frmAbout", "frmWebsite"}) {
            const QString n = QString::fromLatin1(name);
            form->windows().setFactory(n, [this, n] {
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
