#include "app/mainwindow.h"

#include "session/appcontext.h"
#include "session/applog.h"
#include "app/elidedlabel.h"
#include "session/listcommands.h"
#include "session/listexport.h"
#include "session/mainlayout.h"
#include "app/mainwindowcontrols.h"
#include "app/overflownotice.h"
#include "app/problemindicator.h"
#include "app/resultlistview.h"
#include "app/runstatus.h"
#include "session/searchdriver.h"
#include "session/searchsession.h"
#include "app/skin.h"
#include "app/windowplacement.h"
#include "core/desktop.h"
#include "core/filehelpers.h"
#include "core/resultlists.h"
#include "whois/dnsprobe.h"
#include "whois/dnssettings.h"
#include "whois/lookuppool.h"
#include "whois/whoisviewer.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace {
const QString WebsiteMode = QStringLiteral("Website");
// During a run the window shows the engine's state at a human rate, not per lookup: laying out
// text for every one of thousands of lookups a second would cost more than the lookups.
constexpr int RefreshMs = 100;

// Closed at shut-down, in this order; the last two are not named by the unload order but
// would otherwise keep the process alive after the main window is gone.
constexpr WindowId ClosedAtShutdown[] = {
    WindowId::OverflowNotice, WindowId::ListBuilder,       WindowId::HarvestBrowser,
    WindowId::HelpLauncher,   WindowId::Generator,         WindowId::Splash,
    WindowId::WhoisViewer,    WindowId::ExtensionSettings, WindowId::About};
} // namespace

MainWindow::MainWindow(SearchSession &session, QWidget *parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_ui(std::make_unique<MainWindowControls>()) {
    AppContext &ctx = m_session.context();
    ResultLists &lists = m_session.lists();
    m_commands = std::make_unique<ListCommands>(lists, *ctx.desktop);
    m_refresh = new QTimer(this);
    m_refresh->setInterval(RefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &MainWindow::refreshFromEngines);

    m_ui->setup(this);
    for (int k = 1; k <= 5; ++k) {
        m_ui->lists[k]->setModel(lists.list(k));
        m_ui->lists[k]->setToolTip(ResultLists::toolTip(k));
        m_ui->captions[k]->setText(lists.caption(k));
        m_ui->lists[k]->installEventFilter(this);
    }
    m_windows.setFactory(WindowId::OverflowNotice, [this] {
        auto *notice = new OverflowNotice(this);
        WindowPlacement::manage(notice, m_session.context().userStore,
                                m_session.context().productApp());
        return notice;
    });

    // Nothing can run before a search type is chosen.
    m_ui->startButton->setEnabled(false);
    m_ui->stopButton->setEnabled(false);
    m_ui->buildListButton->setEnabled(false);
    showGroups(true, false);
    showStartFields();
    setRestingPanels();

    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    setMinimumSize(MainLayout::sizeInPixels(MainLayout::MinimumSize, dpiX),
                   MainLayout::sizeInPixels(MainLayout::MinimumSize, dpiY));

    connectControls();
    connectListActions();
    connectSession();
    // The first thing to do is to choose a search type.
    m_ui->searchType->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls() {
    MainWindowControls &ui = *m_ui;
    AppContext &ctx = m_session.context();
    connect(ui.searchType, &QComboBox::activated, this, [this] { applySelection(); });
    for (int i = 0; i < int(ui.searchTypeActions.size()); ++i)
        connect(ui.searchTypeActions[i], &QAction::triggered, this,
                [this, i] { selectSearchType(i); });
    connect(ui.searchText, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_session.setSearchText(text);
        m_ui->buildListButton->setEnabled(!text.isEmpty());
    });
    connect(ui.wantedCount, &QComboBox::currentIndexChanged, &m_session,
            &SearchSession::setWantedCountIndex);
    connect(ui.startEntry, &QLineEdit::textChanged, &m_session, &SearchSession::setStartEntry);
    connect(ui.entryCount, &QLineEdit::textChanged, &m_session, &SearchSession::setEntryCount);
    connect(ui.startButton, &QPushButton::clicked, this, &MainWindow::start);
    connect(ui.stopButton, &QPushButton::clicked, this, &MainWindow::stop);
    connect(ui.buildListButton, &QPushButton::clicked, this,
            [this] { m_windows.open(WindowId::ListBuilder); });
    connect(ui.setupButton, &QPushButton::clicked, this,
            [this] { m_windows.open(WindowId::ExtensionSettings); });
    connect(ui.optionsAction, &QAction::triggered, this,
            [this] { m_windows.open(WindowId::ExtensionSettings); });
    // The check mark shows what is stored, which another window may have changed.
    const auto showDnsFirst = [this, &ctx] {
        m_ui->dnsFirstAction->setChecked(
            DnsSettings::read(*ctx.userStore, ctx.productApp()).enabled);
    };
    showDnsFirst();
    if (auto *options = qobject_cast<QMenu *>(ui.dnsFirstAction->parent()))
        connect(options, &QMenu::aboutToShow, this, showDnsFirst);
    connect(ui.dnsFirstAction, &QAction::triggered, this, &MainWindow::setDnsFirst);
    connect(ui.dnsServerAction, &QAction::triggered, this, &MainWindow::chooseDnsServer);
    connect(ui.websiteButton, &QPushButton::clicked, this, [this, &ctx] {
        ctx.WebsiteMode = WebsiteMode;
        m_windows.open(WindowId::Website);
    });
    connect(ui.aboutAction, &QAction::triggered, this, [this] { m_windows.open(WindowId::About); });
    connect(ui.helpAction, &QAction::triggered, this, [this] {
        // The help launcher opens the help file when it is shown and has nothing to show.
        m_windows.open(WindowId::HelpLauncher);
        m_windows.close(WindowId::HelpLauncher);
    });
    connect(ui.exportAction, &QAction::triggered, this, &MainWindow::exportLists);
    connect(ui.exitAction, &QAction::triggered, this, &QWidget::close);
    for (int i = 0; i < int(ui.editActions.size()); ++i)
        connect(ui.editActions[i], &QAction::triggered, this, [this, i] { editMenuItem(i); });

    for (int k = 1; k <= 5; ++k) {
        connect(ui.copyButtons[k], &QToolButton::clicked, this, [this, k] { copyList(k); });
        connect(ui.deleteButtons[k], &QToolButton::clicked, this, [this, k] { deleteSelected(k); });
        connect(ui.clearButtons[k], &QToolButton::clicked, this, [this, k] { clearList(k); });
        connect(ui.lists[k], &QListView::doubleClicked, this,
                [this, k](const QModelIndex &index) { openEntry(k, index.row()); });
        if (k <= 4)
            connect(ui.lists[k], &QListView::pressed, this, [this, k] { setActiveList(k); });
    }
    connect(ui.lists[ResultLists::Saved], &ResultListView::textDropped, this,
            [this](const QString &text) { m_commands->dropOnSaved(text, m_activeList); });
}

void MainWindow::connectSession() {
    ResultLists &lists = m_session.lists();
    connect(&lists, &ResultLists::captionChanged, this, [this](int k, const QString &caption) {
        if (k >= 1 && k <= 5 && !refreshing())
            m_ui->captions[k]->setText(caption);
    });
    // Failures stay in their own indicator: the panels change with every connection.
    connect(&lists, &ResultLists::writeFailed, m_ui->problems, &ProblemIndicator::report);
    connect(m_ui->problems, &ProblemIndicator::changed, this, &MainWindow::applyLayout);
    // The notice opens once however many signals report the same overflow.
    connect(&lists, &ResultLists::overflowed, this, &MainWindow::showOverflowSaved);
    connect(&m_session.driver(), &SearchDriver::overflowed, this, &MainWindow::showOverflowSaved);
    connect(&lists, &ResultLists::overflowFailed, this, [this](const QString &folder) {
        m_ui->problems->report(OverflowNotice::failureText(folder));
        if (auto *notice = qobject_cast<OverflowNotice *>(m_windows.open(WindowId::OverflowNotice)))
            notice->showFailure(folder);
    });
    connect(&m_session, &SearchSession::problemReported, m_ui->problems, &ProblemIndicator::report);
    connect(&m_session, &SearchSession::statusText, this, &MainWindow::setPanel);
    connect(&m_session, &SearchSession::typeSelected, this, &MainWindow::showType);
    connect(&m_session, &SearchSession::startFieldsChanged, this, &MainWindow::showStartFields);
    connect(&m_session, &SearchSession::runStarting, this, &MainWindow::lockForRun);
    connect(&m_session, &SearchSession::runStopped, this, &MainWindow::onRunStopped);
    connect(&m_session, &SearchSession::viewerRequested, this, &MainWindow::showViewer);
}

// ---- start-up ---------------------------------------------------------------------------------

void MainWindow::load() {
    const Branding &brand = m_session.context().branding;
    setWindowTitle(brand.ProductName + QStringLiteral(" by ") + brand.CompanyName);
    m_ui->websiteButton->setText(QStringLiteral("Visit ") + brand.WebsiteText);
    m_ui->resultFrame->setTitle(
        QStringLiteral("Domain Name Manager - Double Click any domain to purchase"));

    if (brand.SkinSwitch) {
        mirrorLabels(brand, this, QStringLiteral("SkinLabel1"), isPlainLabel);
        applySkin(brand, this);
    }
    if (m_session.takeFirstStartHelp()) {
        m_windows.open(WindowId::HelpLauncher);
        m_windows.close(WindowId::HelpLauncher);
    }
    setWindowState(windowState() | Qt::WindowMaximized);
    m_session.load();
}

// ---- search-type selection --------------------------------------------------------------------

void MainWindow::selectSearchType(int index) {
    if (index < 0 || index >= m_ui->searchType->count())
        return;
    m_ui->searchType->setCurrentIndex(index);
    applySelection();
}

void MainWindow::applySelection() {
    SearchType type{};
    if (!SearchTypes::fromIndex(m_ui->searchType->currentIndex(), &type))
        return;
    if (!m_session.selectType(type)) {
        // A cancelled dialog changes nothing, not even the shown type.
        const QSignalBlocker blocker(m_ui->searchType);
        m_ui->searchType->setCurrentIndex(m_session.hasType() ? SearchTypes::index(m_session.type())
                                                              : -1);
        return;
    }
    if (type == SearchType::Browse)
        m_windows.open(WindowId::HarvestBrowser);
    else if (type == SearchType::Generate)
        m_windows.open(WindowId::Generator);
}

void MainWindow::showType(SearchType type) {
    {
        const QSignalBlocker blocker(m_ui->searchType);
        m_ui->searchType->setCurrentIndex(SearchTypes::index(type));
    }
    const bool webSearch = SearchTypes::isWebSearch(type);
    switch (type) {
    case SearchType::Browse:
        showGroups(false, false);
        return;
    case SearchType::Generate:
        showGroups(false, false);
        break;
    default:
        showGroups(!webSearch, webSearch);
        break;
    }
    armForType(webSearch);
}

void MainWindow::showStartFields() {
    const QSignalBlocker entryBlocker(m_ui->startEntry);
    const QSignalBlocker countBlocker(m_ui->entryCount);
    if (m_ui->entryCount->text() != m_session.entryCount())
        m_ui->entryCount->setText(m_session.entryCount());
    if (m_ui->startEntry->text() != m_session.startEntry())
        m_ui->startEntry->setText(m_session.startEntry());
}

void MainWindow::showGroups(bool wordList, bool webSearch) {
    for (QWidget *w :
         {static_cast<QWidget *>(m_ui->startEntry), static_cast<QWidget *>(m_ui->entryCount),
          static_cast<QWidget *>(m_ui->startEntryLabel),
          static_cast<QWidget *>(m_ui->entryCountLabel), static_cast<QWidget *>(m_ui->startButton)})
        w->setVisible(wordList);
    for (QWidget *w :
         {static_cast<QWidget *>(m_ui->searchTextLabel),
          static_cast<QWidget *>(m_ui->wantedCountLabel), static_cast<QWidget *>(m_ui->searchText),
          static_cast<QWidget *>(m_ui->wantedCount), static_cast<QWidget *>(m_ui->buildListButton)})
        w->setVisible(webSearch);
}

// Start armed, Stop disarmed; the web-search inputs only for the web types.
void MainWindow::armForType(bool webSearch) {
    m_ui->startButton->setEnabled(true);
    m_ui->stopButton->setEnabled(false);
    m_ui->searchText->setEnabled(webSearch);
    m_ui->wantedCount->setEnabled(webSearch);
    m_ui->buildListButton->setEnabled(webSearch && !m_ui->searchText->text().isEmpty());
    m_ui->startEntry->setEnabled(true);
}

// ---- Start and Stop ---------------------------------------------------------------------------

void MainWindow::start() {
    m_session.start();
}

void MainWindow::stop() {
    m_session.stop();
}

void MainWindow::exportLists() {
    const QString path =
        ListExport::exportLists(*m_session.context().desktop, m_session.lists(),
                                QDir::homePath() + QStringLiteral("/kestrin-lists.csv"));
    if (!path.isEmpty())
        setPanel(3, QStringLiteral("Lists exported to ") + path);
}

void MainWindow::lockForRun() {
    for (QWidget *w :
         {static_cast<QWidget *>(m_ui->startButton), static_cast<QWidget *>(m_ui->searchType),
          static_cast<QWidget *>(m_ui->startEntry), static_cast<QWidget *>(m_ui->wantedCount),
          static_cast<QWidget *>(m_ui->buildListButton), static_cast<QWidget *>(m_ui->searchText)})
        w->setEnabled(false);
    m_ui->stopButton->setEnabled(true);
    m_session.lists().setViewsDeferred(true);
    m_ui->runStatus->begin();
    applyLayout();
    m_refresh->start();
}

void MainWindow::onRunStopped() {
    // Exact from here on: the last state of the run, then every change as it happens.
    m_refresh->stop();
    refreshFromEngines();
    m_session.lists().setViewsDeferred(false);
    m_ui->searchType->setEnabled(true);
    armForType(m_session.hasType() && SearchTypes::isWebSearch(m_session.type()));
    setRestingPanels();
    // Where the names the run could not decide went, until the next run.
    const QString unknown = m_session.driver().unknownReport();
    if (!unknown.isEmpty())
        setPanel(3, unknown);
    m_ui->runStatus->showSummary(m_session.driver().progress(), unknown);
}

// ---- status bar and other windows --------------------------------------------------------------

void MainWindow::setPanel(int panel, const QString &text) {
    if (panel < 1 || panel > 3)
        return;
    // Names and server texts reach the panels; a control character must not break the bar.
    const QString line = TextFile::oneLine(text);
    if (refreshing()) {
        m_pendingPanel[panel] = line;
        m_panelDirty[panel] = true;
        return;
    }
    m_panelDirty[panel] = false;
    m_ui->panels[panel]->setText(line);
}

bool MainWindow::refreshing() const {
    return m_refresh->isActive();
}

// One block insertion per list and one text per label, whatever happened since the last call.
void MainWindow::refreshFromEngines() {
    m_session.lists().publishViews();
    if (refreshing())
        m_ui->runStatus->showProgress(m_session.driver().progress());
    for (int k = 1; k <= 5; ++k) {
        const QString caption = m_session.lists().caption(k);
        if (m_ui->captions[k]->text() != caption)
            m_ui->captions[k]->setText(caption);
    }
    for (int panel = 1; panel <= 3; ++panel) {
        if (!m_panelDirty[panel])
            continue;
        m_panelDirty[panel] = false;
        m_ui->panels[panel]->setText(m_pendingPanel[panel]);
    }
}

QString MainWindow::statusPanelText(int panel) const {
    if (panel < 1 || panel > 3)
        return QString();
    return m_panelDirty[panel] ? m_pendingPanel[panel] : m_ui->panels[panel]->text();
}

void MainWindow::setRestingPanels() {
    setPanel(1, QStringLiteral("Entry Status"));
    setPanel(2, QStringLiteral("Open Connections"));
    setPanel(3, QStringLiteral("Connection Status"));
}

void MainWindow::showViewer(const QString &name) {
    const VendorHosts &hosts = m_session.context().hosts;
    m_windows.close(WindowId::WhoisViewer);
    auto *viewer = new WhoisViewer(hosts.viewerServer, hosts.viewerPort, name, this);
    viewer->setWindowFlag(Qt::Window, true);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    WindowPlacement::manage(viewer, m_session.context().userStore,
                            m_session.context().productApp());
    m_windows.adopt(WindowId::WhoisViewer, viewer);
    viewer->show();
}

void MainWindow::showOverflowSaved() {
    if (auto *notice = qobject_cast<OverflowNotice *>(m_windows.open(WindowId::OverflowNotice)))
        notice->showSaved();
}

QStringList MainWindow::problems() const {
    return m_ui->problems->problems();
}

// ---- list commands ----------------------------------------------------------------------------

void MainWindow::setActiveList(int k) {
    if (k >= 1 && k <= 4)
        m_activeList = k;
}

// The list commands work on the true lists; during a run the views are brought up to date
// with them right away, not at the next refresh.
void MainWindow::copyList(int k) {
    m_commands->copyList(k);
    refreshFromEngines();
}

void MainWindow::deleteSelected(int k) {
    if (k < 1 || k > 5)
        return;
    QList<int> rows = m_ui->lists[k]->selectedRows();
    const QModelIndex current = m_ui->lists[k]->currentIndex();
    if (rows.isEmpty() && current.isValid())
        rows << current.row();
    m_commands->deleteRows(k, rows);
    refreshFromEngines();
}

void MainWindow::clearList(int k) {
    m_commands->clearList(k);
    refreshFromEngines();
}

void MainWindow::editMenuItem(int item) {
    m_commands->editMenuItem(item);
    refreshFromEngines();
}

void MainWindow::dropOnSaved(const QMimeData &data) {
    m_commands->dropOnSaved(data.hasText() ? data.text() : QString(), m_activeList);
    refreshFromEngines();
}

QMimeData *MainWindow::dragData(int k) const {
    return k >= 1 && k <= 4 ? m_ui->lists[k]->selectionMimeData() : nullptr;
}

void MainWindow::openEntry(int k, int row) {
    const NameListModel *list = m_session.lists().list(k);
    // The name the user double-clicked, even if a run has filed past it since.
    const QString name = list ? list->shownAt(row) : QString();
    if (name.isEmpty())
        return;
    m_session.openName(name);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    auto *view = qobject_cast<ResultListView *>(watched);
    if (view && event->type() == QEvent::FocusIn)
        m_focusList = view->number();
    if (view && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Enter opens the current entry as a double-click does.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (view->currentIndex().isValid())
                openEntry(view->number(), view->currentIndex().row());
            return true;
        }
        if (key->matches(QKeySequence::Copy)) {
            copySelected(view->number());
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
            if (mods == Qt::ShiftModifier)
                clearList(view->number());
            else
                deleteSelected(view->number());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- the list actions and the context menu ------------------------------------------------------

void MainWindow::connectListActions() {
    MainWindowControls &ui = *m_ui;
    const auto onList = [this](QAction *action, void (MainWindow::*command)(int)) {
        connect(action, &QAction::triggered, this, [this, command] {
            if (const int k = focusList())
                (this->*command)(k);
        });
    };
    onList(ui.copySelectedAction, &MainWindow::copySelected);
    onList(ui.deleteSelectedAction, &MainWindow::deleteSelected);
    onList(ui.saveSelectedAction, &MainWindow::saveSelected);
    connect(ui.openRegistrarAction, &QAction::triggered, this, [this] {
        const QString name = currentName(focusList());
        if (name.isEmpty())
            return;
        AppContext &ctx = m_session.context();
        ctx.WhoisName = name;
        ctx.desktop->openUrl(ctx.branding.PurchasePrefix + name);
    });
    connect(ui.showReplyAction, &QAction::triggered, this, [this] {
        const QString name = currentName(focusList());
        if (name.isEmpty())
            return;
        m_session.context().WhoisName = name;
        showViewer(name);
    });
    connect(ui.editMenu, &QMenu::aboutToShow, this, [this] { enableListActions(focusList()); });
    for (int k = 1; k <= 5; ++k)
        connect(ui.lists[k], &QWidget::customContextMenuRequested, this,
                [this, k](const QPoint &pos) { showListMenu(k, pos); });
}

int MainWindow::focusList() const {
    if (auto *view = qobject_cast<ResultListView *>(QApplication::focusWidget()))
        return view->number();
    return m_focusList;
}

void MainWindow::showListMenu(int k, const QPoint &pos) {
    m_focusList = k;
    enableListActions(k);
    // Not exec(): lookups go on while the menu is open, and must not run inside it.
    m_ui->listMenu->popup(m_ui->lists[k]->viewport()->mapToGlobal(pos));
}

// Copy and Delete keep their keys working, so they stay enabled and do nothing without a
// selection; the others show whether they apply.
void MainWindow::enableListActions(int k) {
    const bool named = !currentName(k).isEmpty();
    m_ui->saveSelectedAction->setEnabled(k >= 1 && k <= 4 &&
                                         m_ui->lists[k]->selectionModel()->hasSelection());
    m_ui->openRegistrarAction->setEnabled(named);
    m_ui->showReplyAction->setEnabled(named);
}

// The entry at the list's current index, else its first selected one, as the view shows it.
QString MainWindow::currentName(int k) const {
    if (k < 1 || k > 5)
        return QString();
    const ResultListView *view = m_ui->lists[k];
    int row = view->currentIndex().isValid() ? view->currentIndex().row() : -1;
    if (row < 0 && !view->selectedRows().isEmpty())
        row = view->selectedRows().first();
    return m_session.lists().list(k)->shownAt(row);
}

void MainWindow::copySelected(int k) {
    if (k < 1 || k > 5)
        return;
    m_commands->copyRows(k, m_ui->lists[k]->selectedRows());
}

void MainWindow::saveSelected(int k) {
    if (k < 1 || k > 4)
        return;
    m_commands->dropOnSaved(m_ui->lists[k]->selectedPositions(), k);
    refreshFromEngines();
}

// ---- shut-down and layout ---------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent *event) {
    shutdown();
    QMainWindow::closeEvent(event);
}

void MainWindow::shutdown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_session.shutdown();
    m_refresh->stop();
    m_session.lists().setViewsDeferred(false);
    for (const WindowId id : ClosedAtShutdown)
        m_windows.close(id);
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized())
        applyLayout();
}

void MainWindow::applyLayout() {
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    const double w = MainLayout::toTwips(width(), dpiX);
    const double h = MainLayout::toTwips(height(), dpiY);
    if (!MainLayout::fits(w, h)) {
        // The new size raises another resize, which lays out.
        const QSizeF size = MainLayout::corrected(w, h);
        resize(MainLayout::sizeInPixels(size.width(), dpiX),
               MainLayout::sizeInPixels(size.height(), dpiY));
        return;
    }
    MainLayout layout;
    layout.compute(w, h, MainLayout::toTwips(m_ui->statusBar->sizeHint().height(), dpiY));
    const auto place = [dpiX, dpiY](QWidget *widget, const QRectF &twips) {
        widget->setGeometry(MainLayout::toPixels(twips, dpiX, dpiY));
    };

    place(m_ui->searchPanel, layout.frame1);
    place(m_ui->resultFrame, layout.frame2);
    place(m_ui->websiteButton, layout.website);
    for (const MainLayout::Fixed &fixed : MainLayout::fixedControls()) {
        if (auto *widget = m_ui->searchPanel->findChild<QWidget *>(fixed.name))
            place(widget, fixed.rect);
    }
    std::array<int, 3> panelWidths{};
    for (int panel = 1; panel <= 3; ++panel)
        panelWidths[panel - 1] =
            MainLayout::toPixels(QRectF(0, 0, layout.panelWidths[panel - 1], 1), dpiX, dpiY)
                .width();
    // The run's progress (or summary) and a reported problem share the third panel's room, so
    // the bar keeps its width.
    if (!m_ui->runStatus->isHidden()) {
        const int share = panelWidths[2] * 3 / 5;
        m_ui->runStatus->setFixedWidth(share);
        panelWidths[2] -= share;
    }
    if (!m_ui->problems->isHidden()) {
        const int half = panelWidths[2] / 2;
        m_ui->problems->setFixedWidth(half);
        panelWidths[2] -= half;
    }
    for (int panel = 1; panel <= 3; ++panel)
        m_ui->panels[panel]->setFixedWidth(std::max(1, panelWidths[panel - 1]));
    for (int k = 1; k <= 5; ++k) {
        place(m_ui->lists[k], layout.lists[k]);
        place(m_ui->captions[k], layout.labels[k]);
        place(m_ui->copyButtons[k], layout.copyButtons[k]);
        place(m_ui->deleteButtons[k], layout.clearButtons[k]);
        place(m_ui->clearButtons[k], layout.clear2Buttons[k]);
    }
}

void MainWindow::setDnsFirst(bool on) {
    AppContext &ctx = m_session.context();
    DnsSettings settings = DnsSettings::read(*ctx.userStore, ctx.productApp());
    settings.enabled = on;
    if (!settings.write(*ctx.userStore, ctx.productApp()))
        ctx.desktop->message(QCoreApplication::applicationName(),
                             QStringLiteral("The setting could not be saved."),
                             Desktop::Icon::Warning);
    m_ui->dnsFirstAction->setChecked(DnsSettings::read(*ctx.userStore, ctx.productApp()).enabled);
}

void MainWindow::chooseDnsServer() {
    AppContext &ctx = m_session.context();
    DnsSettings settings = DnsSettings::read(*ctx.userStore, ctx.productApp());
    QString text = settings.server;
    for (;;) {
        const std::optional<QString> answer = ctx.desktop->askText(
            QStringLiteral("DNS Server"),
            QStringLiteral("The DNS resolver asked for a name's name servers before its "
                           "registry, as ADDRESS[:PORT].\nLeave it empty for the system's "
                           "resolver."),
            text);
        if (!answer)
            return;
        text = answer->trimmed();
        if (text.isEmpty() || DnsProbe::serverAddress(text))
            break;
        ctx.desktop->message(QStringLiteral("DNS Server"),
                             QStringLiteral("\"") + text +
                                 QStringLiteral("\" is not an IP address with an optional port, "
                                                "for example 127.0.0.1:5353 or [::1]:53."),
                             Desktop::Icon::Warning);
    }
    settings.server = text;
    if (!settings.write(*ctx.userStore, ctx.productApp()))
        ctx.desktop->message(QCoreApplication::applicationName(),
                             QStringLiteral("The setting could not be saved."),
                             Desktop::Icon::Warning);
}
