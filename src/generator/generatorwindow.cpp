#include "generator/generatorwindow.h"

#include "app/appcontext.h"
#include "app/permissionquestion.h"
#include "generator/generatorlog.h"
#include "generator/appendsfile.h"
#include "core/desktop.h"
#include "core/filehelpers.h"
#include "app/mainwindow.h"
#include "core/namelistmodel.h"
#include "app/skin.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const std::array<QString, 3> &joiningCaptions() {
    static const std::array<QString, 3> captions{
        QStringLiteral("Prefixes"), QStringLiteral("Suffixes"), QStringLiteral("Hyphens")};
    return captions;
}

QPushButton *makeButton(const QString &name, const QString &text, const QString &tip,
                        QWidget *parent) {
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    return button;
}
} // namespace

GeneratorWindow::GeneratorWindow(AppContext &ctx, MainWindow &main, QWidget *parent)
    : QWidget(parent)
    , m_ctx(ctx)
    , m_main(main)
    , m_machine(*ctx.machineStore, *ctx.userStore, ctx.branding.CompanyName,
                ctx.branding.ProductName)
    , m_settings(m_machine) {
    setObjectName(QStringLiteral("frmMake"));
    setWindowTitle(QStringLiteral("Domain Name Creator"));
    buildControls();
    loadState();
    connectStorage();
}

GeneratorWindow::~GeneratorWindow() = default;

void GeneratorWindow::buildControls() {
    auto *label1 = new QLabel(QStringLiteral("Base Word:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setToolTip(QStringLiteral("This word will appear in every domain created."));
    label1->setBuddy(m_text1);
    m_command1 = makeButton(QStringLiteral("Command1"), QStringLiteral("Start Generator"),
                            QStringLiteral("Once you have a base word, click here to create "
                                           "your list!"),
                            this);

    auto *extensions = new QGroupBox(QStringLiteral("Extensions"), this);
    extensions->setObjectName(QStringLiteral("FrameExt"));
    auto *extGrid = new QGridLayout(extensions);
    for (int i = 0; i < GeneratorOptions::ExtensionCount; ++i) {
        m_chkExt[i] = new QCheckBox(GeneratorOptions::extensionCaptions()[i], extensions);
        m_chkExt[i]->setObjectName(QStringLiteral("chkExt%1").arg(i));
        if (i < GeneratorOptions::CustomIndex)
            extGrid->addWidget(m_chkExt[i], i / 4, i % 4);
    }
    m_txtCustom = new QLineEdit(extensions);
    m_txtCustom->setObjectName(QStringLiteral("txtCustom"));
    extGrid->addWidget(m_chkExt[GeneratorOptions::CustomIndex], 2, 0, 1, 2);
    extGrid->addWidget(m_txtCustom, 2, 2, 1, 2);

    auto *joining = new QGroupBox(QStringLiteral("Options"), this);
    joining->setObjectName(QStringLiteral("FrameAdd"));
    auto *joinRow = new QHBoxLayout(joining);
    for (int i = 0; i < 3; ++i) {
        m_chkAdd[i] = new QCheckBox(joiningCaptions()[i], joining);
        m_chkAdd[i]->setObjectName(QStringLiteral("chkAdd%1").arg(i));
        joinRow->addWidget(m_chkAdd[i]);
    }

    auto *generatedFrame = new QGroupBox(QStringLiteral("Generated Domains"), this);
    generatedFrame->setObjectName(QStringLiteral("Frame1"));
    m_generated = new NameListModel(this);
    m_list1 = new QListView(generatedFrame);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setUniformItemSizes(true);
    m_list1->setModel(m_generated);
    m_command2 = makeButton(QStringLiteral("Command2"), QStringLiteral("Save Domains As..."),
                            QStringLiteral("Save your list as a text file."), generatedFrame);
    auto *generatedBox = new QVBoxLayout(generatedFrame);
    generatedBox->addWidget(m_list1);
    generatedBox->addWidget(m_command2);

    auto *wordsFrame = new QGroupBox(QStringLiteral("Prefixes/Suffixes"), this);
    wordsFrame->setObjectName(QStringLiteral("Frame2"));
    m_list2 = new QListWidget(wordsFrame);
    m_list2->setObjectName(QStringLiteral("List2"));
    m_list2->setUniformItemSizes(true);
    auto *label2 = new QLabel(QStringLiteral("Prefix/Suffix:"), wordsFrame);
    label2->setObjectName(QStringLiteral("Label2"));
    m_text2 = new QLineEdit(wordsFrame);
    m_text2->setObjectName(QStringLiteral("Text2"));
    label2->setBuddy(m_text2);
    m_cmdAdd = makeButton(QStringLiteral("cmdAdd"), QStringLiteral("Add"),
                          QStringLiteral("Add your word."), wordsFrame);
    m_cmdSub = makeButton(QStringLiteral("cmdSub"), QStringLiteral("Del"),
                          QStringLiteral("Remove the selected word."), wordsFrame);
    auto *wordsBox = new QGridLayout(wordsFrame);
    wordsBox->addWidget(m_list2, 0, 0, 1, 3);
    wordsBox->addWidget(label2, 1, 0, 1, 3);
    wordsBox->addWidget(m_text2, 2, 0, 1, 3);
    wordsBox->addWidget(m_cmdAdd, 3, 1);
    wordsBox->addWidget(m_cmdSub, 3, 2);

    m_txtStatus = new QLineEdit(QStringLiteral("Status..."), this);
    m_txtStatus->setObjectName(QStringLiteral("txtStatus"));
    m_txtStatus->setReadOnly(true);

    auto *top = new QHBoxLayout;
    top->addWidget(label1);
    top->addWidget(m_text1, 1);
    top->addWidget(m_command1);
    auto *lists = new QHBoxLayout;
    lists->addWidget(generatedFrame, 3);
    lists->addWidget(wordsFrame, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(extensions);
    layout->addWidget(joining);
    layout->addLayout(lists, 1);
    layout->addWidget(m_txtStatus);
    resize(560, 520);

    connect(m_command1, &QPushButton::clicked, this, &GeneratorWindow::startGenerator);
    connect(m_text1, &QLineEdit::returnPressed, this, &GeneratorWindow::startGenerator);
    connect(m_command2, &QPushButton::clicked, this, &GeneratorWindow::saveDomainsAs);
    connect(m_cmdAdd, &QPushButton::clicked, this, &GeneratorWindow::addWord);
    connect(m_text2, &QLineEdit::returnPressed, this, &GeneratorWindow::addWord);
    connect(m_cmdSub, &QPushButton::clicked, this, &GeneratorWindow::removeWord);
}

void GeneratorWindow::loadState() {
    m_list2->addItems(AppendsFile(appendsPath()).words());
    for (int i = 0; i < GeneratorOptions::ExtensionCount; ++i)
        m_chkExt[i]->setChecked(m_settings.extension(i));
    for (int i = 0; i < 3; ++i)
        m_chkAdd[i]->setChecked(m_settings.joining(i));
    m_text1->setText(m_settings.baseWord());
    m_txtCustom->setText(m_settings.customExtension());
}

void GeneratorWindow::connectStorage() {
    // A refused write asks "Permission Denied" (Abort, Retry, Ignore) as every window does.
    const auto store = [this](const std::function<Result<>()> &write) {
        PermissionQuestion(m_machine, *m_ctx.desktop).save(write);
    };
    for (int i = 0; i < GeneratorOptions::ExtensionCount; ++i)
        connect(m_chkExt[i], &QCheckBox::toggled, this, [this, i, store](bool on) {
            store([&] { return m_settings.setExtension(i, on); });
        });
    for (int i = 0; i < 3; ++i)
        connect(m_chkAdd[i], &QCheckBox::toggled, this,
                [this, i, store](bool on) { store([&] { return m_settings.setJoining(i, on); }); });
    connect(m_text1, &QLineEdit::textChanged, this, [this, store](const QString &text) {
        store([&] { return m_settings.setBaseWord(text); });
    });
    connect(m_txtCustom, &QLineEdit::textChanged, this, [this, store](const QString &text) {
        store([&] { return m_settings.setCustomExtension(text); });
    });
}

QString GeneratorWindow::appendsPath() const {
    return m_ctx.folder.path(QStringLiteral("\\Appends.txt"));
}

QString GeneratorWindow::createdPath() const {
    return m_ctx.folder.path(QStringLiteral("\\CreatedDomains.txt"));
}

void GeneratorWindow::setStatus(const QString &text) {
    m_txtStatus->setText(text);
}

void GeneratorWindow::setInputsEnabled(bool enabled) {
    for (QCheckBox *box : m_chkExt)
        box->setEnabled(enabled);
    for (QCheckBox *box : m_chkAdd)
        box->setEnabled(enabled);
    for (QWidget *w : std::initializer_list<QWidget *>{m_txtCustom, m_text1, m_text2, m_command1,
                                                       m_command2, m_cmdAdd, m_cmdSub})
        w->setEnabled(enabled);
}

GeneratorOptions GeneratorWindow::currentOptions() const {
    GeneratorOptions options;
    options.baseWord = m_text1->text();
    options.prefixes = m_chkAdd[0]->isChecked();
    options.suffixes = m_chkAdd[1]->isChecked();
    options.hyphens = m_chkAdd[2]->isChecked();
    for (int i = 0; i < GeneratorOptions::ExtensionCount; ++i)
        options.extensions[i] = m_chkExt[i]->isChecked();
    options.customExtension = m_txtCustom->text();
    return options;
}

void GeneratorWindow::startGenerator() {
    if (running())
        return;
    m_closed = false;
    setInputsEnabled(false);
    // Each run shows, writes and hands over only its own names.
    m_generated->clear();

    AppendsFile appends(appendsPath());
    if (!appends.exists()) {
        const Result<> created = appends.create();
        if (created.failed())
            setStatus(created.error().text());
        else
            setStatus(QStringLiteral("Appends.txt was missing and has been created empty. Add "
                                     "prefix/suffix words, then start again."));
        setInputsEnabled(true);
        return;
    }
    // An unreadable file (logged) counts as one without words: the run goes on with no names.
    const QStringList lines = TextFile::readLines(appendsPath()).valueOr({});
    m_generator = std::make_unique<NameGenerator>(lines, currentOptions());
    runChunk();
}

void GeneratorWindow::runChunk() {
    if (!m_generator)
        return;
    if (m_closed) {
        m_generator.reset();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    QStringList names;
    bool more = true;
    do {
        more = m_generator->next(names);
        if (more)
            setStatus(QStringLiteral("Creating Domains - Created %1 so far...")
                          .arg(m_generator->created()));
    } while (more && clock.elapsed() < m_chunkMs);
    m_generated->appendMany(names);
    if (more)
        QTimer::singleShot(0, this, &GeneratorWindow::runChunk);
    else
        finishRun();
}

void GeneratorWindow::finishRun() {
    const int created = m_generator->created();
    m_generator.reset();
    setStatus(QStringLiteral("Created %1 domains...  Sorting...").arg(created));
    if (TextFile::writeAll(createdPath(), NameGenerator::createdDomainsText(m_generated->names()))
            .failed()) {
        // Searching the old file would look up names that were not generated now.
        setStatus(QStringLiteral("Created %1 domains, but CreatedDomains.txt could not be "
                                 "written; the search was not started.")
                      .arg(created));
        setInputsEnabled(true);
        return;
    }
    // Since this window opened, the main window may have been set to another search type, or a
    // stopped search may have put a stored position into the start field: this run's names
    // are searched from the first one.
    const QString generateType = QStringLiteral("Generate names");
    if (m_main.searchType() != generateType)
        m_main.selectSearchType(int(MainWindow::searchTypes().indexOf(generateType)));
    m_main.setWordNum(QStringLiteral("1"));
    m_main.setWordMax(QString::number(created));
    setStatus(QStringLiteral("Created %1 domains...  Search Started").arg(created));
    setInputsEnabled(true);
    m_main.start();
    emit finished(created);
}

void GeneratorWindow::saveDomainsAs() {
    const QString folder = m_ctx.folder.path(QStringLiteral("\\CustomLists"));
    if (!QDir().mkpath(folder))
        qCWarning(lcGenerator) << "Could not create the folder" << folder;
    const QString target = m_ctx.desktop->saveFileName(folder + QLatin1Char('/') + m_text1->text() +
                                                           QStringLiteral(".txt"),
                                                       QStringLiteral("*.txt"));
    if (target.isEmpty())
        return;
    if (const Result<> copied = Files::copyFile(createdPath(), target); copied.failed())
        showFailure(copied.error());
}

void GeneratorWindow::addWord() {
    const QString word = m_text2->text();
    // The list shows what Appends.txt holds: a word the file did not take is not shown either.
    if (const Result<> added = AppendsFile(appendsPath()).add(word); added.failed()) {
        showFailure(added.error());
        return;
    }
    m_list2->addItem(word);
    m_text2->clear();
}

void GeneratorWindow::showFailure(const Error &error) {
    m_ctx.desktop->message(m_ctx.branding.ProductName, error.text(), Desktop::Icon::Warning,
                           Desktop::Buttons::Ok);
}

void GeneratorWindow::removeWord() {
    QListWidgetItem *item = m_list2->currentItem();
    if (!item || !item->isSelected()) {
        m_ctx.desktop->message(m_ctx.branding.ProductName,
                               QStringLiteral("You must first select an item to remove from the "
                                              "list."),
                               Desktop::Icon::None, Desktop::Buttons::Ok);
        return;
    }
    if (const Result<> removed = AppendsFile(appendsPath()).remove(item->text());
        removed.failed()) {
        showFailure(removed.error());
        return;
    }
    delete item;
}

void GeneratorWindow::closeEvent(QCloseEvent *event) {
    m_closed = true;
    QWidget::closeEvent(event);
}
