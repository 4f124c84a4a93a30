#include "core/filehelpers.h"

#include "core/corelog.h"

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

// Every file failure goes through here, so each one is logged once where it happens.
Error fileError(const QString &operation, const QString &path, const QString &message) {
    Error error{operation, path, message};
    qCWarning(lcCore).noquote() << error.text();
    return error;
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

Result<> Files::copyFile(const QString &source, const QString &destination) {
    const QString operation =
        QStringLiteral("copy %1 to").arg(QDir::toNativeSeparators(normalised(source)));
    QFile in(normalised(source));
    if (!in.open(QIODevice::ReadOnly))
        return fileError(operation, destination, in.errorString());
    // Through a temporary file, so an existing destination is replaced only by a whole copy.
    QSaveFile out(normalised(destination));
    if (!out.open(QIODevice::WriteOnly))
        return fileError(operation, destination, out.errorString());
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            const QString reason = chunk.isEmpty() ? in.errorString() : out.errorString();
            out.cancelWriting();
            out.commit();
            return fileError(operation, destination, reason);
        }
    }
    if (!out.commit())
        return fileError(operation, destination, out.errorString());
    return {};
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

QString oneLine(QString text) {
    for (QChar &c : text)
        if (isControl(c))
            c = QLatin1Char(' ');
    return text;
}

QString csvCell(const QString &text) {
    static constexpr QStringView formulaStarts = u"=+-@\t\r";
    QString cell = oneLine(text);
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        cell.prepend(QLatin1Char('\''));
    if (!cell.contains(QLatin1Char(',')) && !cell.contains(QLatin1Char('"')))
        return cell;
    cell.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + cell + QLatin1Char('"');
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

Result<QStringList> readLines(const QString &path) {
    QFile file(normalised(path));
    if (!file.open(QIODevice::ReadOnly))
        return fileError(QStringLiteral("read"), path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fileError(QStringLiteral("read"), path, file.errorString());
    const QString text = fromLocal(bytes);
    if (text.isEmpty())
        return QStringList();
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

Result<> writeAll(const QString &path, const QString &text) {
    QSaveFile file(normalised(path));
    if (!file.open(QIODevice::WriteOnly))
        return fileError(QStringLiteral("write"), path, file.errorString());
    const QByteArray bytes = toLocal(text);
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        file.commit();
        return fileError(QStringLiteral("write"), path, reason);
    }
    if (!file.commit())
        return fileError(QStringLiteral("write"), path, file.errorString());
    return {};
}

Result<> writeLines(const QString &path, const QStringList &lines) {
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return writeAll(path, text);
}

Result<> append(const QString &path, const QString &text) {
    QFile file(normalised(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return fileError(QStringLiteral("append to"), path, file.errorString());
    const QByteArray bytes = toLocal(text);
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fileError(QStringLiteral("append to"), path, file.errorString());
    return {};
}

} // namespace TextFile
