#include "app/mainwindowcontrols.h"

#include "app/elidedlabel.h"
#include "session/listcommands.h"
#include "app/problemindicator.h"
#include "app/resultlistview.h"
#include "app/runstatus.h"
#include "core/searchtype.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QValidator>
#include <limits>

namespace {
enum class Glyph { Copy, Delete, Clear };

// Small drawn pictures for the list buttons, so they read the same on every desktop theme.
QIcon glyphIcon(Glyph glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(70, 70, 70), 1);
    const QPen cross(QColor(200, 30, 30), 2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(outline);
    p.setBrush(Qt::white);
    switch (glyph) {
    case Glyph::Copy:
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
        break;
    case Glyph::Delete:
        p.drawRect(QRectF(1.5, 5.5, 13, 5));
        p.setPen(cross);
        p.drawLine(QPointF(9, 3), QPointF(14, 8));
        p.drawLine(QPointF(14, 3), QPointF(9, 8));
        break;
    case Glyph::Clear:
        for (int y : {3, 7, 11})
            p.drawLine(QPointF(2, y + 0.5), QPointF(14, y + 0.5));
        p.setPen(cross);
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    }
    return QIcon(pixmap);
}

QToolButton *listButton(QWidget *parent, const QString &name, int k, Glyph glyph) {
    auto *button = new QToolButton(parent);
    button->setObjectName(name + QString::number(k));
    button->setIcon(glyphIcon(glyph));
    button->setAutoRaise(true);
    return button;
}

// Whole numbers from 0 to the largest 32-bit value, nothing else; unlike QIntValidator it also
// refuses a value above the range that has no more digits than the range's top.
class WholeNumberValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override {
        if (input.isEmpty())
            return Intermediate;
        for (const QChar c : input) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return Invalid;
        }
        bool ok = false;
        const qint64 value = input.toLongLong(&ok);
        return ok && value <= std::numeric_limits<qint32>::max() ? Acceptable : Invalid;
    }
};

QLineEdit *numberField(QWidget *parent, const QString &name) {
    auto *field = new QLineEdit(QStringLiteral("1"), parent);
    field->setObjectName(name);
    field->setValidator(new WholeNumberValidator(field));
    return field;
}

QLabel *caption(QWidget *parent, const QString &name, const QString &text) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// Puts a mnemonic on the first letter of `text` that no earlier entry of the same menu (or
// menu bar) took; the caption itself stays as written.
QString withMnemonic(const QString &text, QString &taken) {
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i).toLower();
        if (c.isLetter() && !taken.contains(c)) {
            taken += c;
            return QString(text).insert(i, QLatin1Char('&'));
        }
    }
    return text;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text) {
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}
} // namespace

QStringList MainWindowControls::searchTypes() {
    QStringList captions;
    for (SearchType type : SearchTypes::all())
        captions << SearchTypes::caption(type);
    return captions;
}

QStringList MainWindowControls::wantedCounts() {
    return {QStringLiteral("~100 Domains"), QStringLiteral("~200 Domains"),
            QStringLiteral("~500 Domains"), QStringLiteral("~1000 Domains")};
}

void MainWindowControls::setup(QMainWindow *window) {
    window->setObjectName(QStringLiteral("Form1"));
    central = new QWidget(window);
    window->setCentralWidget(central);
    setupSearchPanel();
    setupResultFrame();
    setupMenus(window);
    setupStatusBar(window);
    setTabOrder();
}

void MainWindowControls::setupSearchPanel() {
    searchPanel = new QFrame(central);
    searchPanel->setObjectName(QStringLiteral("Frame1"));
    searchPanel->setFrameShape(QFrame::StyledPanel);
    searchPanel->setFrameShadow(QFrame::Raised);

    searchType = new QComboBox(searchPanel);
    searchType->setObjectName(QStringLiteral("Combo1"));
    searchType->addItems(searchTypes());
    searchType->setCurrentIndex(-1);
    searchType->setPlaceholderText(QStringLiteral("Choose a search type"));

    startEntryLabel =
        caption(searchPanel, QStringLiteral("wLabel1"), QStringLiteral("Start at entry"));
    entryCountLabel =
        caption(searchPanel, QStringLiteral("wLabel2"), QStringLiteral("Entries in list"));
    startEntry = numberField(searchPanel, QStringLiteral("txtWordNum"));
    startEntry->setToolTip(QStringLiteral("The entry to start at."));
    entryCount = numberField(searchPanel, QStringLiteral("txtWordMax"));
    entryCount->setToolTip(QStringLiteral("The number of entries on your list."));
    startEntryLabel->setBuddy(startEntry);
    entryCountLabel->setBuddy(entryCount);
    startButton = button(searchPanel, QStringLiteral("cmdDoSearch"), QStringLiteral("&Start"));
    startButton->setToolTip(QStringLiteral("Click here to start searching your list."));

    searchTextLabel = caption(searchPanel, QStringLiteral("SLabel1"), QStringLiteral("Search for"));
    wantedCountLabel =
        caption(searchPanel, QStringLiteral("SLabel2"), QStringLiteral("Names to find"));
    searchText = new QLineEdit(searchPanel);
    searchText->setObjectName(QStringLiteral("txtSearch"));
    searchText->setToolTip(QStringLiteral("Enter a search string"));
    wantedCount = new QComboBox(searchPanel);
    wantedCount->setObjectName(QStringLiteral("Combo2"));
    wantedCount->addItems(wantedCounts());
    buildListButton = button(searchPanel, QStringLiteral("cmdCreate"), QStringLiteral("&Search"));

    stopButton = button(searchPanel, QStringLiteral("Command3"), QStringLiteral("Sto&p"));
    stopButton->setToolTip(QStringLiteral("Click here to stop searching names"));
    setupButton = button(searchPanel, QStringLiteral("cmdSetup"), QStringLiteral("Set&up"));
    websiteButton = button(searchPanel, QStringLiteral("cmdWebsite"), QStringLiteral("Visit"));
    websiteButton->setFlat(true);
    websiteButton->setCursor(Qt::PointingHandCursor);
    websiteButton->setStyleSheet(
        QStringLiteral("QPushButton { text-align: right; color: palette(link);"
                       " text-decoration: underline; padding-right: 4px; }"));
}

void MainWindowControls::setupResultFrame() {
    resultFrame = new QGroupBox(central);
    resultFrame->setObjectName(QStringLiteral("Frame2"));
    for (int k = 1; k <= 5; ++k) {
        captions[k] = caption(resultFrame, QStringLiteral("Label%1").arg(k), QString());
        // A caption wider than its list wraps onto a second line; a one-line caption sits just
        // above its buttons.
        captions[k]->setWordWrap(true);
        captions[k]->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        lists[k] = new ResultListView(k, resultFrame);
        copyButtons[k] = listButton(resultFrame, QStringLiteral("cmdCopy"), k, Glyph::Copy);
        copyButtons[k]->setToolTip(QStringLiteral("Copy List"));
        deleteButtons[k] = listButton(resultFrame, QStringLiteral("cmdClear"), k, Glyph::Delete);
        deleteButtons[k]->setToolTip(QStringLiteral("Delete Selected Item"));
        clearButtons[k] = listButton(resultFrame, QStringLiteral("cmdClear2"), k, Glyph::Clear);
        clearButtons[k]->setAccessibleName(QStringLiteral("Clear List"));
    }
}

void MainWindowControls::setupMenus(QMainWindow *window) {
    QMenuBar *bar = window->menuBar();
    QString barKeys;
    const auto menu = [&](const QString &name, const QString &title) {
        QMenu *m = bar->addMenu(withMnemonic(title, barKeys));
        m->setObjectName(name);
        return m;
    };
    QString keys;
    const auto item = [&keys](QMenu *m, const QString &name, const QString &text) {
        QAction *a = m->addAction(withMnemonic(text, keys));
        a->setObjectName(name);
        return a;
    };

    QMenu *file = menu(QStringLiteral("mnuFile"), QStringLiteral("File"));
    exportAction = item(file, QStringLiteral("mnuFileExport"), QStringLiteral("Export Lists..."));
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    file->addSeparator();
    exitAction = item(file, QStringLiteral("mnuFileItem0"), QStringLiteral("Exit"));
    exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    keys.clear();
    QMenu *edit = menu(QStringLiteral("mnuEdit"), QStringLiteral("Edit"));
    editMenu = edit;
    const QStringList editCaptions = ListCommands::editMenuCaptions();
    for (int i = 0; i < int(editActions.size()); ++i)
        editActions[i] = item(edit, QStringLiteral("mnuEditItem%1").arg(i), editCaptions.at(i));
    setupListActions(edit);

    keys.clear();
    QMenu *tools = menu(QStringLiteral("mnuTools"), QStringLiteral("Tools"));
    const QStringList types = searchTypes();
    for (int i = 0; i < int(searchTypeActions.size()); ++i)
        searchTypeActions[i] = item(tools, QStringLiteral("mnuToolsItem%1").arg(i), types.at(i));

    keys.clear();
    QMenu *options = menu(QStringLiteral("mnuOptions"), QStringLiteral("Options"));
    optionsAction = item(options, QStringLiteral("mnuOptionsItem0"), QStringLiteral("Setup"));
    options->addSeparator();
    dnsFirstAction =
        item(options, QStringLiteral("mnuOptionsDnsFirst"), QStringLiteral("Ask DNS First"));
    dnsFirstAction->setCheckable(true);
    dnsServerAction =
        item(options, QStringLiteral("mnuOptionsDnsServer"), QStringLiteral("DNS Server..."));

    keys.clear();
    QMenu *help = menu(QStringLiteral("mnuHelp"), QStringLiteral("Help"));
    helpAction = item(help, QStringLiteral("mnuHelpItem0"), QStringLiteral("View Help"));
    helpAction->setShortcut(QKeySequence(Qt::Key_F1));
    aboutAction = item(help, QStringLiteral("mnuAboutItem"), QStringLiteral("About this software"));
}

// The same actions in the Edit menu and in the lists' context menu. Their keys work while the
// focus is among the lists, so Ctrl+C and Delete in a text field keep their usual meaning.
void MainWindowControls::setupListActions(QMenu *edit) {
    edit->addSeparator();
    listMenu = new QMenu(resultFrame);
    listMenu->setObjectName(QStringLiteral("mnuList"));
    const auto add = [this, edit](const QString &name, const QString &text,
                                  const QKeySequence &key = {}) {
        auto *a = new QAction(text, resultFrame);
        a->setObjectName(name);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        resultFrame->addAction(a);
        edit->addAction(a);
        listMenu->addAction(a);
        return a;
    };
    copySelectedAction = add(QStringLiteral("mnuListCopy"), QStringLiteral("Cop&y Selected"),
                             QKeySequence(QKeySequence::Copy));
    deleteSelectedAction = add(QStringLiteral("mnuListDelete"), QStringLiteral("&Delete Selected"),
                               QKeySequence(Qt::Key_Delete));
    saveSelectedAction =
        add(QStringLiteral("mnuListSave"), QStringLiteral("Sa&ve Selected to the Saved List"));
    openRegistrarAction = add(QStringLiteral("mnuListOpen"), QStringLiteral("&Open at Registrar"));
    showReplyAction = add(QStringLiteral("mnuListReply"), QStringLiteral("Show &Reply"));
}

// Left to right and top to bottom, as the controls are seen.
void MainWindowControls::setTabOrder() {
    QList<QWidget *> chain{searchType,  startEntry,      entryCount, startButton, searchText,
                           wantedCount, buildListButton, stopButton, setupButton, websiteButton};
    for (int k : {3, 4, 1, 2, 5})
        chain << lists[k] << copyButtons[k] << deleteButtons[k] << clearButtons[k];
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void MainWindowControls::setupStatusBar(QMainWindow *window) {
    statusBar = window->statusBar();
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    for (int panel = 1; panel <= 3; ++panel) {
        panels[panel] = new ElidedLabel(statusBar);
        panels[panel]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(panel));
        panels[panel]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Long connection texts must not widen the window; they are elided instead.
        panels[panel]->setMinimumWidth(1);
        statusBar->addWidget(panels[panel]);
    }
    runStatus = new RunStatus(statusBar);
    runStatus->setObjectName(QStringLiteral("StatusBar1RunStatus"));
    statusBar->addPermanentWidget(runStatus);
    problems = new ProblemIndicator(statusBar);
    problems->setObjectName(QStringLiteral("StatusBar1Problems"));
    statusBar->addPermanentWidget(problems);
}
