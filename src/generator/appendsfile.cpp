#include "generator/appendsfile.h"

#include "core/filehelpers.h"
#include "generator/generator.h"

#include <QFile>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

AppendsFile::AppendsFile(const QString &path)
    : m_path(path) {}

bool AppendsFile::exists() const {
    return QFile::exists(m_path);
}

Result<> AppendsFile::create() const {
    return TextFile::writeAll(m_path, QString());
}

QStringList AppendsFile::words() const {
    QStringList words;
    const QStringList lines = TextFile::readLines(m_path).valueOr({});
    for (const QString &line : lines) {
        if (!NameGenerator::isBlankLine(line))
            words << line;
    }
    return words;
}

Result<> AppendsFile::add(const QString &word) const {
    // A file edited by hand may lack its last line end; without one the word would join it.
    QString text = word + kCrLf;
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly) && file.size() > 0) {
        file.seek(file.size() - 1);
        if (file.read(1) != "\n")
            text.prepend(kCrLf);
    }
    return TextFile::append(m_path, text);
}

Result<> AppendsFile::remove(const QString &word) const {
    const Result<QStringList> lines = TextFile::readLines(m_path);
    if (lines.failed())
        return lines.error();
    QString buffer;
    for (const QString &line : lines.value()) {
        if (line != word)
            buffer += line + kCrLf;
    }
    // Blank lines kept above would leave gaps; collapse them in one left-to-right pass.
    buffer.replace(kCrLf + kCrLf, kCrLf);
    return TextFile::writeAll(m_path, buffer + kCrLf);
}
