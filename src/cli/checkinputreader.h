#pragma once

#include "cli/checkinput.h"

#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QFile;
class QIODevice;

// The names of `kestrin check`, read one line at a time from the files in order ("-" and an
// empty list: standard input), so a run of any length holds only the lines it is working on.
// A line longer than any domain name can be is refused as "not a domain name" without being
// kept whole, and the next line is read as usual.
//
// Standard input is read with blocking reads: a producer that pauses pauses the run with it.
class CheckInputReader {
public:
    // Longer lines are no domain name, even with a note after a tab.
    static constexpr qsizetype MaxLineBytes = 1024;

    CheckInputReader(const QStringList &files, QIODevice &standardInput,
                     const QStringList &extensions, const QString &defaultExtension,
                     DomainName::Delegated delegated = {});
    ~CheckInputReader();

    // Opens every file at once, so a missing one stops the run before its first lookup.
    // Returns "cannot read FILE: ..." or "".
    QString open();
    // The next name, or nothing at the end of the input or at a read error (see error()).
    std::optional<CheckItem> next();
    QString error() const { return m_error; }
    bool atEnd() const { return m_ended; }

private:
    // The next line without its line end; `tooLong` when it was cut at the cap.
    std::optional<QByteArray> nextLine(bool &tooLong);

    QStringList m_files;
    QIODevice &m_standardInput;
    QStringList m_extensions;
    QString m_defaultExtension;
    DomainName::Delegated m_delegated;
    std::vector<std::unique_ptr<QFile>> m_opened;
    std::vector<QIODevice *> m_sources; // in reading order
    size_t m_source = 0;
    std::deque<CheckItem> m_pending; // the items of the line read last
    QString m_error;
    bool m_ended = false;
};
