#include "shell/aboutwindow.h"

#include "session/appcontext.h"
#include "app/skin.h"
#include "app/windowregistry.h"
#include "shell/splashart.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>

AboutWindow::AboutWindow(AppContext &context, WindowRegistry &windows, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_ctx(context)
    , m_windows(windows) {
    const Branding &b = m_ctx.branding;
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + b.ProductName);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(SplashArt::emblem(96));

    QLabel *product = addLabel(QStringLiteral("Label1"), b.ProductName);
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    product->setFont(big);

    auto *grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(product, 0, 1, 1, 2);
    const QString version =
        QString::number(b.VersionMajor) + QLatin1Char('.') + QString::number(b.VersionMinor);
    const QStringList captions = {QStringLiteral("Version:"), QStringLiteral("Owned By:"),
                                  QStringLiteral("Website:")};
    const QStringList names = {QStringLiteral("lblVersion"), QStringLiteral("lblCompany"),
                               QStringLiteral("lblWebsite")};
    const QStringList values = {version, b.CompanyName, b.WebsiteText};
    for (int row = 0; row < 3; ++row) {
        grid->addWidget(new QLabel(captions[row], this), row + 1, 1);
        grid->addWidget(addLabel(names[row], values[row]), row + 1, 2);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    grid->addWidget(buttons, 4, 0, 1, 3);
    buttons->button(QDialogButtonBox::Close)->setFocus();
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
    grid->setColumnStretch(2, 1);
    grid->setContentsMargins(18, 18, 18, 18);
    grid->setHorizontalSpacing(14);

    m_website = findChild<QLabel *>(QStringLiteral("lblWebsite"));
    m_website->setCursor(Qt::PointingHandCursor);
    m_website->setToolTip(tr("Open the website in your browser"));
    m_website->installEventFilter(this);

    if (b.SkinSwitch) {
        mirrorLabels(b, this, QStringLiteral("SkinLabel1"), isPlainLabel);
        applySkin(b, this);
    }
}

QLabel *AboutWindow::addLabel(const QString &name, const QString &text) {
    auto *label = new QLabel(text, this);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

bool AboutWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_website && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_ctx.WebsiteMode = QStringLiteral("Website");
        m_windows.replace(WindowId::Website);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
