#include "harvest/listbuilderwindow.h"

#include "session/appcontext.h"
#include "session/searchsession.h"
#include "core/desktop.h"
#include "harvest/listbuilderrun.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {
// Everything the run needs from a loaded page in one round trip. Link addresses come
// resolved by the browser (relative ones made absolute, entities decoded).
const QString kPageScript = QStringLiteral(R"((function () {
    function href(a) { return typeof a.href === 'string' ? a.href : (a.href && a.href.baseVal) || ''; }
    var body = document.body;
    return {
        body: body ? body.innerHTML : '',
        text: body ? body.innerText.slice(0, 20000) : '',
        title: document.title,
        address: location.href,
        links: Array.prototype.map.call(document.links, href),
        forms: Array.prototype.map.call(document.forms, function (f) { return f.action; }),
        frames: Array.prototype.map.call(document.querySelectorAll('iframe, frame'),
                                         function (f) { return f.src; })
    };
})())");

QStringList stringList(const QVariant &value) {
    QStringList list;
    for (const QVariant &item : value.toList())
        list << item.toString();
    return list;
}
} // namespace

QWebEngineProfile *ListBuilderWindow::profile() {
    static QPointer<QWebEngineProfile> shared;
    if (!shared) {
        shared = new QWebEngineProfile(QStringLiteral("ListBuilder"), qApp);
        const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        shared->setPersistentStoragePath(dataDir + QStringLiteral("/ListBuilderBrowser"));
        shared->setCachePath(dataDir + QStringLiteral("/ListBuilderBrowser/cache"));
        // Consent answers are sometimes session cookies; they must outlive the window too.
        shared->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    }
    return shared;
}

ListBuilderWindow::ListBuilderWindow(SearchSession &session, QWidget *parent)
    : QWidget(parent)
    , m_ctx(session.context())
    , m_session(session) {
    AppContext &ctx = m_ctx;
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("List Builder - Finding domain names..."));
    setWindowFlag(Qt::Window, true);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 480);

    m_browser = new QWebEngineView(this);
    m_browser->setPage(new QWebEnginePage(profile(), m_browser));
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
    m_run->currentSearchText = [this] { return m_session.searchText(); };
    connect(m_run, &ListBuilderRun::navigate, this, [this](const QString &address) {
        // Strict: the encoded search text must reach the engine exactly as formed.
        m_browser->load(QUrl(address, QUrl::StrictMode));
    });
    connect(m_run, &ListBuilderRun::statusText, m_status, &QLineEdit::setText);
    // Queued: the hand-over shows a message box, which must not run inside the run's timer.
    connect(m_run, &ListBuilderRun::listReady, this, &ListBuilderWindow::onListReady,
            Qt::QueuedConnection);
    connect(m_run, &ListBuilderRun::failed, this, &ListBuilderWindow::onFailed,
            Qt::QueuedConnection);
    connect(m_run, &ListBuilderRun::writeFailed, this, &ListBuilderWindow::onWriteFailed,
            Qt::QueuedConnection);
    connect(m_browser->page(), &QWebEnginePage::loadingChanged, this,
            &ListBuilderWindow::onLoadingChanged);

    // The list is handed over to the type it is built for, whatever is chosen meanwhile.
    if (session.hasType())
        m_type = session.type();
    m_run->start(m_type, session.searchText(), session.wantedCountIndex());
}

ListBuilderWindow::~ListBuilderWindow() {
    // A page that goes with its view answers its pending script calls at once: they must find
    // this window whole, and do nothing.
    m_closing = true;
    delete m_browser;
}

// The end of a load, told with its HTTP status (loadFinished comes before the status is known).
void ListBuilderWindow::onLoadingChanged(const QWebEngineLoadingInfo &info) {
    const auto status = info.status();
    if (status != QWebEngineLoadingInfo::LoadSucceededStatus &&
        status != QWebEngineLoadingInfo::LoadFailedStatus)
        return;
    LoadedPage page;
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        page.httpStatus = info.errorCode();
    // An HTTP error still delivers the engine's page; a failed connection has none worth reading.
    page.loaded = status == QWebEngineLoadingInfo::LoadSucceededStatus || page.httpStatus > 0;
    if (!page.loaded) {
        page.errorText = info.errorString();
        m_run->pageCompleted(page, {}, QString());
        return;
    }
    QPointer<ListBuilderWindow> self(this);
    m_browser->page()->runJavaScript(kPageScript, [self, page](const QVariant &result) mutable {
        if (!self || self->m_closing)
            return;
        const QVariantMap map = result.toMap();
        page.address = map.value(QStringLiteral("address")).toString();
        page.title = map.value(QStringLiteral("title")).toString();
        page.text = map.value(QStringLiteral("text")).toString();
        page.formActions = stringList(map.value(QStringLiteral("forms")));
        page.frameSources = stringList(map.value(QStringLiteral("frames")));
        self->m_run->pageCompleted(page, stringList(map.value(QStringLiteral("links"))),
                                   map.value(QStringLiteral("body")).toString());
    });
}

void ListBuilderWindow::onListReady(int foundTotal, int wordMax, const QString &stopReason) {
    if (!stopReason.isEmpty()) {
        // The window stays on the page that stopped the run; the names before it are checked.
        m_ctx.desktop->message(m_ctx.branding.ProductName,
                               stopReason +
                                   QStringLiteral(" The list of %1 unique domains found on the "
                                                  "pages before it is checked now.")
                                       .arg(foundTotal),
                               Desktop::Icon::Warning);
        startCheck(wordMax);
        return;
    }
    m_browser->stop();
    hide();
    m_ctx.desktop->message(
        m_ctx.branding.ProductName,
        QStringLiteral("List of %1 unique domains was created successfully!").arg(foundTotal));
    startCheck(wordMax);
    close();
}

// The one place the builder hands its list to the session. The list is checked under the
// builder's own search type, whatever Combo1 shows by now, and from its first entry.
void ListBuilderWindow::startCheck(int wordMax) {
    if (m_session.running()) {
        m_ctx.desktop->message(m_ctx.branding.ProductName,
                               QStringLiteral("Another search is running, so the list was not "
                                              "checked. Choose %1 after it has ended to check it.")
                                   .arg(SearchTypes::caption(m_run->searchType())),
                               Desktop::Icon::Warning);
        return;
    }
    m_session.startList(m_run->searchType(), m_ctx.folder.browserSearchList(), wordMax);
}

void ListBuilderWindow::onFailed(const QString &message, bool showPage) {
    if (!showPage) {
        m_browser->stop();
        hide();
    }
    m_ctx.desktop->message(m_ctx.branding.ProductName, message, Desktop::Icon::Warning);
    if (!showPage)
        close();
}

void ListBuilderWindow::onWriteFailed(const QString &message) {
    m_browser->stop();
    hide();
    m_ctx.desktop->message(QStringLiteral("Error"), message, Desktop::Icon::Warning);
    close();
}
