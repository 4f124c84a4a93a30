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
// Control characters (a line break in a server's error text, a tab) become spaces, so the text
// keeps to one line of a file or a terminal.
QString oneLine(QString text);
} // namespace TextFile
