#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

// Reading list files: one entry per non-empty line, entries numbered from 1.
//
// Entry reads keep an index of line offsets, rebuilt when the file's size or modification time
// changes, so reading entry 400,000 costs the same as reading entry 1.
class ListFile {
public:
    static const QString EndMarker; // "endoffileffile"

    // Number of entries (non-empty lines, the last one counted even without a line break).
    static int countListEntries(const QString &path);

    // The n-th entry of the file (1-based); EndMarker when there is none or the file cannot be
    // read; "" for n <= 0. `opened` (when given) is false when the file could not be read.
    QString nextListEntry(const QString &path, int n, bool *opened = nullptr);

private:
    bool refreshIndex(const QString &path);

    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    QVector<qint64> m_offsets; // start offset of every entry
};
