#include "app/mainwindow.h"

#include "app/appcontext.h"
#include "app/applog.h"
#include "core/desktop.h"
#include "app/elidedlabel.h"
#include "core/filehelpers.h"
#include "app/mainwindowcontrols.h"
#include "app/overflownotice.h"
#include "app/listcommands.h"
#include "core/listfile.h"
#include "whois/lookuppool.h"
#include "core/machinesettings.h"
#include "app/mainlayout.h"
#include "core/resultlists.h"
#include "app/resultlistview.h"
#include "app/searchdriver.h"
#include "core/settingsstore.h"
#include "app/skin.h"
#include "whois/whoisviewer.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>

namespace {
const QString Settings = QStringLiteral("Settings");
const QString WebsiteMode = QStringLiteral("Website");

enum Type {
    Browse,
    Generate,
    Yahoo,
    Google,
    FullWords,
    TwoLetter,
    ThreeLetter,
    FourLetter,
    Custom
};

struct WordList {
    const char *file;
    const char *positionKey;
};
// Indexed by Type - FullWords.
constexpr WordList WordLists[] = {
    {"\\Wordlists\\FullWordList.txt", "FullWordNum"},
    {"\\Wordlists\\AllTwoLetter.txt", "TwoWordNum"},
    {"\\Wordlists\\AllThreeLetter.txt", "ThreeWordNum"},
    {"\\Wordlists\\AllFourLetter.txt", "FourWordNum"},
};

const QStringList StartupFiles{
    QStringLiteral("\\BrowserSearch.txt"), QStringLiteral("\\Appends.txt"),
    QStringLiteral("\\CreatedDomains.txt"), QStringLiteral("\\Remembered.txt")};
const QStringList StartupFolders{QStringLiteral("\\backups"), QStringLiteral("\\overflow"),
                                 QStringLiteral("\\wordlists"), QStringLiteral("\\searches")};
// Closed at shut-down, in this order; the last two are not named by the unload order but
// would otherwise keep the process alive after the main window is gone.
const QStringList ClosedAtShutdown{
    QStringLiteral("Form2"),    QStringLiteral("Form3"),       QStringLiteral("Form5"),
    QStringLiteral("Form8"),    QStringLiteral("frmMake"),     QStringLiteral("frmSplash"),
    QStringLiteral("frmWhois"), QStringLiteral("frmSettings"), QStringLiteral("frmAbout")};

// A number field as a 32-bit integer; `fallback` when it holds no number.
int fieldNumber(const QLineEdit *field, int fallback, bool *ok = nullptr) {
    bool parsed = false;
    const int value = field->text().trimmed().toInt(&parsed);
    if (ok)
        *ok = parsed;
    return parsed ? value : fallback;
}

bool settingIsTrue(const QString &text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value != 0
              : text.trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}
} // namespace

MainWindow::MainWindow(AppContext &context, QWidget *parent)
    : QMainWindow(parent)
    , m_ctx(context)
    , m_ui(std::make_unique<MainWindowControls>()) {
    m_lists = new ResultLists(m_ctx.folder, this);
    m_pool =
        new LookupPool(m_ctx.registrars, m_ctx.whois, *m_lists, *m_ctx.desktop, m_ctx.timing, this);
    m_driver = new SearchDriver(*m_pool, *m_ctx.userStore, *m_ctx.desktop, m_ctx.timing, this);
    m_commands = std::make_unique<ListCommands>(*m_lists, *m_ctx.desktop);

    m_ui->setup(this);
    for (int k = 1; k <= 5; ++k) {
        m_ui->List[k]->setModel(m_lists->list(k));
        m_ui->List[k]->setToolTip(ResultLists::toolTip(k));
        m_ui->Label[k]->setText(m_lists->caption(k));
        m_ui->List[k]->installEventFilter(this);
    }
    m_windows.setFactory(QStringLiteral("Form2"), [this] { return new OverflowNotice(this); });

    // Nothing can run before a search type is chosen.
    m_ui->cmdDoSearch->setEnabled(false);
    m_ui->Command3->setEnabled(false);
    m_ui->cmdCreate->setEnabled(false);
    showGroups(true, false);
    setRestingPanels();

    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    setMinimumSize(MainLayout::sizeInPixels(MainLayout::MinimumSize, dpiX),
                   MainLayout::sizeInPixels(MainLayout::MinimumSize, dpiY));

    connectControls();
    connectEngines();
}

MainWindow::~MainWindow() {
    // The engines refer to each other and the views show the lists: tear down in reverse.
    delete m_driver;
    delete m_pool;
    delete takeCentralWidget();
    delete m_lists;
}

void MainWindow::connectControls() {
    MainWindowControls &ui = *m_ui;
    connect(ui.Combo1, &QComboBox::activated, this, [this] { applySelection(); });
    for (int i = 0; i < int(ui.mnuToolsItem.size()); ++i)
        connect(ui.mnuToolsItem[i], &QAction::triggered, this, [this, i] { selectSearchType(i); });
    connect(ui.txtSearch, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_ui->cmdCreate->setEnabled(!text.isEmpty()); });
    connect(ui.txtWordNum, &QLineEdit::textChanged, this, &MainWindow::onWordNumChanged);
    connect(ui.cmdDoSearch, &QPushButton::clicked, this, &MainWindow::start);
    connect(ui.Command3, &QPushButton::clicked, this, &MainWindow::stop);
    connect(ui.cmdCreate, &QPushButton::clicked, this,
            [this] { openWindow(QStringLiteral("Form3")); });
    connect(ui.cmdSetup, &QPushButton::clicked, this,
            [this] { openWindow(QStringLiteral("frmSettings")); });
    connect(ui.mnuOptionsItem, &QAction::triggered, this,
            [this] { openWindow(QStringLiteral("frmSettings")); });
    connect(ui.cmdWebsite, &QPushButton::clicked, this, [this] {
        m_ctx.WebsiteMode = WebsiteMode;
        openWindow(QStringLiteral("frmWebsite"));
    });
    connect(ui.mnuAboutItem, &QAction::triggered, this,
            [this] { openWindow(QStringLiteral("frmAbout")); });
    connect(ui.mnuHelpItem, &QAction::triggered, this, [this] {
        // The help launcher opens the help file when it is shown and has nothing to show.
        openWindow(QStringLiteral("Form8"));
        m_windows.close(QStringLiteral("Form8"));
    });
    connect(ui.mnuFileItem, &QAction::triggered, this, &QWidget::close);
    for (int i = 0; i < int(ui.mnuEditItem.size()); ++i)
        connect(ui.mnuEditItem[i], &QAction::triggered, this, [this, i] { editMenuItem(i); });

    for (int k = 1; k <= 5; ++k) {
        connect(ui.cmdCopy[k], &QToolButton::clicked, this, [this, k] { copyList(k); });
        connect(ui.cmdClear[k], &QToolButton::clicked, this, [this, k] { deleteSelected(k); });
        connect(ui.cmdClear2[k], &QToolButton::clicked, this, [this, k] { clearList(k); });
        connect(ui.List[k], &QListView::doubleClicked, this,
                [this, k](const QModelIndex &index) { openEntry(k, index.row()); });
        if (k <= 4)
            connect(ui.List[k], &QListView::pressed, this, [this, k] { setActiveList(k); });
    }
    connect(ui.List[ResultLists::Saved], &ResultListView::textDropped, this,
            [this](const QString &text) { m_commands->dropOnSaved(text, m_activeList); });
}

void MainWindow::connectEngines() {
    connect(m_lists, &ResultLists::captionChanged, this, [this](int k, const QString &caption) {
        if (k >= 1 && k <= 5)
            m_ui->Label[k]->setText(caption);
    });
    connect(m_lists, &ResultLists::writeFailed, this,
            [this](const QString &message) { setPanel(3, message); });
    // The notice opens once however many signals report the same overflow.
    connect(m_lists, &ResultLists::overflowed, this,
            [this] { openWindow(QStringLiteral("Form2")); });
    connect(m_pool, &LookupPool::overflowed, this, [this] { openWindow(QStringLiteral("Form2")); });
    connect(m_pool, &LookupPool::statusText, this, &MainWindow::setPanel);
    connect(m_driver, &SearchDriver::statusText, this, &MainWindow::setPanel);
    connect(m_driver, &SearchDriver::stopped, this, &MainWindow::onStopped);
}

// ---- start-up ---------------------------------------------------------------------------------

void MainWindow::load() {
    const Branding &brand = m_ctx.branding;
    setWindowTitle(brand.ProductName + QStringLiteral(" by ") + brand.CompanyName);
    m_ui->cmdWebsite->setText(QStringLiteral("Visit ") + brand.WebsiteText);
    m_ui->Frame2->setTitle(
        QStringLiteral("Domain Name Manager - Double Click any domain to purchase"));

    if (brand.SkinSwitch) {
        mirrorLabels(brand, this, QStringLiteral("SkinLabel1"), isPlainLabel);
        applySkin(brand, this);
    }
    showHelpOnFirstStart();
    createStartupFiles();
    m_lists->loadSavedList();
    setWindowState(windowState() | Qt::WindowMaximized);
    m_wordNumber = m_ctx.userStore
                       ->read(AppContext::PositionsApp, Settings, QStringLiteral("wordNumber"),
                              QStringLiteral("0"))
                       .toInt();
    for (const QString &folder : StartupFolders) {
        const QString path = m_ctx.folder.path(folder);
        if (!Files::dirExists(path) && !QDir().mkpath(path))
            qCWarning(lcApp) << "Could not create the folder" << path;
    }
    loadRegistrars();
    readLookupOptions();
}

void MainWindow::showHelpOnFirstStart() {
    const QString showHelp = QStringLiteral("showHelp");
    if (m_ctx.userStore->read(m_ctx.productApp(), Settings, showHelp, QStringLiteral("1")) !=
        QStringLiteral("1"))
        return;
    m_ctx.userStore->write(m_ctx.productApp(), Settings, showHelp, QStringLiteral("0"));
    openWindow(QStringLiteral("Form8"));
    m_windows.close(QStringLiteral("Form8"));
}

void MainWindow::createStartupFiles() {
    for (const QString &file : StartupFiles) {
        const QString path = m_ctx.folder.path(file);
        // A missing start-up file is reported (and logged) where it is next used.
        if (!Files::fileExists(path))
            (void)TextFile::writeAll(path, QStringLiteral("\r\n"));
    }
}

void MainWindow::loadRegistrars() {
    RegistrarTable &table = m_ctx.registrars;
    if (table.filePath().isEmpty())
        table.setFilePath(m_ctx.folder.path(QStringLiteral("\\registrars.txt")));
    Result<> result = table.ensureRegistrarFile(false);
    const Result<> loaded = table.loadRegistrars();
    if (result.ok())
        result = loaded;
    // Shown once where it does not stop the start-up; the bad row is simply unused.
    if (result.failed())
        setPanel(3, result.error().text());
}

void MainWindow::readLookupOptions() {
    // The proxy choice lives where the extension settings window stores it.
    QString proxy = QStringLiteral("0");
    if (m_ctx.machineStore) {
        const MachineSettings machine(*m_ctx.machineStore, *m_ctx.userStore,
                                      m_ctx.branding.CompanyName, m_ctx.branding.ProductName);
        // Only empty names fail, and those are logged; ours are constants.
        proxy =
            machine
                .getMachineSetting(m_ctx.productApp(), Settings, QStringLiteral("chkProxy"), proxy)
                .valueOr(proxy);
    }
    m_ctx.whois.ProxySwitch = settingIsTrue(proxy);
    m_ctx.whois.DefaultExtension = m_ctx.userStore->read(
        m_ctx.productApp(), Settings, QStringLiteral("DefaultExt"), QStringLiteral(".com"));
}

// ---- search-type selection --------------------------------------------------------------------

QStringList MainWindow::searchTypes() {
    return MainWindowControls::searchTypes();
}

QString MainWindow::searchType() const {
    return m_ui->Combo1->currentText();
}

QString MainWindow::searchText() const {
    return m_ui->txtSearch->text();
}

int MainWindow::wantedCountIndex() const {
    return m_ui->Combo2->currentIndex();
}

void MainWindow::setWordMax(const QString &text) {
    m_ui->txtWordMax->setText(text);
}

void MainWindow::setWordNum(const QString &text) {
    m_ui->txtWordNum->setText(text);
}

QString MainWindow::listPath() const {
    return m_driver->listPath();
}

void MainWindow::selectSearchType(int index) {
    if (index < 0 || index >= m_ui->Combo1->count())
        return;
    m_ui->Combo1->setCurrentIndex(index);
    applySelection();
}

void MainWindow::showGroups(bool wordList, bool webSearch) {
    for (QWidget *w :
         {static_cast<QWidget *>(m_ui->txtWordNum), static_cast<QWidget *>(m_ui->txtWordMax),
          static_cast<QWidget *>(m_ui->wLabel1), static_cast<QWidget *>(m_ui->wLabel2),
          static_cast<QWidget *>(m_ui->cmdDoSearch)})
        w->setVisible(wordList);
    for (QWidget *w :
         {static_cast<QWidget *>(m_ui->SLabel1), static_cast<QWidget *>(m_ui->SLabel2),
          static_cast<QWidget *>(m_ui->txtSearch), static_cast<QWidget *>(m_ui->Combo2),
          static_cast<QWidget *>(m_ui->cmdCreate)})
        w->setVisible(webSearch);
}

// Start armed, Stop disarmed; the web-search inputs only for the web types.
void MainWindow::armForType(bool webSearch) {
    m_ui->cmdDoSearch->setEnabled(true);
    m_ui->Command3->setEnabled(false);
    m_ui->txtSearch->setEnabled(webSearch);
    m_ui->Combo2->setEnabled(webSearch);
    m_ui->cmdCreate->setEnabled(webSearch && !m_ui->txtSearch->text().isEmpty());
    m_ui->txtWordNum->setEnabled(true);
}

void MainWindow::applySelection() {
    const int type = m_ui->Combo1->currentIndex();
    if (type < 0)
        return;
    if (type == Custom && !chooseCustomList()) {
        // A cancelled dialog changes nothing, not even the shown type.
        const QSignalBlocker blocker(m_ui->Combo1);
        m_ui->Combo1->setCurrentIndex(m_selectedIndex);
        return;
    }
    m_selectedIndex = type;
    m_driver->setSearchType(m_ui->Combo1->currentText());

    switch (type) {
    case Browse:
        showGroups(false, false);
        openWindow(QStringLiteral("Form5"));
        return;
    case Generate:
        showGroups(false, false);
        m_driver->setListPath(m_ctx.folder.path(QStringLiteral("\\CreatedDomains.txt")));
        armForType(false);
        m_ui->txtWordNum->setText(QStringLiteral("1"));
        openWindow(QStringLiteral("frmMake"));
        return;
    case Yahoo:
    case Google:
        showGroups(false, true);
        m_driver->setListPath(m_ctx.folder.path(QStringLiteral("\\BrowserSearch.txt")));
        armForType(true);
        m_ui->txtWordNum->setText(QStringLiteral("1"));
        return;
    case Custom:
        // chooseCustomList() has set the list and its count.
        showGroups(true, false);
        armForType(false);
        m_ui->txtWordNum->setText(QStringLiteral("1"));
        return;
    default:
        break;
    }
    const WordList &list = WordLists[type - FullWords];
    showGroups(true, false);
    m_driver->setListPath(m_ctx.folder.path(QString::fromLatin1(list.file)));
    m_ui->txtWordMax->setText(QString::number(ListFile::countListEntries(m_driver->listPath())));
    armForType(false);
    m_ui->txtWordNum->setText(m_ctx.userStore->read(AppContext::PositionsApp, Settings,
                                                    QString::fromLatin1(list.positionKey),
                                                    QStringLiteral("1")));
}

bool MainWindow::chooseCustomList() {
    const QString file = m_ctx.desktop->openFileName(
        m_ctx.folder.path(QStringLiteral("\\wordlists")), QStringLiteral("*.txt"));
    if (file.isEmpty())
        return false;
    m_driver->setListPath(file);
    m_ui->txtWordMax->setText(QString::number(ListFile::countListEntries(file)));
    return true;
}

// A start position at or past the end of the list starts the list again. Fields that hold no
// number (an empty field while typing) are left alone.
void MainWindow::onWordNumChanged() {
    bool numOk = false;
    bool maxOk = false;
    const int num = fieldNumber(m_ui->txtWordNum, 0, &numOk);
    const int max = fieldNumber(m_ui->txtWordMax, 0, &maxOk);
    if (numOk && maxOk && num >= max && m_ui->txtWordNum->text() != QStringLiteral("1"))
        m_ui->txtWordNum->setText(QStringLiteral("1"));
}

// ---- Start and Stop ---------------------------------------------------------------------------

void MainWindow::start() {
    m_lists->resetCounters();
    for (QWidget *w :
         {static_cast<QWidget *>(m_ui->cmdDoSearch), static_cast<QWidget *>(m_ui->Command3),
          static_cast<QWidget *>(m_ui->Combo1), static_cast<QWidget *>(m_ui->txtWordNum),
          static_cast<QWidget *>(m_ui->Combo2), static_cast<QWidget *>(m_ui->cmdCreate),
          static_cast<QWidget *>(m_ui->txtSearch)})
        w->setEnabled(false);
    const QString type = searchType();
    if (type == QStringLiteral("Yahoo Search") || type == QStringLiteral("Google Search"))
        m_ui->txtWordNum->setText(QStringLiteral("1"));

    // An empty or zero start field starts at the first entry; an empty count field counts the
    // list. What the run uses is shown in the fields.
    const int wordNumber = std::max(1, fieldNumber(m_ui->txtWordNum, 1));
    bool maxOk = false;
    int wordMax = fieldNumber(m_ui->txtWordMax, 0, &maxOk);
    if (!maxOk) {
        wordMax = ListFile::countListEntries(m_driver->listPath());
        m_ui->txtWordMax->setText(QString::number(wordMax));
    }
    if (m_ui->txtWordNum->text() != QString::number(wordNumber)) {
        const QSignalBlocker blocker(m_ui->txtWordNum);
        m_ui->txtWordNum->setText(QString::number(wordNumber));
    }

    m_ui->Command3->setEnabled(true);
    m_driver->start(wordNumber, wordMax);
}

void MainWindow::stop() {
    m_driver->stop();
}

void MainWindow::onStopped() {
    m_ui->Combo1->setEnabled(true);
    const int type = m_ui->Combo1->currentIndex();
    // The web and word-list types restore their own list and position; the others go back
    // to the custom position.
    if (type >= Yahoo && type <= FourLetter) {
        applySelection();
    } else {
        m_ui->cmdDoSearch->setEnabled(true);
        m_ui->Command3->setEnabled(false);
        m_ui->txtSearch->setEnabled(false);
        m_ui->Combo2->setEnabled(false);
        m_ui->cmdCreate->setEnabled(false);
        m_ui->txtWordNum->setEnabled(true);
        m_ui->txtWordNum->setText(m_ctx.userStore->read(AppContext::PositionsApp, Settings,
                                                        QStringLiteral("CustWordNum"),
                                                        QStringLiteral("1")));
    }
    setRestingPanels();
}

// ---- status bar and other windows --------------------------------------------------------------

void MainWindow::setPanel(int panel, const QString &text) {
    if (panel >= 1 && panel <= 3)
        m_ui->Panel[panel]->setText(text);
}

QString MainWindow::statusPanelText(int panel) const {
    return panel >= 1 && panel <= 3 ? m_ui->Panel[panel]->text() : QString();
}

void MainWindow::setRestingPanels() {
    setPanel(1, QStringLiteral("Entry Status"));
    setPanel(2, QStringLiteral("Open Connections"));
    setPanel(3, QStringLiteral("Connection Status"));
}

void MainWindow::openWindow(const QString &name) {
    m_windows.open(name);
}

// ---- list commands ----------------------------------------------------------------------------

void MainWindow::setActiveList(int k) {
    if (k >= 1 && k <= 4)
        m_activeList = k;
}

void MainWindow::copyList(int k) {
    m_commands->copyList(k);
}

void MainWindow::deleteSelected(int k) {
    if (k < 1 || k > 5)
        return;
    const QModelIndex current = m_ui->List[k]->currentIndex();
    m_commands->deleteSelected(k, current.isValid() ? current.row() : -1);
}

void MainWindow::clearList(int k) {
    m_commands->clearList(k);
}

void MainWindow::editMenuItem(int item) {
    m_commands->editMenuItem(item);
}

void MainWindow::dropOnSaved(const QMimeData &data) {
    m_commands->dropOnSaved(data.hasText() ? data.text() : QString(), m_activeList);
}

QMimeData *MainWindow::dragData(int k) const {
    return k >= 1 && k <= 4 ? m_ui->List[k]->selectionMimeData() : nullptr;
}

void MainWindow::openEntry(int k, int row) {
    const NameListModel *list = m_lists->list(k);
    if (!list || row < 0 || row >= list->count())
        return;
    const QString name = list->at(row);
    m_ctx.WhoisName = name;
    if (m_ctx.branding.PurchaseSwitch) {
        m_ctx.desktop->openUrl(m_ctx.branding.PurchasePrefix + name);
        return;
    }
    m_windows.close(QStringLiteral("frmWhois"));
    auto *viewer = new WhoisViewer(m_ctx.hosts.viewerServer, m_ctx.hosts.viewerPort, name, this);
    viewer->setWindowFlag(Qt::Window, true);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    m_windows.adopt(QStringLiteral("frmWhois"), viewer);
    viewer->show();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        auto *view = qobject_cast<ResultListView *>(watched);
        const auto *key = static_cast<QKeyEvent *>(event);
        if (view && key->key() == Qt::Key_Delete) {
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

// ---- shut-down and layout ---------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent *event) {
    shutdown();
    QMainWindow::closeEvent(event);
}

void MainWindow::shutdown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_driver->shutdown();
    for (const QString &name : ClosedAtShutdown)
        m_windows.close(name);
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
    layout.compute(w, h, MainLayout::toTwips(m_ui->StatusBar1->sizeHint().height(), dpiY));
    const auto place = [dpiX, dpiY](QWidget *widget, const QRectF &twips) {
        widget->setGeometry(MainLayout::toPixels(twips, dpiX, dpiY));
    };

    place(m_ui->Frame1, layout.frame1);
    place(m_ui->Frame2, layout.frame2);
    place(m_ui->cmdWebsite, layout.website);
    for (const MainLayout::Fixed &fixed : MainLayout::fixedControls()) {
        if (auto *widget = m_ui->Frame1->findChild<QWidget *>(fixed.name))
            place(widget, fixed.rect);
    }
    for (int panel = 1; panel <= 3; ++panel)
        m_ui->Panel[panel]->setFixedWidth(
            MainLayout::toPixels(QRectF(0, 0, layout.panelWidths[panel - 1], 1), dpiX, dpiY)
                .width());
    for (int k = 1; k <= 5; ++k) {
        place(m_ui->List[k], layout.lists[k]);
        place(m_ui->Label[k], layout.labels[k]);
        place(m_ui->cmdCopy[k], layout.copyButtons[k]);
        place(m_ui->cmdClear[k], layout.clearButtons[k]);
        place(m_ui->cmdClear2[k], layout.clear2Buttons[k]);
    }
}
