#include "harvest/listbuilderwindow.h"

#include "app/appcontext.h"
#include "core/desktop.h"
#include "app/mainwindow.h"
#include "harvest/listbuilderrun.h"

#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
const QString kBodyScript = QStringLiteral("document.body ? document.body.innerHTML : ''");
}

ListBuilderWindow::ListBuilderWindow(AppContext &ctx, MainWindow &main, QWidget *parent)
    : QWidget(parent)
    , m_ctx(ctx)
    , m_main(main) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("List Builder - Finding domain names..."));
    setWindowFlag(Qt::Window, true);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 480);

    m_browser = new QWebEngineView(this);
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    m_browser->setToolTip(QStringLiteral("Searching for unique .com, .net and .org domain names."));
    m_status = new QLineEdit(QStringLiteral("Status..."), this);
    m_status->setObjectName(QStringLiteral("Text1"));
    m_status->setReadOnly(true);
    m_status->setToolTip(
        QStringLiteral("This shows the number of unique .com, .org and .net domain names found."));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addWidget(m_status);

    m_run = new ListBuilderRun(ctx.folder, ctx.registrars, ctx.hosts, ctx.timing, this);
    m_run->currentSearchText = [this] { return m_main.searchText(); };
    connect(m_run, &ListBuilderRun::navigate, this,
            [this](const QString &address) { m_browser->load(QUrl(address)); });
    connect(m_run, &ListBuilderRun::statusText, m_status, &QLineEdit::setText);
    // Queued: the hand-over shows a message box, which must not run inside the run's timer.
    connect(m_run, &ListBuilderRun::listReady, this, &ListBuilderWindow::onListReady,
            Qt::QueuedConnection);
    connect(m_run, &ListBuilderRun::writeFailed, this, &ListBuilderWindow::onWriteFailed,
            Qt::QueuedConnection);
    connect(m_browser, &QWebEngineView::loadFinished, this, &ListBuilderWindow::onLoadFinished);

    m_run->start(main.searchType(), main.searchText(), main.wantedCountIndex());
}

void ListBuilderWindow::onLoadFinished(bool ok) {
    // A page that cannot be loaded counts as a page without names, which ends the run.
    if (!ok) {
        m_run->pageCompleted(QString());
        return;
    }
    QPointer<ListBuilderWindow> self(this);
    m_browser->page()->runJavaScript(kBodyScript, [self](const QVariant &body) {
        if (self)
            self->m_run->pageCompleted(body.toString());
    });
}

void ListBuilderWindow::onListReady(int foundTotal, int wordMax) {
    m_main.setWordMax(QString::number(wordMax));
    m_main.setWordNum(QStringLiteral("1"));
    m_browser->stop();
    hide();
    m_ctx.desktop->message(
        m_ctx.branding.ProductName,
        QStringLiteral("List of %1 unique domains was created successfully!").arg(foundTotal));
    m_main.start();
    close();
}

void ListBuilderWindow::onWriteFailed(const QString &message) {
    m_browser->stop();
    hide();
    m_ctx.desktop->message(QStringLiteral("Error"), message, Desktop::Icon::Warning);
    close();
}
