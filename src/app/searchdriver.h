#pragma once

#include "core/listfile.h"

#include <QObject>
#include <QString>

class Desktop;
class LookupPool;
class QTimer;
class SettingsStore;
struct Timing;

// A search run: feeds the entries of one list file, in order, into the lookup pool in batches
// of 25, ends each batch when all its lookups have ended or at its deadline, stores how far it
// got, and stops at the end of the list or when asked.
//
// The driver never touches a widget: the main window locks and restores its controls around
// Start and on stopped(), and shows statusText() in its status bar.
class SearchDriver : public QObject {
    Q_OBJECT
public:
    SearchDriver(LookupPool &pool, SettingsStore &userStore, Desktop &desktop, const Timing &timing,
                 QObject *parent = nullptr);
    ~SearchDriver() override;

    // The list the next run reads, and the key its position is stored under ("" for none).
    void setListPath(const QString &path) { m_listPath = path; }
    QString listPath() const { return m_listPath; }
    // Positions still waiting to be written are stored under the key they were taken for.
    void setPositionKey(const QString &key);
    QString positionKey() const { return m_positionKey; }

    // Starts a run at entry `wordNumber` of a list of `wordMax` entries.
    void start(int wordNumber, int wordMax);
    // Stops the run (button, end of list). Emits stopped() after closing every slot.
    void stop();
    // Unload of the main window: halt and close everything, emit nothing.
    void shutdown();

    bool halted() const { return m_halted; }
    bool running() const { return !m_halted; }
    int wordNumber() const { return m_wordNumber; }
    int wordMax() const { return m_wordMax; }
    int batchDone() const { return m_batchDone; }
    int batchSeconds() const { return m_batchSeconds; }

    // The n-th entry of the current list, or the end marker; shows "File ... not found." once
    // when the list cannot be read.
    QString nextListEntry(int n);

signals:
    void statusText(int panel, const QString &text);
    void stopped();

private:
    void startBatch();
    void onLookupEnded();
    void onOverallTick();
    void endBatch();
    void storePosition(int next);
    void flushPosition();
    void showRestingStatus();

    LookupPool &m_pool;
    SettingsStore &m_userStore;
    Desktop &m_desktop;
    const Timing &m_timing;
    QTimer *m_overall = nullptr;
    QTimer *m_positionWrite = nullptr;
    int m_pendingPosition = 0; // next entry, not yet written to the store
    ListFile m_listFile;

    QString m_listPath;
    QString m_positionKey;
    int m_wordNumber = 0;
    int m_wordMax = 0;
    bool m_halted = true;
    bool m_listEnded = false;
    int m_batchDone = 0;
    int m_batchStarted = 0;
    int m_batchSeconds = 0;
};
