#include "settings/extensionsettingswindow.h"

#include "session/appcontext.h"
#include "session/permissionquestion.h"
#include "core/desktop.h"
#include "core/settingsstore.h"
#include "settings/extensionrules.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kApp = QStringLiteral("Kestrin");
const QString kSection = QStringLiteral("Settings");
const QString kEnabled = QStringLiteral("Enabled");

// The list's columns: the file's four fields, then how the row's server is asked.
enum Column { ExtensionColumn, ServerColumn, PortColumn, StatusColumn, KindColumn };

QString kindOf(const QString &server) {
    if (server.trimmed().isEmpty())
        return QStringLiteral("none");
    return RegistrarEntry::isRdapServer(server.trimmed()) ? QStringLiteral("RDAP")
                                                          : QStringLiteral("WHOIS");
}

QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit *makeEdit(const QString &name, QWidget *parent) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QPushButton *makeButton(const QString &name, const QString &text, QWidget *parent) {
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}
} // namespace

ExtensionSettingsWindow::ExtensionSettingsWindow(AppContext &ctx, QWidget *parent)
    : QWidget(parent)
    , m_ctx(ctx)
    , m_machine(*ctx.machineStore, *ctx.userStore, ctx.branding.CompanyName,
                ctx.branding.ProductName) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Domain extension settings"));
    buildControls();

    if (const Result<> filled = fillRegistrarList(); filled.failed())
        showError(filled.error());
    m_editEnabled = true;
    m_useProxy->setChecked(
        m_machine.getMachineSetting(kApp, kSection, QStringLiteral("chkProxy"), QStringLiteral("0"))
            .valueOr(QStringLiteral("0"))
            .trimmed()
            .toInt() == 1);
    setProxy(m_useProxy->isChecked());
    m_defaultExtension->setText(m_ctx.whois.DefaultExtension);
    setDefaultExtension(m_defaultExtension->text());

    connect(m_useProxy, &QCheckBox::toggled, this, &ExtensionSettingsWindow::setProxy);
    connect(m_defaultExtension, &QLineEdit::textChanged, this,
            &ExtensionSettingsWindow::setDefaultExtension);
}

void ExtensionSettingsWindow::buildControls() {
    m_rowsView = new QTreeWidget(this);
    m_rowsView->setObjectName(QStringLiteral("lstDomains"));
    m_rowsView->setHeaderLabels({QStringLiteral("Extension"), QStringLiteral("Server"),
                                 QStringLiteral("Port"), QStringLiteral("Status"),
                                 QStringLiteral("Type")});
    m_rowsView->setRootIsDecorated(false);
    m_rowsView->setUniformRowHeights(true);
    m_rowsView->setAllColumnsShowFocus(true);
    m_rowsView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rowsView->header()->setSectionsClickable(true);
    m_rowsView->header()->setSortIndicatorShown(false);
    // The server column takes the width the window gives, so an RDAP address is not cut off;
    // the others keep the width of their contents.
    QHeaderView *header = m_rowsView->header();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(40);
    for (const int column : {PortColumn, StatusColumn, KindColumn})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    // Wide enough for the longest IDN extensions without measuring 1,400 rows.
    header->setSectionResizeMode(ExtensionColumn, QHeaderView::Interactive);
    m_rowsView->setColumnWidth(ExtensionColumn,
                               fontMetrics().horizontalAdvance(QStringLiteral("xn--mgbaam7a8h")) +
                                   fontMetrics().averageCharWidth() * 2);
    header->setSectionResizeMode(ServerColumn, QHeaderView::Stretch);
    m_rowsView->headerItem()->setToolTip(KindColumn,
                                         QStringLiteral("How the registry is asked: WHOIS on "
                                                        "the port, or RDAP at the address"));

    m_filter = makeEdit(QStringLiteral("txtFilter"), this);
    m_filter->setPlaceholderText(QStringLiteral("Filter by extension or server"));
    m_filter->setClearButtonEnabled(true);

    m_extension = makeEdit(QStringLiteral("txtExt"), this);
    m_server = makeEdit(QStringLiteral("txtServer"), this);
    m_port = makeEdit(QStringLiteral("txtPort"), this);
    auto *command1 = makeButton(QStringLiteral("Command1"), QStringLiteral("New Extension"), this);
    auto *command2 =
        makeButton(QStringLiteral("Command2"), QStringLiteral("Delete Selected"), this);
    auto *cmdToggle =
        makeButton(QStringLiteral("cmdToggle"), QStringLiteral("Enable/Disable"), this);
    auto *cmdSave = makeButton(QStringLiteral("cmdSave"), QStringLiteral("Add/Save"), this);
    auto *command3 =
        makeButton(QStringLiteral("Command3"), QStringLiteral("Restore Defaults"), this);
    m_useProxy = new QCheckBox(QStringLiteral("Use the server entered under the extension "
                                              "\"proxy\" for all whois lookups"),
                               this);
    m_useProxy->setObjectName(QStringLiteral("chkProxy"));
    m_defaultExtension = makeEdit(QStringLiteral("txtDefault"), this);
    m_defaultExtension->installEventFilter(this);

    // The list takes the window's whole width, so a long RDAP address shows in full; the
    // fields and buttons sit in rows below it.
    auto *fields = new QHBoxLayout;
    const std::array<std::pair<QLabel *, QLineEdit *>, 3> rows{
        std::pair{makeLabel(QStringLiteral("Label1"), QStringLiteral("Extension:"), this),
                  m_extension},
        std::pair{makeLabel(QStringLiteral("Label2"), QStringLiteral("Whois Server:"), this),
                  m_server},
        std::pair{makeLabel(QStringLiteral("Label3"), QStringLiteral("Port:"), this), m_port}};
    for (int i = 0; i < int(rows.size()); ++i) {
        rows[i].first->setBuddy(rows[i].second);
        fields->addWidget(rows[i].first);
        fields->addWidget(rows[i].second, i == 1 ? 3 : 1);
    }
    auto *commands = new QHBoxLayout;
    for (QPushButton *button : {command1, cmdSave, cmdToggle, command2, command3})
        commands->addWidget(button);

    auto *left = new QVBoxLayout;
    left->addWidget(
        makeLabel(QStringLiteral("Label4"), QStringLiteral("Enabled/Disabled Extensions:"), this));
    left->addWidget(m_filter);
    left->addWidget(m_rowsView, 1);
    left->addLayout(fields);
    left->addLayout(commands);

    auto *defaults = new QHBoxLayout;
    defaults->addWidget(
        makeLabel(QStringLiteral("Label5"), QStringLiteral("Default Extension:"), this));
    defaults->addWidget(m_defaultExtension, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(m_useProxy);
    auto *label6 = makeLabel(QStringLiteral("Label6"),
                             QStringLiteral("Use the following extension in wordlist searches or "
                                            "if no extension is present in the domain:"),
                             this);
    label6->setWordWrap(true);
    layout->addWidget(label6);
    layout->addLayout(defaults);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    layout->addWidget(buttons);
    // Fits a 1600x1000 screen at scale factor 2 with room for the frame.
    resize(720, 460);

    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(m_filter, &QLineEdit::textChanged, this, &ExtensionSettingsWindow::applyFilter);

    connect(m_rowsView, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { rowClicked(item); });
    connect(m_rowsView->header(), &QHeaderView::sectionClicked, this,
            &ExtensionSettingsWindow::sortByColumn);
    connect(command1, &QPushButton::clicked, this, &ExtensionSettingsWindow::newExtension);
    connect(cmdSave, &QPushButton::clicked, this, &ExtensionSettingsWindow::addSave);
    connect(cmdToggle, &QPushButton::clicked, this, &ExtensionSettingsWindow::toggleStatus);
    connect(command2, &QPushButton::clicked, this, &ExtensionSettingsWindow::deleteSelected);
    connect(command3, &QPushButton::clicked, this, &ExtensionSettingsWindow::restoreDefaults);
}

Result<> ExtensionSettingsWindow::fillRegistrarList() {
    std::optional<Error> error;
    const QList<QStringList> rows = m_ctx.registrars.fileRows(&error);
    m_rowsView->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (const QStringList &row : rows) {
        auto *item = new QTreeWidgetItem(row.mid(0, 4) << kindOf(row.at(1)));
        item->setToolTip(ServerColumn, row.at(1));
        items << item;
    }
    m_rowsView->addTopLevelItems(items);
    applyFilter();
    // A sorted list stays sorted when it is filled again.
    if (m_sorted)
        m_rowsView->sortItems(m_sortColumn, m_sortOrder);
    if (error)
        return *error;
    return {};
}

void ExtensionSettingsWindow::rowClicked(QTreeWidgetItem *item) {
    if (!item)
        return;
    m_extension->setText(item->text(0));
    m_server->setText(item->text(1));
    m_port->setText(item->text(2));
    m_editEnabled = item->text(3) == kEnabled;
}

void ExtensionSettingsWindow::newExtension() {
    m_extension->clear();
    m_server->clear();
    m_port->clear();
    m_extension->setFocus();
    m_editEnabled = true;
}

void ExtensionSettingsWindow::addSave() {
    // A "|" or a line break (pasted text) would split the row into other fields or lines.
    const auto breaksRow = [](const QString &text) {
        return text.contains(QLatin1Char('|')) || text.contains(QLatin1Char('\r')) ||
               text.contains(QLatin1Char('\n'));
    };
    // Text is not trimmed: a single space counts as filled in.
    // An http(s) server is an RDAP base URL; its port field is still checked, and kept.
    if (m_extension->text().isEmpty() || !ExtensionRules::isValidServer(m_server->text()) ||
        !ExtensionRules::isValidPort(m_port->text()) || breaksRow(m_extension->text()) ||
        breaksRow(m_server->text())) {
        showInvalidInput();
        return;
    }
    refreshAndReload(m_ctx.registrars.saveRegistrar(m_extension->text(), m_server->text(),
                                                    m_port->text(), m_editEnabled));
}

void ExtensionSettingsWindow::toggleStatus() {
    Result<> saved;
    if (QTreeWidgetItem *row = selectedRow()) {
        const bool enable = row->text(3) != kEnabled;
        saved = m_ctx.registrars.saveRegistrar(row->text(0), row->text(1), row->text(2), enable);
    }
    refreshAndReload(saved);
}

void ExtensionSettingsWindow::deleteSelected() {
    QTreeWidgetItem *row = selectedRow();
    if (!row)
        return;
    // The list ends before a row it cannot show; writing it back would drop every row after.
    std::optional<Error> unreadable;
    m_ctx.registrars.fileRows(&unreadable);
    if (unreadable && unreadable->line > 0) {
        showError(*unreadable);
        return;
    }
    delete row;
    // The file takes the list's displayed order, so a sorted list writes sorted rows.
    QList<QStringList> rows;
    for (int i = 0; i < m_rowsView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_rowsView->topLevelItem(i);
        rows.append({item->text(0), item->text(1), item->text(2), item->text(3)});
    }
    if (const Result<> rewritten = m_ctx.registrars.rewriteFromRows(rows); rewritten.failed()) {
        // The file still holds the row: show what is really there, and why.
        (void)fillRegistrarList();
        showError(rewritten.error());
        return;
    }
    // A bad row left in the file was reported when the list was filled.
    (void)m_ctx.registrars.loadRegistrars();
    m_extension->clear();
    m_server->clear();
    m_port->clear();
}

void ExtensionSettingsWindow::restoreDefaults() {
    refreshAndReload(m_ctx.registrars.ensureRegistrarFile(true));
}

void ExtensionSettingsWindow::refreshAndReload(Result<> result) {
    if (const Result<> filled = fillRegistrarList(); result.ok())
        result = filled;
    if (const Result<> loaded = m_ctx.registrars.loadRegistrars(); result.ok())
        result = loaded;
    if (result.failed())
        showError(result.error());
}

void ExtensionSettingsWindow::sortByColumn(int column) {
    if (m_rowsView->topLevelItemCount() < 1)
        return;
    m_sorted = true;
    m_sortColumn = column;
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_rowsView->sortItems(m_sortColumn, m_sortOrder);
}

void ExtensionSettingsWindow::applyFilter() {
    const QString text = m_filter->text().trimmed();
    // Hidden rows stay in the list, so a delete still writes every row back to the file.
    for (int i = 0; i < m_rowsView->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_rowsView->topLevelItem(i);
        item->setHidden(!text.isEmpty() &&
                        !item->text(ExtensionColumn).contains(text, Qt::CaseInsensitive) &&
                        !item->text(ServerColumn).contains(text, Qt::CaseInsensitive));
    }
}

void ExtensionSettingsWindow::setProxy(bool on) {
    m_ctx.whois.ProxySwitch = on;
    PermissionQuestion(m_machine, *m_ctx.desktop)
        .save(kApp, kSection, QStringLiteral("chkProxy"),
              on ? QStringLiteral("1") : QStringLiteral("0"));
}

void ExtensionSettingsWindow::setDefaultExtension(const QString &text) {
    m_ctx.userStore->write(kApp, kSection, QStringLiteral("DefaultExt"), text);
    m_ctx.whois.DefaultExtension = text;
}

void ExtensionSettingsWindow::normalizeDefault() {
    const QString text = ExtensionRules::normalizeDefaultExtension(m_defaultExtension->text());
    if (text != m_defaultExtension->text())
        m_defaultExtension->setText(text); // saved through the change handler
    m_ctx.whois.DefaultExtension = text;
}

bool ExtensionSettingsWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_defaultExtension && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        normalizeDefault();
    return QWidget::eventFilter(watched, event);
}

void ExtensionSettingsWindow::closeEvent(QCloseEvent *event) {
    // Closing straight from the box must not leave an empty or dot-less default behind.
    normalizeDefault();
    QWidget::closeEvent(event);
}

QTreeWidgetItem *ExtensionSettingsWindow::selectedRow() const {
    const QList<QTreeWidgetItem *> selected = m_rowsView->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void ExtensionSettingsWindow::showError(const Error &error) {
    m_ctx.desktop->message(QStringLiteral("Error"), error.text(), Desktop::Icon::Warning,
                           Desktop::Buttons::Ok);
}

void ExtensionSettingsWindow::showInvalidInput() {
    m_ctx.desktop->message(m_ctx.branding.ProductName,
                           QStringLiteral("Please enter valid information for all fields."),
                           Desktop::Icon::None, Desktop::Buttons::Ok);
}
