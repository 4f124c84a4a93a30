#include "shell/websitewindow.h"

#include "session/appcontext.h"
#include "core/desktop.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

WebsiteWindow::WebsiteWindow(AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmWebsite"));
    setWindowTitle(context.branding.ProductName);
    auto *note = new QLabel(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);

    if (context.WebsiteMode == QLatin1String("Website")) {
        const QString address = addressFor(context.branding.WebsiteText);
        note->setText(tr("Opening %1").arg(address));
        if (context.desktop)
            context.desktop->openUrl(address);
        context.WebsiteMode.clear();
    }

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(context.timing.websiteCloseMs);
    connect(m_timer, &QTimer::timeout, this, &QWidget::close);
    m_timer->start();
}

QString WebsiteWindow::addressFor(const QString &text) {
    if (text.contains(QLatin1String("https://"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("http://"), Qt::CaseInsensitive))
        return text;
    return QStringLiteral("http://") + text;
}
