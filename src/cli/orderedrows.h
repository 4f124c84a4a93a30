#pragma once

#include "cli/checkoutput.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryFile>
#include <optional>
#include <vector>

// Puts rows back in input order. A row that comes before its turn is held: up to `memoryRows`
// in memory, then the held rows go to a temporary file as one sorted run, and are read back
// through a small buffer per run when their turn comes. A name waiting for its retry holds
// every row after it until the end of the run, so without the file a long input would be held
// whole in memory.
class OrderedRows {
public:
    static constexpr qsizetype DefaultMemoryRows = 20000;

    explicit OrderedRows(qsizetype memoryRows = DefaultMemoryRows);

    // Holds the row of `index` (each index once, none before nextIndex()). False when the
    // temporary file cannot be written; error() says why.
    bool add(qint64 index, const CheckRow &row);
    // The row whose turn it is, when it is here; the turn moves on.
    std::optional<CheckRow> takeNext();
    qint64 nextIndex() const { return m_next; }
    qint64 held() const { return m_memory.size() + m_spilled; }
    QString error() const { return m_error; }

private:
    struct Run {
        qint64 offset = 0; // next byte of the file not in `buffer`
        qint64 end = 0;
        QByteArray buffer;
        qsizetype position = 0; // next byte of `buffer`
        qint64 headIndex = -1;  // the run's first row not taken, -1 when the run is done
        CheckRow head;
    };

    bool spill();
    bool readHead(Run &run);

    qsizetype m_memoryRows;
    QMap<qint64, CheckRow> m_memory;
    std::vector<Run> m_runs;
    QTemporaryFile m_file;
    qint64 m_spilled = 0;
    qint64 m_next = 0;
    QString m_error;
};
