#pragma once

#include <QFile>
#include <QString>
#include <QVector>

// Reading list files: one entry per non-empty line, entries numbered from 1.
//
// Entry reads keep an index of line offsets and the file open, both renewed when the file's
// identity, size or modification time changes, so reading entry 400,000 costs the same as
// reading entry 1 and no entry costs an open.
class ListFile {
public:
    static const QString EndMarker; // "endoffileffile"

    // Number of entries (non-empty lines, the last one counted even without a line break).
    static int countListEntries(const QString &path);

    // The n-th entry of the file (1-based); EndMarker when there is none or the file cannot be
    // read; "" for n <= 0. `opened` (when given) is false when the file could not be read.
    QString nextListEntry(const QString &path, int n, bool *opened = nullptr);
    // Lets go of the file kept open between entry reads (a run has ended).
    void close();

private:
    // What tells a changed file from the indexed one.
    struct Identity {
        qint64 size = -1;
        qint64 modifiedNs = 0;
        quint64 inode = 0; // a file replaced by rename keeps its size but not its inode
        bool operator==(const Identity &) const = default;
    };
    static bool identify(const QString &path, Identity *identity);
    bool refreshIndex(const QString &path);

    QString m_path;
    Identity m_identity;
    QFile m_file;
    QVector<qint64> m_offsets; // start offset of every entry
};
