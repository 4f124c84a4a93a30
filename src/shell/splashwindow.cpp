#include "shell/splashwindow.h"

#include "session/appcontext.h"
#include "app/skin.h"
#include "shell/splashart.h"

#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

SplashWindow::SplashWindow(AppContext &context, HandOver handOver, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_ctx(context)
    , m_handOver(std::move(handOver)) {
    setObjectName(QStringLiteral("frmSplash"));
    m_ctx.branding = loadBranding();
    setWindowTitle(m_ctx.branding.ProductName);

    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setPixmap(SplashArt::picture(QSize(480, 240), m_ctx.branding.ProductName));
    m_promo = new QLabel(tr("Finds the domain names nobody has registered yet: from word lists, "
                            "search results, the pages you browse and names of your own making."),
                         this);
    m_promo->setObjectName(QStringLiteral("Label3"));
    m_promo->setWordWrap(true);
    m_promo->setContentsMargins(12, 0, 12, 0);
    m_promo->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->addWidget(m_image);
    layout->addWidget(m_promo);
    setFixedSize(sizeHint());
    if (QScreen *display = screen())
        move(display->availableGeometry().center() - rect().center());

    startSkin(m_ctx.branding, this);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer2"));
    m_timer->setInterval(m_ctx.timing.splashTickMs);
    connect(m_timer, &QTimer::timeout, this, &SplashWindow::tick);
    m_timer->start();
}

void SplashWindow::tick() {
    m_counter = qint16(m_counter + 2);
    emit ticked(m_counter / 2);
    if (m_counter >= 2 * m_ctx.timing.splashTicks) {
        m_timer->stop();
        handOver();
    }
}

void SplashWindow::handOver() {
    m_handedOver = true;
    if (m_handOver)
        m_handOver(*this);
    hide();
}
