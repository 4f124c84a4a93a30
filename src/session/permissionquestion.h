#pragma once

#include "core/result.h"

#include <QString>
#include <functional>

class Desktop;
class MachineSettings;

// How the windows store a machine setting. The store itself only reports a refused write; here
// the user is asked "Permission Denied" (Abort, Retry, Ignore) through Desktop, unless they
// chose Ignore before. Retry repeats the write, Abort gives it up, Ignore gives it up and keeps
// later failures from asking again.
class PermissionQuestion {
public:
    PermissionQuestion(MachineSettings &settings, Desktop &desktop);

    // Whether the value was stored in the end.
    bool save(const QString &app, const QString &section, const QString &key, const QString &value);
    // The same for any write that goes to the machine store (the generator's options).
    bool save(const std::function<Result<>()> &write);

    static QString text(const QString &productName);

private:
    MachineSettings &m_settings;
    Desktop &m_desktop;
};
