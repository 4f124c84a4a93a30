#include "core/listfile.h"

#include "core/filehelpers.h"

#include <QDateTime>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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

// One stat call: QFileInfo's modification time goes through a local-time conversion, which
// would cost more than reading the entry.
bool ListFile::identify(const QString &path, Identity *identity) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    identity->size = st.st_size;
    identity->modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    identity->inode = quint64(st.st_ino);
    return true;
#else
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    identity->size = info.size();
    identity->modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    identity->inode = 0;
    return true;
#endif
}

bool ListFile::refreshIndex(const QString &path) {
    Identity now;
    if (!identify(path, &now)) {
        m_path.clear();
        m_file.close();
        return false;
    }
    if (path == m_path && now == m_identity && m_file.isOpen())
        return true;
    m_path.clear();
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return false;
    m_offsets.clear();
    if (!scanEntries(m_file, [this](qint64 offset) { m_offsets.append(offset); })) {
        m_file.close();
        return false;
    }
    m_path = path;
    m_identity = now;
    return true;
}

void ListFile::close() {
    m_file.close();
    m_path.clear();
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
    // Entries are read in order: the next one usually starts where the last one ended, and a
    // seek would throw away the read buffer.
    const qint64 offset = m_offsets.at(n - 1);
    if (m_file.pos() != offset && !m_file.seek(offset)) {
        if (opened)
            *opened = false;
        return EndMarker;
    }
    QByteArray line = m_file.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return TextFile::fromLocal(line);
}
