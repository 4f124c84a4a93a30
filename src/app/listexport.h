#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class ResultLists;

// File > "Export Lists...": the five result lists in one file, as CSV (a "list,name" header,
// then one row per entry) or JSON (an object of five arrays). Lists are named high, mid, low,
// registered and saved, the length classes `kestrin check` prints.
namespace ListExport {
enum class Format { Csv, Json };

// JSON for a name ending in ".json" (any case), CSV otherwise.
Format formatFor(const QString &path);
// The chosen name with ".csv" added when it has no suffix at all.
QString withSuffix(const QString &path);

QByteArray csv(const ResultLists &lists);
QByteArray json(const ResultLists &lists);

// Writes the file whole (never half-written); the error names the file and the cause.
std::optional<QString> write(const ResultLists &lists, const QString &path);
} // namespace ListExport
