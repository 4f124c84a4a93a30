#pragma once

#include "core/namelistmodel.h"
#include "core/programfolder.h"
#include "core/result.h"

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QSet>
#include <array>

// The five result lists with their counters and captions, the filing of names found free or
// taken, the mirror files of the free lists, the list stamp and the 20000-entry overflow rule.
//
// Lists are numbered as the main window's list boxes: 1 Low Profile, 2 Registered,
// 3 High Profile, 4 Mid Profile, 5 Saved.
class ResultLists : public QObject {
    Q_OBJECT
public:
    enum List { Low = 1, Registered = 2, High = 3, Mid = 4, Saved = 5 };
    static constexpr int OverflowLimit = 20000;
    static constexpr int RegisteredKeep = 101;

    // The list stamp is set at construction, so a new run never overwrites an earlier run's
    // mirror files or first overflow dump.
    explicit ResultLists(const ProgramFolder &folder, QObject *parent = nullptr);

    NameListModel *list(int k) const;  // k from 1 to 5
    int counter(int k) const;          // 0 for the Saved list
    QString caption(int k) const;      // the caption label's current text
    static QString bareCaption(int k); // "Low Profile", ..., "Saved Domains"
    static QString toolTip(int k);

    // The free list a name belongs in, by the length of its first label: High under 5
    // characters, Mid 5 to 7, Low 8 or more.
    static List lengthClass(const QString &name);

    // Filing. Both ignore the bare texts ".com" and ".net".
    void fileFreeName(const QString &name);
    void fileTakenName(const QString &name);
    // Writes the three mirror files; appends when only appends happened since the last write.
    void saveFreeLists();

    // The overflow rule: when a free list holds OverflowLimit entries or more, dump, reset and
    // emit overflowed(); returns whether the lists were saved and cleared. When the dump
    // fails nothing is cleared: overflowFailed() tells where it tried (once until a dump
    // succeeds) and the next call tries again.
    bool applyOverflowRule();
    // Writes the three free lists into the overflow folder; false when any file failed.
    bool dumpToOverflow();
    QString overflowFolder() const;
    void resetLists();
    void renewListStamp();
    QString listStamp() const { return m_stamp; }
    // Local date and time in the general short format with "/", ":" and " " removed.
    static QString makeStamp(const QDateTime &when);
    static QString makeStamp(const QDateTime &when, const QLocale &locale);

    // List commands.
    void resetCounters();          // Start of a run: counters to 0, captions unchanged
    void deleteAt(int k, int row); // Delete selected: counter -1 and counted caption
    void clearList(int k);         // counter 0 and bare caption

    // The Saved list and its file "\Remembered.txt".
    void loadSavedList();
    void saveSavedList();
    void appendSaved(const QStringList &names); // appends and saves

    // During a run the four filed lists reach their views in blocks: deferred, they change
    // what views show only on publishViews() (the window calls it about ten times a second).
    void setViewsDeferred(bool deferred);
    void publishViews();

    // Full paths of the mirror files for the current stamp, in the order Low, Mid, High.
    QStringList mirrorFilePaths() const;

    // "Unknown<stamp>.txt" in the program folder: the names runs could not decide, one per
    // line as "name<TAB>reason", so the file can be run as a Custom List later.
    QString unknownFilePath() const;
    // Appends `lines` to that file; a failure is reported through writeFailed().
    bool appendUnknownNames(const QStringList &lines);
    // One line of that file: the name, a tab and the reason, on one line whatever a server's
    // error text holds.
    static QString unknownNameLine(const QString &name, const QString &reason);

signals:
    void captionChanged(int k, const QString &caption);
    void overflowed(); // the main window shows its "File backup" notice
    // The lists reached the overflow limit but could not be saved into `folder`; kept.
    void overflowFailed(const QString &folder);
    // A file could not be written. Reported once per file until a write of it succeeds again,
    // so a failing mirror file, overflow dump or "Remembered.txt" each gets its own report
    // and one file's success never hides another's failure.
    void writeFailed(const QString &message);

private:
    void setCounted(int k, int count);
    void setCaption(int k, const QString &caption);
    Result<> writeMirror(int k, const QString &path);
    void forgetMirror(int k);
    QString freshStamp() const;
    bool stampInUse(const QString &stamp) const;
    void useStamp(const QString &stamp);
    bool noteWrite(const QString &path, const Result<> &written);

    ProgramFolder m_folder;
    std::array<NameListModel *, 6> m_lists{};
    std::array<int, 6> m_counters{};
    std::array<QString, 6> m_captions;
    QString m_stamp;
    // Per mirror file: how many entries the file holds when it still equals the head of its
    // list (appends only since the last write); -1 when it must be rewritten in full.
    std::array<int, 6> m_mirrored{};
    std::array<qint64, 6> m_mirroredBytes{}; // size the file had after our last write
    QStringList m_mirrorPaths;               // mirrorFilePaths() for the current stamp
    QSet<QString> m_failingFiles;            // reported and not yet written since
    bool m_overflowFailing = false;
};
