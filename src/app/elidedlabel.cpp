#include "app/elidedlabel.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

void ElidedLabel::setText(const QString &text) {
    QLabel::setText(text);
    updateToolTip();
}

// The text area as QLabel computes it: contents less the margin, less the indent that a
// framed label gives its text.
QRect ElidedLabel::textRect() const {
    QRect rect = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int shift = indent();
    if (shift < 0 && frameWidth() > 0)
        shift = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    if (shift > 0) {
        const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
        if (align & Qt::AlignLeft)
            rect.setLeft(rect.left() + shift);
        else if (align & Qt::AlignRight)
            rect.setRight(rect.right() - shift);
    }
    return rect;
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, textRect().width());
}

bool ElidedLabel::isElided() const {
    return shownText() != text();
}

void ElidedLabel::paintEvent(QPaintEvent *event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    style()->drawItemText(&painter, textRect(), int(alignment()), palette(), isEnabled(),
                          shownText(), foregroundRole());
}

void ElidedLabel::resizeEvent(QResizeEvent *event) {
    QLabel::resizeEvent(event);
    updateToolTip();
}

void ElidedLabel::changeEvent(QEvent *event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ContentsRectChange)
        updateToolTip();
}

void ElidedLabel::updateToolTip() {
    setToolTip(isElided() ? text() : QString());
}
