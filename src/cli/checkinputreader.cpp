#include "cli/checkinputreader.h"

#include "core/filehelpers.h"

#include <QFile>

namespace {
// What a refused line shows of itself.
constexpr qsizetype ShownBytes = 60;

QString cannotRead(const QString &path, const QIODevice &device) {
    return QStringLiteral("cannot read ") + path + QStringLiteral(": ") + device.errorString();
}
} // namespace

CheckInputReader::CheckInputReader(const QStringList &files, QIODevice &standardInput,
                                   const QStringList &extensions, const QString &defaultExtension,
                                   DomainName::Delegated delegated)
    : m_files(files.isEmpty() ? QStringList{QStringLiteral("-")} : files)
    , m_standardInput(standardInput)
    , m_extensions(extensions)
    , m_defaultExtension(defaultExtension)
    , m_delegated(std::move(delegated)) {}

CheckInputReader::~CheckInputReader() = default;

QString CheckInputReader::open() {
    bool standardInputTaken = false;
    for (const QString &path : m_files) {
        if (path == QLatin1String("-")) {
            // Standard input can be read once; a second "-" adds nothing.
            if (!standardInputTaken)
                m_sources.push_back(&m_standardInput);
            standardInputTaken = true;
            continue;
        }
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::ReadOnly))
            return m_error = cannotRead(path, *file);
        m_sources.push_back(file.get());
        m_opened.push_back(std::move(file));
    }
    return {};
}

std::optional<QByteArray> CheckInputReader::nextLine(bool &tooLong) {
    tooLong = false;
    while (m_source < m_sources.size()) {
        QIODevice &device = *m_sources[m_source];
        // One byte over the cap tells a line that is too long from one that ends the input.
        QByteArray line = device.readLine(MaxLineBytes + 2);
        if (line.isEmpty()) {
            // The end of this source, or a failure to read it (a folder, a broken disk).
            if (const auto *file = qobject_cast<const QFile *>(&device);
                file && file->error() != QFileDevice::NoError) {
                m_error = cannotRead(file->fileName(), *file);
                return std::nullopt;
            }
            ++m_source;
            continue;
        }
        if (line.endsWith('\n')) {
            line.chop(1);
        } else if (line.size() > MaxLineBytes) {
            // Cut at the cap: the rest of the line is read and dropped a piece at a time.
            tooLong = true;
            char piece[4096];
            for (;;) {
                const qint64 got = device.readLine(piece, sizeof piece);
                if (got <= 0 || piece[got - 1] == '\n')
                    break;
            }
        }
        if (line.endsWith('\r'))
            line.chop(1);
        return line;
    }
    return std::nullopt;
}

std::optional<CheckItem> CheckInputReader::next() {
    while (m_pending.empty()) {
        if (m_ended || !m_error.isEmpty())
            return std::nullopt;
        bool tooLong = false;
        const std::optional<QByteArray> line = nextLine(tooLong);
        if (!line) {
            m_ended = true;
            return std::nullopt;
        }
        if (tooLong) {
            const QString shown =
                TextFile::fromLocal(line->left(ShownBytes)).trimmed() + QStringLiteral("...");
            m_pending.push_back(CheckItem{shown, QStringLiteral("not a domain name")});
            break;
        }
        for (CheckItem &item : checkItems({TextFile::fromLocal(*line)}, m_extensions,
                                          m_defaultExtension, m_delegated))
            m_pending.push_back(std::move(item));
    }
    CheckItem item = std::move(m_pending.front());
    m_pending.pop_front();
    return item;
}
