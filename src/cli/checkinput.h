#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

// One name to check, in input order. A line that cleans to nothing is kept with a problem, so
// the output still has a line for it.
struct CheckItem {
    QString name;    // the name looked up (cleaned, with its extension)
    QString problem; // why it is not looked up, "" when it is
};

struct CheckInput {
    QStringList lines; // every line read, in order
    QString error;     // "cannot read FILE: ..." when a file could not be read
};

// Reads the lines of every file in order; "-" (and an empty list) reads `standardInput`.
CheckInput readCheckInput(const QStringList &files, QIODevice &standardInput);

// The names to check: blank lines and "#" comments skipped, each line cleaned as a word-list
// entry is, a bare word completed with each of `extensions` (lower case, no dot) or, when there
// are none, with `defaultExtension` (".com").
QList<CheckItem> checkItems(const QStringList &lines, const QStringList &extensions,
                            const QString &defaultExtension);
