#pragma once

#include "form1.h"
#include "testcontext.h"

#include <QStringList>
#include <QWidget>
#include <memory>

// A main window over a fresh temporary program folder, with a recording desktop and short
// intervals. Windows of other subsystems are stood in for by plain widgets whose opening is
// recorded in `opened`.
struct Form1Fixture : TestContext {
    std::unique_ptr<Form1> form;
    QStringList opened;

    Form1Fixture()
        : TestContext(10) {}

    Form1 &create() {
        form = std::make_unique<Form1>(ctx);
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

    Form1 &start() {
        create().load();
        return *form;
    }

    template <typename T> T *child(const QString &name) const { return form->findChild<T *>(name); }
};
