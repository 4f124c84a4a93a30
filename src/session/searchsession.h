#pragma once

#include "core/searchtype.h"

#include <QObject>
#include <QString>

class LookupPool;
class ResultLists;
class SearchDriver;
struct AppContext;

// One search session of the program, without a window: the result lists, the lookup pool and
// the search driver, the chosen search type with its list and start position, and the start-up
// of the program folder. The main window presents it and forwards what the user does; the
// generator, the list builder and the browser harvester start runs and open names through it.
class SearchSession : public QObject {
    Q_OBJECT
public:
    explicit SearchSession(AppContext &context, QObject *parent = nullptr);
    ~SearchSession() override;

    AppContext &context() { return m_ctx; }
    ResultLists &lists() { return *m_lists; }
    LookupPool &pool() { return *m_pool; }
    SearchDriver &driver() { return *m_driver; }

    // ---- start-up
    // True once, on the program's first start: the help is shown then.
    bool takeFirstStartHelp();
    // Creates the missing start-up files and folders, loads the Saved list, the stored position,
    // the registrar table and the lookup options. A registrar table error is reported through
    // statusText(3, ...): it does not stop the start-up, the bad row is simply unused.
    void load();
    int storedWordNumber() const { return m_storedWordNumber; }

    // ---- the search type and its list
    bool hasType() const { return m_hasType; }
    SearchType type() const { return m_type; }
    QString listPath() const;
    // Applies a choice of the user. A running search is stopped first (its position stored as
    // Stop does). A custom list asks for its file; false when that is cancelled, which changes
    // nothing.
    bool selectType(SearchType type);

    // The start fields as the user sees and edits them: the entry to start at and the number
    // of entries. Texts, because either may be empty while being typed.
    QString startEntry() const { return m_startEntry; }
    QString entryCount() const { return m_entryCount; }
    // A start entry at or past the end of the list is replaced by "1".
    void setStartEntry(const QString &text);
    void setEntryCount(const QString &text);

    // What the list builder reads when it starts.
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text) { m_searchText = text; }
    int wantedCountIndex() const { return m_wantedCountIndex; }
    void setWantedCountIndex(int index) { m_wantedCountIndex = index; }

    // ---- runs
    bool running() const;
    // Start: runs the chosen list from the start entry.
    void start();
    // Stop: stores the position; stopped() follows once every slot is closed.
    void stop();
    // Runs `count` entries of the list at `path` as a search of `type`, from its first entry
    // (the generator and the list builder hand their finished lists over this way).
    void startList(SearchType type, const QString &path, int count);
    // The program ends: halt everything, store the position, emit nothing.
    void shutdown();

    // A name the user chose in a list: the purchase page opens, or viewerRequested() asks the
    // presenting window to show the WHOIS viewer.
    void openName(const QString &name);

signals:
    void typeSelected(SearchType type); // also after a run that restores its type's list
    void startFieldsChanged();
    void runStarting(); // before the first lookup, so windows can lock their inputs
    void runStopped();
    void statusText(int panel, const QString &text);
    // A failure the user must see: it stays shown until dismissed, unlike the status panels.
    void problemReported(const QString &text);
    void viewerRequested(const QString &name);

private:
    void createStartupFiles();
    void loadRegistrars();
    void loadReplyRules();
    void readLookupOptions();
    bool chooseCustomList();
    void applyType(SearchType type);
    void onDriverStopped();
    // The next entry stored under `key`; "1" (the first entry) when none is stored.
    QString storedPosition(const QString &key, const QString &fallback = QStringLiteral("1")) const;

    AppContext &m_ctx;
    ResultLists *m_lists = nullptr;
    LookupPool *m_pool = nullptr;
    SearchDriver *m_driver = nullptr;

    SearchType m_type = SearchType::Browse;
    bool m_hasType = false;
    QString m_startEntry = QStringLiteral("1");
    QString m_entryCount = QStringLiteral("1");
    QString m_searchText;
    int m_wantedCountIndex = 0;
    int m_storedWordNumber = 0;
};
