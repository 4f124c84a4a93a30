#include "app/mainwindowcontrols.h"

#include "app/elidedlabel.h"
#include "app/listcommands.h"
#include "app/problemindicator.h"
#include "app/resultlistview.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
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

QPushButton *button(QWidget *parent, const QString &name, const QString &text) {
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}
} // namespace

QStringList MainWindowControls::searchTypes() {
    return {QStringLiteral("Browse for names"), QStringLiteral("Generate names"),
            QStringLiteral("Yahoo Search"),     QStringLiteral("Google Search"),
            QStringLiteral("Full Word List"),   QStringLiteral("All Two Letter"),
            QStringLiteral("All Three Letter"), QStringLiteral("All Four Letter"),
            QStringLiteral("Custom List")};
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
}

void MainWindowControls::setupSearchPanel() {
    Frame1 = new QFrame(central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setFrameShadow(QFrame::Raised);

    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItems(searchTypes());
    Combo1->setCurrentIndex(-1);
    Combo1->setPlaceholderText(QStringLiteral("Choose a search type"));

    wLabel1 = caption(Frame1, QStringLiteral("wLabel1"), QStringLiteral("Start at entry"));
    wLabel2 = caption(Frame1, QStringLiteral("wLabel2"), QStringLiteral("Entries in list"));
    txtWordNum = numberField(Frame1, QStringLiteral("txtWordNum"));
    txtWordNum->setToolTip(QStringLiteral("The entry to start at."));
    txtWordMax = numberField(Frame1, QStringLiteral("txtWordMax"));
    txtWordMax->setToolTip(QStringLiteral("The number of entries on your list."));
    cmdDoSearch = button(Frame1, QStringLiteral("cmdDoSearch"), QStringLiteral("Start"));
    cmdDoSearch->setToolTip(QStringLiteral("Click here to start searching your list."));

    SLabel1 = caption(Frame1, QStringLiteral("SLabel1"), QStringLiteral("Search for"));
    SLabel2 = caption(Frame1, QStringLiteral("SLabel2"), QStringLiteral("Names to find"));
    txtSearch = new QLineEdit(Frame1);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setToolTip(QStringLiteral("Enter a search string"));
    Combo2 = new QComboBox(Frame1);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->addItems(wantedCounts());
    cmdCreate = button(Frame1, QStringLiteral("cmdCreate"), QStringLiteral("Search"));

    Command3 = button(Frame1, QStringLiteral("Command3"), QStringLiteral("Stop"));
    Command3->setToolTip(QStringLiteral("Click here to stop searching names"));
    cmdSetup = button(Frame1, QStringLiteral("cmdSetup"), QStringLiteral("Setup"));
    cmdWebsite = button(Frame1, QStringLiteral("cmdWebsite"), QStringLiteral("Visit"));
    cmdWebsite->setFlat(true);
    cmdWebsite->setCursor(Qt::PointingHandCursor);
    cmdWebsite->setStyleSheet(
        QStringLiteral("QPushButton { text-align: right; color: palette(link);"
                       " text-decoration: underline; padding-right: 4px; }"));
}

void MainWindowControls::setupResultFrame() {
    Frame2 = new QGroupBox(central);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    for (int k = 1; k <= 5; ++k) {
        Label[k] = caption(Frame2, QStringLiteral("Label%1").arg(k), QString());
        // A caption wider than its list wraps onto a second line; a one-line caption sits just
        // above its buttons.
        Label[k]->setWordWrap(true);
        Label[k]->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        List[k] = new ResultListView(k, Frame2);
        cmdCopy[k] = listButton(Frame2, QStringLiteral("cmdCopy"), k, Glyph::Copy);
        cmdCopy[k]->setToolTip(QStringLiteral("Copy List"));
        cmdClear[k] = listButton(Frame2, QStringLiteral("cmdClear"), k, Glyph::Delete);
        cmdClear[k]->setToolTip(QStringLiteral("Delete Selected Item"));
        cmdClear2[k] = listButton(Frame2, QStringLiteral("cmdClear2"), k, Glyph::Clear);
        cmdClear2[k]->setAccessibleName(QStringLiteral("Clear List"));
    }
}

void MainWindowControls::setupMenus(QMainWindow *window) {
    QMenuBar *bar = window->menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuFileItem = file->addAction(QStringLiteral("Exit"));
    mnuFileItem->setObjectName(QStringLiteral("mnuFileItem0"));

    QMenu *edit = bar->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    const QStringList editCaptions = ListCommands::editMenuCaptions();
    for (int i = 0; i < int(mnuEditItem.size()); ++i) {
        mnuEditItem[i] = edit->addAction(editCaptions.at(i));
        mnuEditItem[i]->setObjectName(QStringLiteral("mnuEditItem%1").arg(i));
    }

    QMenu *tools = bar->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    const QStringList types = searchTypes();
    for (int i = 0; i < int(mnuToolsItem.size()); ++i) {
        mnuToolsItem[i] = tools->addAction(types.at(i));
        mnuToolsItem[i]->setObjectName(QStringLiteral("mnuToolsItem%1").arg(i));
    }

    QMenu *options = bar->addMenu(QStringLiteral("Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    mnuOptionsItem = options->addAction(QStringLiteral("Setup"));
    mnuOptionsItem->setObjectName(QStringLiteral("mnuOptionsItem0"));

    QMenu *help = bar->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpItem = help->addAction(QStringLiteral("View Help"));
    mnuHelpItem->setObjectName(QStringLiteral("mnuHelpItem0"));
    mnuAboutItem = help->addAction(QStringLiteral("About this software"));
    mnuAboutItem->setObjectName(QStringLiteral("mnuAboutItem"));
}

void MainWindowControls::setupStatusBar(QMainWindow *window) {
    StatusBar1 = window->statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    for (int panel = 1; panel <= 3; ++panel) {
        Panel[panel] = new ElidedLabel(StatusBar1);
        Panel[panel]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(panel));
        Panel[panel]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Long connection texts must not widen the window; they are elided instead.
        Panel[panel]->setMinimumWidth(1);
        StatusBar1->addWidget(Panel[panel]);
    }
    problems = new ProblemIndicator(StatusBar1);
    problems->setObjectName(QStringLiteral("StatusBar1Problems"));
    StatusBar1->addPermanentWidget(problems);
}
