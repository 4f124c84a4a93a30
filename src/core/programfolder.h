#pragma once

#include "core/searchtype.h"

#include <QString>

// The folder Kestrin keeps its files in, and the one way to form paths inside it.
//
// Paths are given as relative names that start with a backslash and may use any letter case
// ("\Wordlists\FullWordList.txt", "\wordlists"); on a case-sensitive file system each
// component is matched against what exists, so every spelling reaches the same file.
class ProgramFolder {
public:
    ProgramFolder() = default;
    explicit ProgramFolder(const QString &root);

    QString root() const { return m_root; }
    bool isNull() const { return m_root.isEmpty(); }

    // The full path of `relative` ("\backups\x.txt", "/backups/x.txt" or "backups\x.txt").
    // Existing components are matched without regard to case; missing ones keep the given
    // spelling.
    QString path(const QString &relative) const;
    // A file Kestrin only reads: the one in this folder when it exists (a user's own copy
    // wins), else the installed program's copy when there is one, else the path here.
    QString dataFile(const QString &relative) const;
    // The installed program's read-only data folder; "" for a program run from its build.
    QString installedData() const { return m_installedData; }

    // The folder of the executable, or, when that folder cannot be written or the program is
    // installed (`installedDataDir` exists), the per-user data folder. An installed program's
    // read-only files (word lists, help, start page) stay in `installedDataDir` and are read
    // from there: see dataFile.
    static ProgramFolder forApplication(const QString &executableDir,
                                        const QString &installedDataDir);
    // The same choice without creating, probing or seeding anything (a run that must not
    // touch the program folder only reads from it).
    static ProgramFolder locate(const QString &executableDir, const QString &installedDataDir);

    // The files and folders Kestrin keeps here, by role.
    QString wordList(SearchType type) const; // the four built lists; "" for other types
    QString wordListFolder() const;          // "wordlists"
    QString browserSearchList() const;       // the list builder's list, "BrowserSearch.txt"
    QString createdDomains() const;          // the generator's list, "CreatedDomains.txt"
    QString appendsFile() const;             // the generator's words, "Appends.txt"
    QString savedList() const;               // the Saved list, "Remembered.txt"
    QString registrarsFile() const;          // "registrars.txt"
    QString replyRulesFile() const;          // "replyrules.txt"
    QString helpFile() const;                // "Help.chm"
    QString startPage() const;               // the browser's start page, "BrowseStart.html"
    QString searchOutput() const;            // the harvester's scratch file, "SearchOutput.txt"
    QString customListsFolder() const;       // where the generator offers to save, "CustomLists"
    // Created at start-up when missing.
    QStringList startupFiles() const;
    QStringList startupFolders() const;

private:
    QString m_root;
    QString m_installedData;
};
