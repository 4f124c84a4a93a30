#include "shell/splashart.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kDusk(28, 36, 64);
const QColor kEmber(214, 120, 46);
const QColor kWing(246, 236, 220);

// A swept wing shape filling the square `side`.
QPainterPath wing(qreal side) {
    QPainterPath path;
    path.moveTo(0.10 * side, 0.70 * side);
    path.cubicTo(0.35 * side, 0.30 * side, 0.65 * side, 0.18 * side, 0.92 * side, 0.16 * side);
    path.cubicTo(0.70 * side, 0.30 * side, 0.58 * side, 0.42 * side, 0.52 * side, 0.56 * side);
    path.cubicTo(0.40 * side, 0.52 * side, 0.24 * side, 0.58 * side, 0.10 * side, 0.70 * side);
    return path;
}

void drawEmblem(QPainter &p, qreal side) {
    QLinearGradient sky(0, 0, 0, side);
    sky.setColorAt(0, kDusk);
    sky.setColorAt(1, kEmber);
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0, 0, side, side), side * 0.18, side * 0.18);
    p.setBrush(kWing);
    p.drawPath(wing(side));
    // The horizon of names: dots of growing size.
    for (int i = 0; i < 5; ++i) {
        const qreal r = side * (0.02 + 0.008 * i);
        p.drawEllipse(QPointF(side * (0.18 + 0.16 * i), side * 0.84), r, r);
    }
}
} // namespace

QPixmap SplashArt::emblem(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawEmblem(p, side);
    return pixmap;
}

QPixmap SplashArt::picture(const QSize &size, const QString &title) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, kDusk);
    sky.setColorAt(1, kEmber.darker(140));
    p.fillRect(pixmap.rect(), sky);
    const int side = size.height() * 3 / 5;
    p.translate(size.height() / 5, size.height() / 5);
    drawEmblem(p, side);
    p.resetTransform();
    QFont font = p.font();
    font.setPointSizeF(size.height() / 9.0);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kWing);
    p.drawText(QRect(side + size.height() / 3, 0, size.width(), size.height()),
               Qt::AlignLeft | Qt::AlignVCenter, title);
    return pixmap;
}

QIcon SplashArt::icon() {
    QIcon icon;
    for (int side : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(emblem(side));
    return icon;
}
