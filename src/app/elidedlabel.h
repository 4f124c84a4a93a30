#pragma once

#include <QLabel>

// A one-line label that marks text too long for it with "…" instead of cutting it off. text()
// keeps the full text; while the text is cut, the full text is also the tool tip.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Hides QLabel::setText so the tool tip follows the text; call it through this type.
    void setText(const QString &text);
    bool isElided() const;
    QString shownText() const; // what is painted

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QRect textRect() const;
    void updateToolTip();
};
