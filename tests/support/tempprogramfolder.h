#pragma once

#include "core/programfolder.h"
#include "core/settingsstore.h"
#include "core/timing.h"

#include <QTemporaryDir>
#include <memory>

// A fresh program folder in a temporary directory, with both settings stores inside it, for
// one test. Everything is removed when it goes out of scope.
class TempProgramFolder {
public:
    TempProgramFolder();

    QString root() const { return m_dir.path(); }
    ProgramFolder folder() const { return ProgramFolder(m_dir.path()); }
    QString path(const QString &relative) const { return folder().path(relative); }
    IniSettingsStore &userStore() { return *m_user; }
    IniSettingsStore &machineStore() { return *m_machine; }

    // Writes a file (creating folders), bytes as given.
    void writeFile(const QString &relative, const QByteArray &content) const;
    QByteArray readFile(const QString &relative) const;
    // Copies the built word lists into "\wordlists" (from the build's program folder).
    void installWordLists() const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<IniSettingsStore> m_user;
    std::unique_ptr<IniSettingsStore> m_machine;
};
