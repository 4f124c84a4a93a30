#include "core/result.h"

#include <QDir>
#include <QFileInfo>

QString Error::text() const {
    if (line > 0)
        return QStringLiteral("%1, line %2: %3")
            .arg(QFileInfo(target).fileName())
            .arg(line)
            .arg(message);
    return QStringLiteral("Could not %1 %2: %3")
        .arg(operation, QDir::toNativeSeparators(target), message);
}
