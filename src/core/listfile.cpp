#include "core/listfile.h"

#include "core/filehelpers.h"

#include <QFile>
#include <QFileInfo>

const QString ListFile::EndMarker = QStringLiteral("endoffileffile");

namespace {
constexpr qint64 kChunk = 1 << 16;

// Calls `entry(offset)` for the start of every line that holds more than its line end
// (a lone CR counts as a line end too).
template <typename F> bool scanEntries(QFile &file, F entry) {
    qint64 lineStart = 0;
    qint64 lineBytes = 0;
    char firstByte = 0;
    qint64 pos = 0;
    auto endLine = [&] {
        if (lineBytes > 1 || (lineBytes == 1 && firstByte != '\r'))
            entry(lineStart);
    };
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(kChunk);
        if (chunk.isEmpty())
            return false;
        for (const char c : chunk) {
            ++pos;
            if (c == '\n') {
                endLine();
                lineStart = pos;
                lineBytes = 0;
            } else if (lineBytes++ == 0) {
                firstByte = c;
            }
        }
    }
    endLine();
    return true;
}
} // namespace

int ListFile::countListEntries(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int count = 0;
    scanEntries(file, [&count](qint64) { ++count; });
    return count;
}

bool ListFile::refreshIndex(const QString &path) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        m_path.clear();
        return false;
    }
    if (path == m_path && info.size() == m_size && info.lastModified() == m_modified)
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_path.clear();
        return false;
    }
    m_offsets.clear();
    if (!scanEntries(file, [this](qint64 offset) { m_offsets.append(offset); })) {
        m_path.clear();
        return false;
    }
    m_path = path;
    m_size = info.size();
    m_modified = info.lastModified();
    return true;
}

QString ListFile::nextListEntry(const QString &path, int n, bool *opened) {
    if (opened)
        *opened = true;
    if (n <= 0)
        return QString();
    if (!refreshIndex(path)) {
        if (opened)
            *opened = false;
        return EndMarker;
    }
    if (n > m_offsets.size())
        return EndMarker;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_offsets.at(n - 1))) {
        if (opened)
            *opened = false;
        return EndMarker;
    }
    QByteArray line = file.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return TextFile::fromLocal(line);
}
