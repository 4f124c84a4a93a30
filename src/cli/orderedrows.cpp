#include "cli/orderedrows.h"

#include "core/filehelpers.h"

#include <QDir>

namespace {
constexpr qsizetype ReadChunk = 16 * 1024;

// One row a line; every text field is on one line already, as each output makes it, so a tab
// can separate them.
QByteArray recordOf(qint64 index, const CheckRow &row) {
    QByteArray record = QByteArray::number(index) + '\t' + QByteArray::number(int(row.verdict));
    for (const QString *field : {&row.name, &row.lengthClass, &row.server, &row.reason, &row.ascii})
        record += '\t' + TextFile::oneLine(*field).toUtf8();
    return record + '\t' + (row.repeated ? '1' : '0') + '\n';
}

bool parseRecord(const QByteArray &line, qint64 &index, CheckRow &row) {
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 8)
        return false;
    bool ok = false;
    index = fields.at(0).toLongLong(&ok);
    row.verdict = Verdict(fields.at(1).toInt());
    row.name = QString::fromUtf8(fields.at(2));
    row.lengthClass = QString::fromUtf8(fields.at(3));
    row.server = QString::fromUtf8(fields.at(4));
    row.reason = QString::fromUtf8(fields.at(5));
    row.ascii = QString::fromUtf8(fields.at(6));
    row.repeated = fields.at(7) == "1";
    return ok;
}
} // namespace

OrderedRows::OrderedRows(qsizetype memoryRows)
    : m_memoryRows(qMax<qsizetype>(1, memoryRows))
    , m_file(QDir::tempPath() + QStringLiteral("/kestrin-rows-XXXXXX")) {}

bool OrderedRows::add(qint64 index, const CheckRow &row) {
    m_memory.insert(index, row);
    // After a failure the rows stay in memory: nothing is lost, and the file is not retried.
    if (m_memory.size() <= m_memoryRows || !m_error.isEmpty())
        return m_error.isEmpty();
    return spill();
}

bool OrderedRows::spill() {
    if (!m_file.isOpen() && !m_file.open()) {
        m_error = QStringLiteral("cannot create a temporary file for the rows held back: ") +
                  m_file.errorString();
        return false;
    }
    Run run;
    run.offset = m_file.size();
    QByteArray bytes;
    for (auto it = m_memory.cbegin(); it != m_memory.cend(); ++it)
        bytes += recordOf(it.key(), it.value());
    if (!m_file.seek(run.offset) || m_file.write(bytes) != bytes.size() || !m_file.flush()) {
        m_error = QStringLiteral("cannot write the rows held back to ") + m_file.fileName() +
                  QStringLiteral(": ") + m_file.errorString();
        return false;
    }
    run.end = run.offset + bytes.size();
    m_spilled += m_memory.size();
    m_memory.clear();
    if (!readHead(run))
        return false;
    m_runs.push_back(std::move(run));
    return true;
}

bool OrderedRows::readHead(Run &run) {
    run.headIndex = -1;
    for (;;) {
        const qsizetype newline = run.buffer.indexOf('\n', run.position);
        if (newline >= 0) {
            const QByteArray line = run.buffer.mid(run.position, newline - run.position);
            run.position = newline + 1;
            qint64 index = -1;
            if (!parseRecord(line, index, run.head)) {
                m_error = QStringLiteral("the rows held back in ") + m_file.fileName() +
                          QStringLiteral(" cannot be read back");
                return false;
            }
            run.headIndex = index;
            return true;
        }
        if (run.offset >= run.end)
            return true; // done
        run.buffer.remove(0, run.position);
        run.position = 0;
        if (!m_file.seek(run.offset)) {
            m_error = QStringLiteral("cannot read back ") + m_file.fileName();
            return false;
        }
        const QByteArray chunk = m_file.read(qMin(ReadChunk, run.end - run.offset));
        if (chunk.isEmpty()) {
            m_error = QStringLiteral("cannot read back ") + m_file.fileName() +
                      QStringLiteral(": ") + m_file.errorString();
            return false;
        }
        run.offset += chunk.size();
        run.buffer += chunk;
    }
}

std::optional<CheckRow> OrderedRows::takeNext() {
    if (!m_memory.isEmpty() && m_memory.firstKey() == m_next) {
        ++m_next;
        return m_memory.take(m_memory.firstKey());
    }
    for (auto run = m_runs.begin(); run != m_runs.end(); ++run) {
        if (run->headIndex != m_next)
            continue;
        CheckRow row = std::move(run->head);
        ++m_next;
        --m_spilled;
        if (!readHead(*run) || run->headIndex < 0)
            m_runs.erase(run);
        return row;
    }
    return std::nullopt;
}
