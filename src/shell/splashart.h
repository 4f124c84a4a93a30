#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// Kestrin's pictures, drawn rather than shipped: a kestrel's wing sweeping over a dotted
// horizon (the names still out there) on a dusk sky.
class SplashArt {
public:
    static QPixmap picture(const QSize &size, const QString &title);
    static QPixmap emblem(int side);
    static QIcon icon();
};
