#pragma once

#include "core/result.h"

#include <QString>
#include <QStringList>

// Appends.txt: the generator's prefix/suffix words, one per line, in the order they were added.
class AppendsFile {
public:
    explicit AppendsFile(const QString &path);

    QString path() const { return m_path; }
    bool exists() const;
    // Creates the file empty.
    Result<> create() const;
    // The words of the file without its blank lines ("" and " "), in file order; none when the
    // file cannot be read (logged).
    QStringList words() const;
    // Adds `word` as a new last line, as typed (no check for empty text or duplicates).
    Result<> add(const QString &word) const;
    // Removes every line equal to `word` (exact comparison) and rewrites the file.
    Result<> remove(const QString &word) const;

private:
    QString m_path;
};
