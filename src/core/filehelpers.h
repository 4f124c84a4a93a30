#pragma once

#include "core/result.h"

#include <QString>
#include <QStringList>

namespace Files {
// Copies a file, replacing an existing destination only by a whole copy.
Result<> copyFile(const QString &source, const QString &destination);
// True when the folder exists (a trailing separator makes no difference).
bool dirExists(const QString &path);
// True when a plain file of that name exists, the last component compared without regard to
// case; false for folders, wildcards and every failure.
bool fileExists(const QString &path);
} // namespace Files

// Text-file helpers shared by every reader and writer of Kestrin's list files. Files are in the
// system's 8-bit encoding; lines are written with CR LF and read with CR LF or LF.
namespace TextFile {
// Every line of the file without its line end.
Result<QStringList> readLines(const QString &path);
// Replaces the whole file through a temporary file and a rename (never half-written).
Result<> writeAll(const QString &path, const QString &text);
// Each line followed by CR LF, written through writeAll.
Result<> writeLines(const QString &path, const QStringList &lines);
// Appends text at the end, creating the file when missing.
Result<> append(const QString &path, const QString &text);
// Text in the system's encoding; a line that is not valid in it is read as Latin-1 on its own,
// so the other lines keep their text and a rewrite stores them as they were.
QString fromLocal(const QByteArray &bytes);
QByteArray toLocal(const QString &text);
// C0 controls, DEL and C1 controls: what can break a line or drive a terminal.
inline bool isControl(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}
// Control characters (a line break in a server's error text, a tab, an escape sequence in a
// name) become spaces, so the text keeps to one line of a file or a terminal and cannot drive it.
QString oneLine(QString text);
// One CSV cell (RFC 4180): on one line, quoted when it holds a comma or a quote, and with a
// leading "'" when it starts with = + - @, a tab or a CR, which a spreadsheet would otherwise
// run as a formula.
QString csvCell(const QString &text);
} // namespace TextFile
