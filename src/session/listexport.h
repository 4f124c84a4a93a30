#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class Desktop;
class ResultLists;

// File > "Export Lists...": the five result lists in one file, as CSV (a "list,name" header,
// then one row per entry) or JSON (an object of five arrays). Lists are named high, mid, low,
// registered and saved, the length classes `kestrin check` prints.
namespace ListExport {
enum class Format { Csv, Json };

// The filters the save dialog offers, CSV first.
QString dialogFilters();
// JSON for a name ending in ".json" (any case), `fallback` for any other name.
Format formatFor(const QString &path, Format fallback = Format::Csv);
// The chosen name with the format's suffix added when it has no suffix at all.
QString withSuffix(const QString &path, Format format = Format::Csv);

// The file an export writes and its format. A typed ".csv" or ".json" decides; otherwise the
// chosen filter does, and a bare name gets that filter's suffix.
struct Target {
    QString path;
    Format format = Format::Csv;
};
Target targetFor(const QString &chosen, const QString &filter);

QByteArray csv(const ResultLists &lists);
QByteArray json(const ResultLists &lists);

// Writes the file whole (never half-written); the error names the file and the cause.
std::optional<QString> write(const ResultLists &lists, const QString &path, Format format);
std::optional<QString> write(const ResultLists &lists, const QString &path);

// The whole command: asks for a file, asks before replacing one under the name it will write
// (declined: the dialog comes back), writes, and reports a failure. Returns the path written,
// "" when cancelled or failed.
QString exportLists(Desktop &desktop, const ResultLists &lists, const QString &proposedPath);
} // namespace ListExport
