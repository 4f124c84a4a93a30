#include "app/runstatus.h"

#include "app/elidedlabel.h"

#include <QHBoxLayout>
#include <QProgressBar>

namespace {

// 0:42, 12:05, 1:02:09
QString clock(qint64 seconds) {
    const qint64 h = seconds / 3600;
    const QString ms =
        QStringLiteral("%1:%2")
            .arg(h > 0 ? (seconds / 60) % 60 : seconds / 60, h > 0 ? 2 : 1, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return h > 0 ? QString::number(h) + QLatin1Char(':') + ms : ms;
}

// A slow run (silent servers) still shows that it moves.
QString rateText(double rate) {
    return (rate < 10 ? QString::number(rate, 'f', 1) : QString::number(qRound(rate))) +
           QStringLiteral("/s");
}
} // namespace

RunStatus::RunStatus(QWidget *parent)
    : QWidget(parent)
    , m_bar(new QProgressBar(this))
    , m_text(new ElidedLabel(this)) {
    m_bar->setObjectName(QStringLiteral("StatusBar1Progress"));
    m_bar->setTextVisible(true);
    m_text->setObjectName(QStringLiteral("StatusBar1Run"));
    m_text->setMinimumWidth(1);
    setToolTip(QStringLiteral("Names checked per second, and the time left"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    // The bar a third, the texts two thirds of whatever room the status bar gives.
    row->addWidget(m_bar, 1);
    row->addWidget(m_text, 2);
    hide();
}

void RunStatus::begin() {
    m_clock.start();
    m_retryClock.invalidate();
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    m_bar->show();
    m_text->setText(QString());
    show();
}

double RunStatus::seconds() const {
    return m_clock.isValid() ? m_clock.nsecsElapsed() / 1e9 : 0;
}

void RunStatus::showProgress(const SearchDriver::Progress &progress) {
    const bool retrying = progress.retries > 0;
    if (retrying && !m_retryClock.isValid())
        m_retryClock.start();
    const int total = retrying ? progress.retries : progress.entries;
    const int done = retrying ? progress.retries - progress.retriesLeft : progress.checked;
    m_bar->setRange(0, qMax(1, total));
    m_bar->setValue(qBound(0, done, qMax(1, total)));
    m_text->setText(
        progressText(progress, retrying ? m_retryClock.nsecsElapsed() / 1e9 : seconds()));
}

void RunStatus::showSummary(const SearchDriver::Progress &progress, const QString &unknownReport) {
    m_bar->hide();
    QString text = summaryText(progress, seconds());
    if (!unknownReport.isEmpty())
        text += QStringLiteral(" · ") + unknownReport;
    m_text->setText(text);
    show();
}

QString RunStatus::text() const {
    return m_text->text();
}

QString RunStatus::progressText(const SearchDriver::Progress &progress, double seconds) {
    const bool retrying = progress.retries > 0;
    const int done = retrying ? progress.retries - progress.retriesLeft : progress.checked;
    const int left = retrying ? progress.retriesLeft : progress.entries - progress.checked;
    const double rate = seconds > 0 ? done / seconds : 0;
    QString text = retrying
                       ? QStringLiteral("Retry pass %1 of %2 · ").arg(done).arg(progress.retries)
                       : QString();
    text += rateText(rate);
    if (rate > 0 && left > 0)
        text += QStringLiteral(" · ") + clock(qRound64(left / rate)) + QStringLiteral(" left");
    return text;
}

QString RunStatus::summaryText(const SearchDriver::Progress &progress, double seconds) {
    const int unknown = qMax(0, progress.checked - progress.free - progress.taken);
    return QStringLiteral("%1 checked in %2: %3 free, %4 taken, %5 unknown")
        .arg(progress.checked)
        .arg(clock(qRound64(seconds)))
        .arg(progress.free)
        .arg(progress.taken)
        .arg(unknown);
}
