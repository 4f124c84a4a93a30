#include "generator/generatorwindow.h"

#include "session/appcontext.h"
#include "session/searchsession.h"
#include "app/skin.h"
#include "session/permissionquestion.h"
#include "generator/generatorlog.h"
#include "generator/appendsfile.h"
#include "core/desktop.h"
#include "core/filehelpers.h"
#include "core/namelistmodel.h"
#include "generator/appendsfile.h"

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

GeneratorWindow::GeneratorWindow(SearchSession &session, QWidget *parent)
    : QWidget(parent)
    , m_ctx(session.context())
    , m_session(session)
    , m_machine(*m_ctx.machineStore, *m_ctx.userStore, m_ctx.branding.CompanyName,
                m_ctx.branding.ProductName)
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
    m_baseWord = new QLineEdit(this);
    m_baseWord->setObjectName(QStringLiteral("Text1"));
    m_baseWord->setToolTip(QStringLiteral("This word will appear in every domain created."));
    label1->setBuddy(m_baseWord);
    m_startButton = makeButton(QStringLiteral("Command1"), QStringLiteral("Start Generator"),
                               QStringLiteral("Once you have a base word, click here to create "
                                              "your list!"),
                               this);

    auto *extensions = new QGroupBox(QStringLiteral("Extensions"), this);
    extensions->setObjectName(QStringLiteral("FrameExt"));
    auto *extGrid = new QGridLayout(extensions);
    for (int i = 0; i < GeneratorOptions::ExtensionCount; ++i) {
        m_extensionChecks[i] = new QCheckBox(GeneratorOptions::extensionCaptions()[i], extensions);
        m_extensionChecks[i]->setObjectName(QStringLiteral("chkExt%1").arg(i));
        if (i < GeneratorOptions::CustomIndex)
            extGrid->addWidget(m_extensionChecks[i], i / 4, i % 4);
    }
    m_customExtension = new QLineEdit(extensions);
    m_customExtension->setObjectName(QStringLiteral("txtCustom"));
    extGrid->addWidget(m_extensionChecks[GeneratorOptions::CustomIndex], 2, 0, 1, 2);
    extGrid->addWidget(m_customExtension, 2, 2, 1, 2);

    auto *joining = new QGroupBox(QStringLiteral("Options"), this);
    joining->setObjectName(QStringLiteral("FrameAdd"));
    auto *joinRow = new QHBoxLayout(joining);
    for (int i = 0; i < 3; ++i) {
        m_joiningChecks[i] = new QCheckBox(joiningCaptions()[i], joining);
        m_joiningChecks[i]->setObjectName(QStringLiteral("chkAdd%1").arg(i));
        joinRow->addWidget(m_joiningChecks[i]);
    }

    auto *generatedFrame = new QGroupBox(QStringLiteral("Generated Domains"), this);
    generatedFrame->setObjectName(QStringLiteral("Frame1"));
    m_generated = new NameListModel(this);
    m_generatedView = new QListView(generatedFrame);
    m_generatedView->setObjectName(QStringLiteral("List1"));
    m_generatedView->setUniformItemSizes(true);
    m_generatedView->setModel(m_generated);
    m_saveAsButton = makeButton(QStringLiteral("Command2"), QStringLiteral("Save Domains As..."),
                                QStringLiteral("Save your list as a text file."), generatedFrame);
    auto *generatedBox = new QVBoxLayout(generatedFrame);
    generatedBox->addWidget(m_generatedView);
    generatedBox->addWidget(m_saveAsButton);

    auto *wordsFrame = new QGroupBox(QStringLiteral("Prefixes/Suffixes"), this);
    wordsFrame->setObjectName(QStringLiteral("Frame2"));
    m_appendWords = new QListWidget(wordsFrame);
    m_appendWords->setObjectName(QStringLiteral("List2"));
    m_appendWords->setUniformItemSizes(true);
    auto *label2 = new QLabel(QStringLiteral("Prefix/Suffix:"), wordsFrame);
    label2->setObjectName(QStringLiteral("Label2"));
    m_newWord = new QLineEdit(wordsFrame);
    m_newWord->setObjectName(QStringLiteral("Text2"));
    label2->setBuddy(m_newWord);
    m_addButton = makeButton(QStringLiteral("cmdAdd"), QStringLiteral("Add"),
                             QStringLiteral("Add your word."), wordsFrame);
    m_removeButton = makeButton(QStringLiteral("cmdSub"), QStringLiteral("Del"),
                                QStringLiteral("Remove the selected word."), wordsFrame);
    auto *wordsBox = new QGridLayout(wordsFrame);
    wordsBox->addWidget(m_appendWords, 0, 0, 1, 3);
    wordsBox->addWidget(label2, 1, 0, 1, 3);
    wordsBox->addWidget(m_newWord, 2, 0, 1, 3);
    wordsBox->addWidget(m_addButton, 3, 1);
    wordsBox->addWidget(m_removeButton, 3, 2);

    m_status = new QLineEdit(QStringLiteral("Status..."), this);
    m_status->setObjectName(QStringLiteral("txtStatus"));
    m_status->setReadOnly(true);

    auto *top = new QHBoxLayout;
    top->addWidget(label1);
    top->addWidget(m_baseWord, 1);
    top->addWidget(m_startButton);
    auto *lists = new QHBoxLayout;
    lists->addWidget(generatedFrame, 3);
    lists->addWidget(wordsFrame, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(extensions);
    layout->addWidget(joining);
    layout->addLayout(lists, 1);
    layout->addWidget(m_status);
    resize(560, 520);

    connect(m_startButton, &QPushButton::clicked, this, &GeneratorWindow::startGenerator);
    connect(m_baseWord, &QLineEdit::returnPressed, this, &GeneratorWindow::startGenerator);
    connect(m_saveAsButton, &QPushButton::clicked, this, &GeneratorWindow::saveDomainsAs);
    connect(m_addButton, &QPushButton::clicked, this, &GeneratorWindow::addWord);
    connect(m_newWord, &QLineEdit::returnPressed, this, &GeneratorWindow::addWord);
    connect(m_removeButton, &QPushButton::clicked, this, &GeneratorWindow::removeWord);
}

void GeneratorWindow::loadState() {
    m_appendWords->addItems(AppendsFile(m_ctx.folder.appendsFile()).words());
    for (int i = 0; i < GeneratorOptions::ExtensionCount; ++i)
        m_extensionChecks[i]->setChecked(m_settings.extension(i));
    for (int i = 0; i < 3; ++i)
        m_joiningChecks[i]->setChecked(m_settings.joining(i));
    m_baseWord->setText(m_settings.baseWord());
    m_customExtension->setText(m_settings.customExtension());
}

void GeneratorWindow::connectStorage() {
    // A refused write asks "Permission Denied" (Abort, Retry, Ignore) as every window does.
    const auto store = [this](const std::function<Result<>()> &write) {
        PermissionQuestion(m_machine, *m_ctx.desktop).save(write);
    };
    for (int i = 0; i < GeneratorOptions::ExtensionCount; ++i)
        connect(m_extensionChecks[i], &QCheckBox::toggled, this, [this, i, store](bool on) {
            store([&] { return m_settings.setExtension(i, on); });
        });
    for (int i = 0; i < 3; ++i)
        connect(m_joiningChecks[i], &QCheckBox::toggled, this,
                [this, i, store](bool on) { store([&] { return m_settings.setJoining(i, on); }); });
    connect(m_baseWord, &QLineEdit::textChanged, this, [this, store](const QString &text) {
        store([&] { return m_settings.setBaseWord(text); });
    });
    connect(m_customExtension, &QLineEdit::textChanged, this, [this, store](const QString &text) {
        store([&] { return m_settings.setCustomExtension(text); });
    });
}

void GeneratorWindow::setStatus(const QString &text) {
    m_status->setText(text);
}

void GeneratorWindow::setInputsEnabled(bool enabled) {
    for (QCheckBox *box : m_extensionChecks)
        box->setEnabled(enabled);
    for (QCheckBox *box : m_joiningChecks)
        box->setEnabled(enabled);
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_customExtension, m_baseWord, m_newWord, m_startButton,
                                          m_saveAsButton, m_addButton, m_removeButton})
        w->setEnabled(enabled);
}

GeneratorOptions GeneratorWindow::currentOptions() const {
    GeneratorOptions options;
    options.baseWord = m_baseWord->text();
    options.prefixes = m_joiningChecks[0]->isChecked();
    options.suffixes = m_joiningChecks[1]->isChecked();
    options.hyphens = m_joiningChecks[2]->isChecked();
    for (int i = 0; i < GeneratorOptions::ExtensionCount; ++i)
        options.extensions[i] = m_extensionChecks[i]->isChecked();
    options.customExtension = m_customExtension->text();
    return options;
}

void GeneratorWindow::startGenerator() {
    if (running())
        return;
    m_closed = false;
    setInputsEnabled(false);
    // Each run shows, writes and hands over only its own names.
    m_generated->clear();

    AppendsFile appends(m_ctx.folder.appendsFile());
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
    const QStringList lines = TextFile::readLines(m_ctx.folder.appendsFile()).valueOr({});
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
    if (TextFile::writeAll(m_ctx.folder.createdDomains(),
                           NameGenerator::createdDomainsText(m_generated->names()))
            .failed()) {
        // Searching the old file would look up names that were not generated now.
        setStatus(QStringLiteral("Created %1 domains, but CreatedDomains.txt could not be "
                                 "written; the search was not started.")
                      .arg(created));
        setInputsEnabled(true);
        return;
    }
    // Whatever search type was chosen since this window opened, and whatever position a
    // stopped search left behind, this run's names are searched from the first one.
    setStatus(QStringLiteral("Created %1 domains...  Search Started").arg(created));
    setInputsEnabled(true);
    m_session.startList(SearchType::Generate, m_ctx.folder.createdDomains(), created);
    emit finished(created);
}

void GeneratorWindow::saveDomainsAs() {
    const QString folder = m_ctx.folder.customListsFolder();
    if (!QDir().mkpath(folder))
        qCWarning(lcGenerator) << "Could not create the folder" << folder;
    const QString target = m_ctx.desktop->saveFileName(
        folder + QLatin1Char('/') + m_baseWord->text() + QStringLiteral(".txt"),
        QStringLiteral("*.txt"));
    if (target.isEmpty())
        return;
    if (const Result<> copied = Files::copyFile(m_ctx.folder.createdDomains(), target);
        copied.failed())
        showFailure(copied.error());
}

void GeneratorWindow::addWord() {
    const QString word = m_newWord->text();
    // The list shows what Appends.txt holds: a word the file did not take is not shown either.
    if (const Result<> added = AppendsFile(m_ctx.folder.appendsFile()).add(word); added.failed()) {
        showFailure(added.error());
        return;
    }
    m_appendWords->addItem(word);
    m_newWord->clear();
}

void GeneratorWindow::showFailure(const Error &error) {
    m_ctx.desktop->message(m_ctx.branding.ProductName, error.text(), Desktop::Icon::Warning,
                           Desktop::Buttons::Ok);
}

void GeneratorWindow::removeWord() {
    QListWidgetItem *item = m_appendWords->currentItem();
    if (!item || !item->isSelected()) {
        m_ctx.desktop->message(m_ctx.branding.ProductName,
                               QStringLiteral("You must first select an item to remove from the "
                                              "list."),
                               Desktop::Icon::None, Desktop::Buttons::Ok);
        return;
    }
    if (const Result<> removed = AppendsFile(m_ctx.folder.appendsFile()).remove(item->text());
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
