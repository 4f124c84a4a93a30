#include "session/searchsession.h"

#include "session/appcontext.h"
#include "session/applog.h"
#include "session/searchdriver.h"
#include "core/desktop.h"
#include "core/filehelpers.h"
#include "core/listfile.h"
#include "core/machinesettings.h"
#include "core/resultlists.h"
#include "core/settingsstore.h"
#include "whois/dnssettings.h"
#include "whois/lookuppool.h"
#include "whois/replyrules.h"

#include <QDir>
#include <algorithm>

namespace {
const QString ShowHelpKey = QStringLiteral("showHelp");

// A number field as a 32-bit integer; `fallback` when it holds no number.
int fieldNumber(const QString &text, int fallback, bool *ok = nullptr) {
    bool parsed = false;
    const int value = text.trimmed().toInt(&parsed);
    if (ok)
        *ok = parsed;
    return parsed ? value : fallback;
}

} // namespace

SearchSession::SearchSession(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_ctx(context) {
    m_lists = new ResultLists(m_ctx.folder, this);
    m_pool = new LookupPool(m_ctx.timing, this);
    m_pool->setReplyRules(&m_ctx.replyRules);
    m_driver = new SearchDriver(*m_pool, m_ctx.registrars, m_ctx.whois, *m_ctx.userStore,
                                *m_ctx.desktop, m_ctx.timing, this);
    m_driver->setResultLists(m_lists);
    connect(m_driver, &SearchDriver::statusText, this, &SearchSession::statusText);
    connect(m_driver, &SearchDriver::stopped, this, &SearchSession::onDriverStopped);
}

SearchSession::~SearchSession() {
    // The engines refer to each other: tear down in reverse.
    delete m_driver;
    delete m_pool;
    delete m_lists;
}

// ---- start-up ---------------------------------------------------------------------------------

bool SearchSession::takeFirstStartHelp() {
    SettingsStore &store = *m_ctx.userStore;
    if (store.read(m_ctx.productApp(), AppContext::Section, ShowHelpKey, QStringLiteral("1")) !=
        QStringLiteral("1"))
        return false;
    store.write(m_ctx.productApp(), AppContext::Section, ShowHelpKey, QStringLiteral("0"));
    return true;
}

void SearchSession::load() {
    createStartupFiles();
    m_lists->loadSavedList();
    m_storedWordNumber = storedPosition(QStringLiteral("wordNumber"), QStringLiteral("0")).toInt();
    for (const QString &folder : m_ctx.folder.startupFolders()) {
        if (!Files::dirExists(folder) && !QDir().mkpath(folder))
            qCWarning(lcApp) << "Could not create the folder" << folder;
    }
    loadRegistrars();
    readLookupOptions();
}

void SearchSession::createStartupFiles() {
    for (const QString &path : m_ctx.folder.startupFiles()) {
        // A start-up file that cannot be made is reported (and logged) where it is next used.
        if (!Files::fileExists(path))
            (void)TextFile::writeAll(path, QStringLiteral("\r\n"));
    }
}

void SearchSession::loadRegistrars() {
    RegistrarTable &table = m_ctx.registrars;
    if (table.filePath().isEmpty())
        table.setFilePath(m_ctx.folder.registrarsFile());
    Result<> result = table.ensureRegistrarFile(false);
    const Result<> loaded = table.loadRegistrars();
    if (result.ok())
        result = loaded;
    // It does not stop the start-up (the bad row is simply unused), but it must stay in view:
    // the first lookup would overwrite it in a status panel.
    if (result.failed())
        emit problemReported(result.error().text());
    loadReplyRules();
}

void SearchSession::loadReplyRules() {
    ReplyRules &rules = m_ctx.replyRules;
    if (rules.filePath().isEmpty())
        rules.setFilePath(m_ctx.folder.replyRulesFile());
    QList<ReplyRuleError> errors;
    if (const auto written = rules.ensureRulesFile())
        errors << *written;
    errors << rules.load();
    // A bad line is skipped and the others are used; the first one is named, with the count.
    if (errors.isEmpty())
        return;
    QString text = errors.first().text();
    if (errors.size() > 1)
        text += QStringLiteral(" (and %1 more bad lines)").arg(errors.size() - 1);
    emit problemReported(text);
}

void SearchSession::readLookupOptions() {
    // The proxy choice lives where the extension settings window stores it.
    QString proxy = QStringLiteral("0");
    if (m_ctx.machineStore) {
        const MachineSettings machine(*m_ctx.machineStore, *m_ctx.userStore,
                                      m_ctx.branding.CompanyName, m_ctx.branding.ProductName);
        // Only empty names fail, and those are logged; ours are constants.
        proxy = machine
                    .getMachineSetting(m_ctx.productApp(), AppContext::Section,
                                       QStringLiteral("chkProxy"), proxy)
                    .valueOr(proxy);
    }
    m_ctx.whois.ProxySwitch = MachineSettings::isTrue(proxy);
    m_ctx.whois.DefaultExtension =
        m_ctx.userStore->read(m_ctx.productApp(), AppContext::Section, QStringLiteral("DefaultExt"),
                              QStringLiteral(".com"));
}

QString SearchSession::storedPosition(const QString &key, const QString &fallback) const {
    return m_ctx.userStore->read(AppContext::PositionsApp, AppContext::Section, key, fallback);
}

// ---- search type ------------------------------------------------------------------------------

QString SearchSession::listPath() const {
    return m_driver->listPath();
}

bool SearchSession::selectType(SearchType type) {
    // Going on into another list would carry this run's entry number into it and overwrite
    // that list's stored position.
    if (running())
        stop();
    if (type == SearchType::CustomList && !chooseCustomList())
        return false;
    applyType(type);
    return true;
}

bool SearchSession::chooseCustomList() {
    const QString file =
        m_ctx.desktop->openFileName(m_ctx.folder.wordListFolder(), QStringLiteral("*.txt"));
    if (file.isEmpty())
        return false;
    m_driver->setListPath(file);
    m_entryCount = QString::number(ListFile::countListEntries(file));
    return true;
}

void SearchSession::applyType(SearchType type) {
    m_type = type;
    m_hasType = true;
    m_driver->setPositionKey(SearchTypes::positionKey(type));
    switch (type) {
    case SearchType::Browse:
        // Browsing files its names itself: the list and position stay as they were.
        break;
    case SearchType::Generate:
        m_driver->setListPath(m_ctx.folder.createdDomains());
        m_startEntry = QStringLiteral("1");
        break;
    case SearchType::YahooSearch:
    case SearchType::GoogleSearch:
        m_driver->setListPath(m_ctx.folder.browserSearchList());
        m_startEntry = QStringLiteral("1");
        break;
    case SearchType::CustomList:
        // chooseCustomList() has set the list and its count.
        m_startEntry = QStringLiteral("1");
        break;
    case SearchType::FullWordList:
    case SearchType::TwoLetterList:
    case SearchType::ThreeLetterList:
    case SearchType::FourLetterList:
        m_driver->setListPath(m_ctx.folder.wordList(type));
        m_entryCount = QString::number(ListFile::countListEntries(m_driver->listPath()));
        setStartEntry(storedPosition(SearchTypes::positionKey(type)));
        break;
    }
    emit typeSelected(type);
    emit startFieldsChanged();
}

// A start position at or past the end of the list starts the list again. Fields that hold no
// number (an empty field while typing) are left alone.
void SearchSession::setStartEntry(const QString &text) {
    QString entry = text;
    bool numOk = false;
    bool maxOk = false;
    const int num = fieldNumber(entry, 0, &numOk);
    const int max = fieldNumber(m_entryCount, 0, &maxOk);
    if (numOk && maxOk && num >= max)
        entry = QStringLiteral("1");
    const bool corrected = entry != text;
    m_startEntry = entry;
    if (corrected)
        emit startFieldsChanged();
}

void SearchSession::setEntryCount(const QString &text) {
    m_entryCount = text;
}

// ---- runs -------------------------------------------------------------------------------------

bool SearchSession::running() const {
    return m_driver->running();
}

void SearchSession::start() {
    m_lists->resetCounters();
    // A web search always reads its freshly built list from the top.
    if (m_hasType && SearchTypes::isWebSearch(m_type))
        m_startEntry = QStringLiteral("1");
    // An empty or zero start field starts at the first entry; an empty count field counts the
    // list. What the run uses is shown in the fields.
    const int wordNumber = std::max(1, fieldNumber(m_startEntry, 1));
    bool maxOk = false;
    int wordMax = fieldNumber(m_entryCount, 0, &maxOk);
    if (!maxOk) {
        wordMax = ListFile::countListEntries(m_driver->listPath());
        m_entryCount = QString::number(wordMax);
    }
    m_startEntry = QString::number(wordNumber);
    emit startFieldsChanged();
    emit runStarting();
    m_driver->setDnsSettings(DnsSettings::read(*m_ctx.userStore, m_ctx.productApp()));
    m_driver->start(wordNumber, wordMax);
}

void SearchSession::stop() {
    m_driver->stop();
}

void SearchSession::startList(SearchType type, const QString &path, int count) {
    if (running())
        stop();
    m_type = type;
    m_hasType = true;
    m_driver->setPositionKey(SearchTypes::positionKey(type));
    m_driver->setListPath(path);
    m_entryCount = QString::number(count);
    m_startEntry = QStringLiteral("1");
    emit typeSelected(type);
    emit startFieldsChanged();
    start();
}

void SearchSession::shutdown() {
    m_driver->shutdown();
}

void SearchSession::onDriverStopped() {
    // The web and word-list types restore their own list and position; the others go back
    // to the custom position.
    if (m_hasType && (SearchTypes::isWebSearch(m_type) || SearchTypes::isWordList(m_type))) {
        applyType(m_type);
    } else {
        setStartEntry(storedPosition(SearchTypes::positionKey(SearchType::CustomList)));
        emit startFieldsChanged();
    }
    emit runStopped();
}

// ---- names ------------------------------------------------------------------------------------

void SearchSession::openName(const QString &name) {
    m_ctx.WhoisName = name;
    if (m_ctx.branding.PurchaseSwitch) {
        m_ctx.desktop->openUrl(m_ctx.branding.PurchasePrefix + name);
        return;
    }
    emit viewerRequested(name);
}
