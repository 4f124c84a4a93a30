#pragma once

#include "testcontext.h"

// A context for the shell windows, with a reader for the per-user settings they write.
struct ShellFixture : TestContext {
    QString userSetting(const QString &key) const {
        return ctx.userStore->read(ctx.productApp(), AppContext::Section, key, QStringLiteral("-"));
    }
};
