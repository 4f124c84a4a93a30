#include "cli/checkprinter.h"

#include "core/filehelpers.h"

#include <cerrno>

namespace {
const char EraseToEnd[] = "\x1b[K";

void put(FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}
} // namespace

CheckPrinter::CheckPrinter(FILE *rows, FILE *progress, bool progressOnTerminal, bool rowsOnTerminal)
    : m_rows(rows)
    , m_progress(progress)
    , m_progressOnTerminal(progressOnTerminal)
    , m_rowsOnTerminal(rowsOnTerminal) {
    m_redraw.setSingleShot(true);
    m_redraw.setInterval(0);
    QObject::connect(&m_redraw, &QTimer::timeout, [this] { this->progress(); });
}

bool CheckPrinter::write(const QString &text) {
    if (failed())
        return false;
    if (m_rowsOnTerminal && m_progressShown) {
        clearProgress();
        m_redraw.start();
    }
    errno = 0;
    put(m_rows, TextFile::toLocal(text));
    if (std::fflush(m_rows) == 0 && !std::ferror(m_rows))
        return true;
    m_error = errno != 0 ? errno : EIO;
    return false;
}

void CheckPrinter::progress() {
    if (!m_progressOnTerminal || !m_progressText)
        return;
    put(m_progress, '\r' + TextFile::toLocal(m_progressText()) + EraseToEnd);
    std::fflush(m_progress);
    m_progressShown = true;
}

void CheckPrinter::endProgress() {
    m_redraw.stop();
    m_progressText = nullptr;
    if (m_progressOnTerminal)
        clearProgress();
}

void CheckPrinter::clearProgress() {
    put(m_progress, QByteArray("\r") + EraseToEnd);
    std::fflush(m_progress);
    m_progressShown = false;
}
