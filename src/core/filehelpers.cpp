#include "core/filehelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringConverter>

#include <optional>

namespace {
QString normalised(const QString &path) {
    return QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

bool hasWildcard(const QString &path) {
    return path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?'));
}

// The parent folder and last component of a path, without trailing separators.
std::pair<QString, QString> splitLast(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {QStringLiteral("."), path};
    return {slash == 0 ? QStringLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

// Whether `parent` lists an entry named `name` (ignoring case) among those `filters` selects.
bool listsEntry(const QString &parent, const QString &name, QDir::Filters filters) {
    if (name.isEmpty())
        return false;
    const QStringList entries = QDir(parent).entryList(filters | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
} // namespace

void Files::copyFile(const QString &source, const QString &destination) {
    QFile in(normalised(source));
    if (!in.open(QIODevice::ReadOnly))
        return;
    // Through a temporary file, so an existing destination is replaced only by a whole copy.
    QSaveFile out(normalised(destination));
    if (!out.open(QIODevice::WriteOnly))
        return;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    }
    out.commit();
}

bool Files::dirExists(const QString &path) {
    const QString p = normalised(path);
    if (p.isEmpty() || hasWildcard(p))
        return false;
    if (QFileInfo(p).isDir())
        return true;
    const auto [parent, name] = splitLast(p);
    return listsEntry(parent, name, QDir::Dirs | QDir::Hidden | QDir::System);
}

bool Files::fileExists(const QString &path) {
    const QString p = normalised(path);
    if (p.isEmpty() || hasWildcard(p) || p.endsWith(QLatin1Char('/')))
        return false;
    const auto [parent, name] = splitLast(p);
    return listsEntry(parent, name, QDir::Files);
}

namespace TextFile {

namespace {
// The text of `bytes` in the system encoding, or nothing when they are not valid in it.
std::optional<QString> decodeStrictly(QByteArrayView bytes) {
    // Stateless, so a truncated sequence at the end counts as an error too.
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
} // namespace

QString fromLocal(const QByteArray &bytes) {
    if (std::optional<QString> text = decodeStrictly(bytes))
        return *text;
    // One line in an old 8-bit encoding must not change how the others read: a file read as
    // a whole in Latin-1 would garble every correct name at its next rewrite. Each line that
    // the system encoding cannot read is taken byte for byte instead.
    QString text;
    text.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        const qsizetype end = newline < 0 ? bytes.size() : newline + 1;
        const QByteArrayView line = QByteArrayView(bytes).sliced(start, end - start);
        const std::optional<QString> decoded = decodeStrictly(line);
        text += decoded ? *decoded : QString::fromLatin1(line);
        start = end;
    }
    return text;
}

QByteArray toLocal(const QString &text) {
    QStringEncoder encoder(QStringConverter::System);
    if (encoder.isValid()) {
        QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError())
            return bytes;
    }
    return text.toLatin1();
}

QStringList readLines(const QString &path, bool *ok) {
    QFile file(normalised(path));
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    if (!opened)
        return {};
    const QString text = fromLocal(file.readAll());
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

bool writeAll(const QString &path, const QString &text) {
    QSaveFile file(normalised(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toLocal(text);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

bool writeLines(const QString &path, const QStringList &lines) {
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return writeAll(path, text);
}

bool append(const QString &path, const QString &text) {
    QFile file(normalised(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = toLocal(text);
    const bool written = file.write(bytes) == bytes.size();
    return file.flush() && written;
}

} // namespace TextFile
