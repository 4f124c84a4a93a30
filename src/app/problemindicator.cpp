#include "app/problemindicator.h"

#include "app/elidedlabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>

ProblemIndicator::ProblemIndicator(QWidget *parent)
    : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setCursor(Qt::PointingHandCursor);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(4);
    m_icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side));
    m_text = new ElidedLabel(this);
    m_text->setMinimumWidth(1);
    // Clicks and tool tips belong to the indicator as a whole.
    for (QWidget *child : {static_cast<QWidget *>(m_icon), static_cast<QWidget *>(m_text)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(m_icon);
    row->addWidget(m_text, 1);
    setVisible(false);
}

void ProblemIndicator::report(const QString &message) {
    if (message.isEmpty() || m_problems.contains(message))
        return;
    m_problems << message;
    refresh();
}

void ProblemIndicator::acknowledge() {
    if (m_problems.isEmpty())
        return;
    m_problems.clear();
    refresh();
}

QString ProblemIndicator::shownText() const {
    return m_text->text();
}

void ProblemIndicator::refresh() {
    const qsizetype count = m_problems.size();
    if (count == 0) {
        m_text->setText(QString());
        setToolTip(QString());
        setVisible(false);
        emit changed();
        return;
    }
    const QString latest = m_problems.last();
    m_text->setText(count == 1 ? latest : QStringLiteral("(%1) %2").arg(count).arg(latest));
    setToolTip(m_problems.join(QLatin1Char('\n')) + QStringLiteral("\n\nClick to dismiss."));
    setVisible(true);
    emit changed();
}

void ProblemIndicator::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        acknowledge();
    QFrame::mouseReleaseEvent(event);
}
