#include "harvest/harvestbrowser.h"

#include "session/appcontext.h"
#include "session/searchsession.h"
#include "core/desktop.h"
#include "core/filehelpers.h"
#include "harvest/browserharvest.h"
#include "harvest/harvestchecker.h"
#include "harvest/harvestlistpanel.h"
#include "whois/dnssettings.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
// The body's HTML for the line rule, and what the page shows: its rendered text and the
// addresses written in its links (relative ones name the page's own site, not a name it shows).
// Pages are hostile, so the shown part is capped; names are read from it in C++.
const QString kBodyScript = QStringLiteral(R"((function () {
    var maxText = 2097152, maxLinks = 5000, maxHref = 2048;
    var body = document.body;
    if (!body)
        return {body: '', shown: ''};
    var parts = [String(body.innerText).slice(0, maxText)];
    var anchors = document.querySelectorAll('a[href], area[href]');
    for (var i = 0; i < anchors.length && i < maxLinks; ++i)
        parts.push(String(anchors[i].getAttribute('href')).slice(0, maxHref));
    return {body: body.innerHTML, shown: parts.join('\n')};
})())");
const QStringList kShortcutCaptions = {QStringLiteral("Expired Traffic"),
                                       QStringLiteral("Deleted Domains"),
                                       QStringLiteral("Just Dropped"),
                                       QStringLiteral("AfterNIC"),
                                       QStringLiteral("DMOZ"),
                                       QStringLiteral("Google"),
                                       QStringLiteral("Yahoo")};
// 6500 twips, the smallest size the window's layout was made for.
constexpr int kMinimumSide = 434;
} // namespace

HarvestBrowser::HarvestBrowser(SearchSession &session, QWidget *parent)
    : QMainWindow(parent)
    , m_ctx(session.context())
    , m_session(session) {
    AppContext &ctx = m_ctx;
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Browse for Domains"));
    setWindowFlag(Qt::Window, true);
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(kMinimumSide, kMinimumSide);
    // Without a window manager "maximised" means nothing and the window would open at its
    // minimum size with the button bars cut off; start from the screen's working area.
    if (QScreen *screen = this->screen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);

    m_harvest = new BrowserHarvest(ctx.folder, ctx.registrars, ctx.hosts, this);
    m_checker = new HarvestChecker(ctx.folder, ctx.registrars, ctx.whois, session.lists(),
                                   ctx.timing, m_harvest->harvester(), this);
    m_checker->setReplyRules(&ctx.replyRules);
    m_checker->setDnsSettings(DnsSettings::read(*ctx.userStore, ctx.productApp()));

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(buildAddressBar());
    layout->addWidget(buildShortcutBar());
    auto *splitter = new QSplitter(central);
    splitter->addWidget(buildSidePanel());
    m_browser = new QWebEngineView(splitter);
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);
    buildStatusBar();
    connectBrowsers();
    connectHarvest();

    m_harvest->deleteQueueFile();
    m_checker->start();
    m_browser->load(homePage(ctx.folder));
}

HarvestBrowser::~HarvestBrowser() {
    // A page that goes with its view answers its pending script calls at once: they must find
    // this window whole, and do nothing.
    m_closing = true;
    delete m_browser;
    delete m_frameBrowser;
    // The builder's searches use the same file; closing the harvester discards its queue.
    m_harvest->deleteQueueFile();
}

QWidget *HarvestBrowser::buildAddressBar() {
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Frame1"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(QStringLiteral("URL:"), bar);
    label->setObjectName(QStringLiteral("Label3"));
    m_address = new QComboBox(bar);
    m_address->setObjectName(QStringLiteral("text1"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert); // Enter adds the entry itself
    m_address->setDuplicatesEnabled(true);
    m_address->setCompleter(nullptr);
    m_address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    row->addWidget(label);
    row->addWidget(m_address, 1);

    auto tool = [&](const QString &name, QStyle::StandardPixmap icon, const QString &tip) {
        auto *b = new QToolButton(bar);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip);
        row->addWidget(b);
        return b;
    };
    QToolButton *goButton = tool(QStringLiteral("Command1"), QStyle::SP_CommandLink,
                                 QStringLiteral("Navigate to the current url!"));
    QToolButton *back =
        tool(QStringLiteral("cmdBack"), QStyle::SP_ArrowBack, QStringLiteral("Go Back"));
    QToolButton *forward =
        tool(QStringLiteral("cmdFwd"), QStyle::SP_ArrowForward, QStringLiteral("Go Forward"));
    QToolButton *home = tool(QStringLiteral("cmdHome"), QStyle::SP_DirHomeIcon, QString());
    QToolButton *refresh =
        tool(QStringLiteral("cmdRefresh"), QStyle::SP_BrowserReload, QStringLiteral("Refresh"));
    QToolButton *stop = tool(QStringLiteral("cmdStop"), QStyle::SP_BrowserStop, QString());

    connect(goButton, &QToolButton::clicked, this, &HarvestBrowser::go);
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this, &HarvestBrowser::go);
    connect(m_address, &QComboBox::activated, this,
            [this](int index) { navigate(m_address->itemText(index)); });
    connect(back, &QToolButton::clicked, this, [this] { m_browser->back(); });
    connect(forward, &QToolButton::clicked, this, [this] { m_browser->forward(); });
    connect(home, &QToolButton::clicked, this, [this] { m_browser->load(homePage(m_ctx.folder)); });
    connect(refresh, &QToolButton::clicked, this, [this] { m_browser->reload(); });
    connect(stop, &QToolButton::clicked, this, [this] { m_browser->stop(); });
    return bar;
}

QWidget *HarvestBrowser::buildShortcutBar() {
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Frame2"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kShortcutCaptions.size(); ++i) {
        auto *b = new QPushButton(kShortcutCaptions.at(i), bar);
        b->setObjectName(QStringLiteral("Command2_%1").arg(i));
        connect(b, &QPushButton::clicked, this, [this, i] {
            if (i < m_ctx.hosts.shortcutAddresses.size())
                navigate(m_ctx.hosts.shortcutAddresses.at(i));
        });
        row->addWidget(b);
    }
    row->addStretch(1);
    auto *cache = new QPushButton(QStringLiteral("Clear Cache"), bar);
    cache->setObjectName(QStringLiteral("Command3"));
    cache->setToolTip(QStringLiteral("If you notice the program has stopped checking domains, "
                                     "please click here to correct the problem"));
    connect(cache, &QPushButton::clicked, this, &HarvestBrowser::clearCache);
    row->addWidget(cache);
    return bar;
}

QWidget *HarvestBrowser::buildSidePanel() {
    auto *side = new QWidget(this);
    auto *column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    m_free = new HarvestListPanel(1, *m_ctx.desktop, side);
    m_taken = new HarvestListPanel(2, *m_ctx.desktop, side);
    m_frameBrowser = new QWebEngineView(side);
    m_frameBrowser->setObjectName(QStringLiteral("WebBrowser2"));
    m_frameBrowser->setFixedHeight(80);
    column->addWidget(m_free, 1);
    column->addWidget(m_taken, 1);
    column->addWidget(m_frameBrowser);
    connect(m_free, &HarvestListPanel::cleared, m_harvest, &BrowserHarvest::clearSeen);
    connect(m_free, &HarvestListPanel::activated, &m_session, &SearchSession::openName);
    connect(m_taken, &HarvestListPanel::activated, &m_session, &SearchSession::openName);
    side->setMinimumWidth(200);
    return side;
}

void HarvestBrowser::buildStatusBar() {
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        m_panels[i]->setMinimumWidth(100);
        bar->addWidget(m_panels[i], 1);
    }
}

void HarvestBrowser::connectBrowsers() {
    connect(m_browser, &QWebEngineView::loadStarted, m_harvest, &BrowserHarvest::downloadBegun);
    connect(m_browser, &QWebEngineView::loadFinished, this,
            [this](bool ok) { harvestBody(m_browser, ok); });
    connect(m_frameBrowser, &QWebEngineView::loadFinished, this,
            [this](bool ok) { harvestBody(m_frameBrowser, ok); });
    connect(m_browser->page(), &QWebEnginePage::linkHovered, m_panels[2], &QLabel::setText);
    connect(m_browser, &QWebEngineView::titleChanged, this, [this](const QString &title) {
        m_address->setEditText(m_browser->url().toString());
        setWindowTitle(title + QStringLiteral(" - ") + m_ctx.branding.ProductName);
    });
}

void HarvestBrowser::connectHarvest() {
    connect(m_harvest, &BrowserHarvest::pageStatus, m_panels[1], &QLabel::setText);
    connect(m_harvest, &BrowserHarvest::followFrame, this,
            [this](const QUrl &url) { m_frameBrowser->load(url); });
    connect(m_harvest, &BrowserHarvest::pageHarvested, m_checker, &HarvestChecker::checkNextName);
    connect(m_checker, &HarvestChecker::progressText, m_panels[0], &QLabel::setText);
    connect(m_checker, &HarvestChecker::pageStatus, m_panels[1], &QLabel::setText);
    connect(m_checker, &HarvestChecker::freeName, m_free, &HarvestListPanel::addName);
    connect(m_checker, &HarvestChecker::takenName, m_taken, &HarvestListPanel::addName);
}

void HarvestBrowser::navigate(const QString &address) {
    const QUrl url = QUrl::fromUserInput(address);
    if (url.isValid())
        m_browser->load(url);
}

QUrl HarvestBrowser::homePage(const ProgramFolder &folder) {
    const QString page = folder.startPage();
    return Files::fileExists(page) ? QUrl::fromLocalFile(page)
                                   : QUrl(QStringLiteral("about:blank"));
}

void HarvestBrowser::go() {
    const QString address = m_address->currentText();
    m_address->addItem(address); // a text already in the list is added again
    m_address->setEditText(address);
    navigate(address);
}

void HarvestBrowser::harvestBody(QWebEngineView *browser, bool ok) {
    // A failed load shows an error page whose text must not be harvested.
    if (!ok) {
        m_harvest->pageCompleted(QString());
        return;
    }
    QPointer<HarvestBrowser> self(this);
    browser->page()->runJavaScript(kBodyScript, [self](const QVariant &result) {
        if (!self || self->m_closing)
            return;
        const QVariantMap page = result.toMap();
        self->m_harvest->pageCompleted(page.value(QStringLiteral("body")).toString(),
                                       page.value(QStringLiteral("shown")).toString());
    });
}

void HarvestBrowser::clearCache() {
    const QString scratch = m_ctx.folder.searchOutput();
    if (!Files::fileExists(scratch))
        return;
    QFile::remove(scratch);
    m_browser->reload();
}
