#include "core/resultlists.h"

#include "core/corelog.h"
#include "core/filehelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

namespace {

const QString kRemembered = QStringLiteral("\\Remembered.txt");

struct ListInfo {
    const char *caption;
    const char *toolTip;
    const char *mirrorBase; // nullptr for the lists without a mirror file
};

// Indexed by list number. The mirror names are shifted against the list names on purpose:
// the Mid list lives in the "HighProfile" file, the High list in "SuperHighProfile".
const ListInfo kLists[6] = {
    {"", "", nullptr},
    {"Low Profile", "These domains have 8 or more characters.", "LowProfile"},
    {"Registered", "These domain names are already registered.", nullptr},
    {"High Profile", "These domains have less than 5 characters", "SuperHighProfile"},
    {"Mid Profile", "These domains have 5 to 7 characters", "HighProfile"},
    {"Saved Domains", "Drag a domain name here to save it.", nullptr},
};

// The mirror files in the order they are written.
constexpr int kMirrored[3] = {ResultLists::Low, ResultLists::Mid, ResultLists::High};

bool validList(int k) {
    return k >= ResultLists::Low && k <= ResultLists::Saved;
}

bool isBareComOrNet(const QString &name) {
    return name == QLatin1String(".com") || name == QLatin1String(".net");
}

bool isBlankLine(const QString &line) {
    return line.isEmpty() || line == QLatin1String(" ");
}

QString linesText(const QStringList &names, qsizetype from) {
    QString text;
    for (qsizetype i = from; i < names.size(); ++i)
        text += names.at(i) + QStringLiteral("\r\n");
    return text;
}

// The locale's format with the time-zone fields taken out: the stamp is a local time.
QString withoutTimeZone(const QString &format) {
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            result += c;
    }
    return result.trimmed();
}
} // namespace

ResultLists::ResultLists(const ProgramFolder &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder) {
    for (int k = Low; k <= Saved; ++k) {
        m_lists[k] = new NameListModel(this);
        m_captions[k] = bareCaption(k);
    }
    useStamp(freshStamp());
}

NameListModel *ResultLists::list(int k) const {
    return validList(k) ? m_lists[k] : nullptr;
}

int ResultLists::counter(int k) const {
    return validList(k) ? m_counters[k] : 0;
}

QString ResultLists::caption(int k) const {
    return validList(k) ? m_captions[k] : QString();
}

QString ResultLists::bareCaption(int k) {
    return validList(k) ? QString::fromLatin1(kLists[k].caption) : QString();
}

QString ResultLists::toolTip(int k) {
    return validList(k) ? QString::fromLatin1(kLists[k].toolTip) : QString();
}

void ResultLists::setCaption(int k, const QString &caption) {
    if (m_captions[k] == caption)
        return;
    m_captions[k] = caption;
    emit captionChanged(k, caption);
}

void ResultLists::setCounted(int k, int count) {
    m_counters[k] = count;
    setCaption(k,
               bareCaption(k) + QStringLiteral(" (") + QString::number(count) + QLatin1Char(')'));
}

ResultLists::List ResultLists::lengthClass(const QString &name) {
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const qsizetype length = dot < 0 ? name.size() : dot;
    return length < 5 ? High : length <= 7 ? Mid : Low;
}

void ResultLists::fileFreeName(const QString &name) {
    if (isBareComOrNet(name))
        return;
    const int k = lengthClass(name);
    setCounted(k, m_counters[k] + 1);
    m_lists[k]->append(name);
    saveFreeLists();
}

void ResultLists::fileTakenName(const QString &name) {
    if (isBareComOrNet(name))
        return;
    if (m_lists[Registered]->count() >= RegisteredKeep)
        m_lists[Registered]->clear();
    setCounted(Registered, m_counters[Registered] + 1);
    m_lists[Registered]->append(name);
}

void ResultLists::saveFreeLists() {
    for (int i = 0; i < 3; ++i)
        noteWrite(m_mirrorPaths.at(i), writeMirror(kMirrored[i], m_mirrorPaths.at(i)));
}

// Brings one mirror file up to date: appends the new tail when the file still holds exactly
// what we last wrote, rewrites it in full otherwise.
Result<> ResultLists::writeMirror(int k, const QString &path) {
    const QStringList &names = m_lists[k]->names();
    const int written = m_mirrored[k];
    const QFileInfo info(path);
    const bool appendable = written >= 0 && written <= names.size() && info.isFile() &&
                            info.size() == m_mirroredBytes[k];
    if (appendable && written == names.size())
        return {};
    const Result<> mirrored = appendable ? TextFile::append(path, linesText(names, written))
                                         : TextFile::writeAll(path, linesText(names, 0));
    if (mirrored.failed()) {
        forgetMirror(k);
        return mirrored;
    }
    m_mirrored[k] = int(names.size());
    m_mirroredBytes[k] = QFileInfo(path).size();
    return {};
}

void ResultLists::forgetMirror(int k) {
    m_mirrored[k] = -1;
}

bool ResultLists::applyOverflowRule() {
    if (m_lists[Mid]->count() < OverflowLimit && m_lists[High]->count() < OverflowLimit &&
        m_lists[Low]->count() < OverflowLimit)
        return false;
    qCDebug(lcLists) << "A free list reached" << OverflowLimit << "names: dumped to overflow/";
    // Clearing lists that were not saved would lose them for good (a full disk, a read-only
    // folder): they stay, the run goes on, and the next filing tries again.
    if (!dumpToOverflow()) {
        if (!m_overflowFailing) {
            m_overflowFailing = true;
            emit overflowFailed(QDir::toNativeSeparators(overflowFolder()));
        }
        return false;
    }
    m_overflowFailing = false;
    resetLists();
    emit overflowed();
    return true;
}

QString ResultLists::overflowFolder() const {
    return m_folder.path(QStringLiteral("\\overflow"));
}

bool ResultLists::dumpToOverflow() {
    const QString folder = overflowFolder();
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    bool allWritten = true;
    for (const int k : kMirrored) {
        const QString path = m_folder.path(QStringLiteral("\\overflow\\") +
                                           QString::fromLatin1(kLists[k].mirrorBase) + m_stamp +
                                           QStringLiteral(".txt"));
        allWritten = noteWrite(path, TextFile::writeLines(path, m_lists[k]->names())) && allWritten;
    }
    return allWritten;
}

void ResultLists::resetLists() {
    for (const int k : {Low, Registered, High, Mid}) {
        m_lists[k]->clear();
        m_counters[k] = 0;
    }
    renewListStamp();
}

void ResultLists::renewListStamp() {
    useStamp(freshStamp());
    const QString folder = m_folder.path(QStringLiteral("\\backups"));
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    const QString high =
        m_folder.path(QStringLiteral("\\backups\\HighProfile") + m_stamp + QStringLiteral(".txt"));
    const QString mid =
        m_folder.path(QStringLiteral("\\backups\\MidProfile") + m_stamp + QStringLiteral(".txt"));
    const QString line = QStringLiteral(" \r\n");
    for (const QString &path : {high, mid, high})
        noteWrite(path, TextFile::append(path, line));
}

QString ResultLists::makeStamp(const QDateTime &when) {
    return makeStamp(when, QLocale::system());
}

QString ResultLists::makeStamp(const QDateTime &when, const QLocale &locale) {
    const QString text =
        locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
        locale.toString(when.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
    QString stamp;
    // Locales may separate with no-break or narrow spaces; none of them belongs in a file name.
    for (const QChar c : text) {
        if (c != QLatin1Char('/') && c != QLatin1Char(':') && c != QLatin1Char('\\') &&
            !c.isSpace())
            stamp += c;
    }
    return stamp;
}

// A stamp no existing mirror or overflow file carries, so neither a quick restart nor two
// overflows within one second overwrite earlier files.
QString ResultLists::freshStamp() const {
    const QString base = makeStamp(QDateTime::currentDateTime());
    QString stamp = base;
    for (int n = 2; stamp == m_stamp || stampInUse(stamp); ++n)
        stamp = base + QLatin1Char('_') + QString::number(n);
    return stamp;
}

bool ResultLists::stampInUse(const QString &stamp) const {
    for (const int k : kMirrored) {
        const QString name =
            QString::fromLatin1(kLists[k].mirrorBase) + stamp + QStringLiteral(".txt");
        if (QFileInfo::exists(m_folder.path(QLatin1Char('\\') + name)) ||
            QFileInfo::exists(m_folder.path(QStringLiteral("\\overflow\\") + name)))
            return true;
    }
    return false;
}

void ResultLists::useStamp(const QString &stamp) {
    m_stamp = stamp;
    m_mirrorPaths.clear();
    for (const int k : kMirrored) {
        m_mirrorPaths << m_folder.path(QLatin1Char('\\') +
                                       QString::fromLatin1(kLists[k].mirrorBase) + m_stamp +
                                       QStringLiteral(".txt"));
        forgetMirror(k);
    }
}

void ResultLists::setViewsDeferred(bool deferred) {
    for (const int k : {Low, Registered, High, Mid})
        m_lists[k]->setDeferred(deferred);
}

void ResultLists::publishViews() {
    for (int k = Low; k <= Saved; ++k)
        m_lists[k]->publish();
}

QStringList ResultLists::mirrorFilePaths() const {
    return m_mirrorPaths;
}

QString ResultLists::unknownFilePath() const {
    return m_folder.path(QStringLiteral("\\Unknown") + m_stamp + QStringLiteral(".txt"));
}

QString ResultLists::unknownNameLine(const QString &name, const QString &reason) {
    return TextFile::oneLine(name) + QLatin1Char('\t') + TextFile::oneLine(reason);
}

bool ResultLists::appendUnknownNames(const QStringList &lines) {
    if (lines.isEmpty())
        return true;
    const QString path = unknownFilePath();
    return noteWrite(
        path, TextFile::append(path, lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
}

void ResultLists::resetCounters() {
    for (const int k : {Low, Registered, High, Mid})
        m_counters[k] = 0;
}

void ResultLists::deleteAt(int k, int row) {
    if (!validList(k) || row < 0 || row >= m_lists[k]->count())
        return;
    m_lists[k]->removeAt(row);
    if (k == Saved)
        return;
    // Start resets the counters while the lists keep their rows: a count never goes negative.
    setCounted(k, qMax(0, m_counters[k] - 1));
    forgetMirror(k);
}

void ResultLists::clearList(int k) {
    if (!validList(k))
        return;
    m_lists[k]->clear();
    if (k == Saved)
        return;
    m_counters[k] = 0;
    setCaption(k, bareCaption(k));
    forgetMirror(k);
}

void ResultLists::loadSavedList() {
    // A missing file is an empty Saved list; one that cannot be read is logged where it failed.
    const QStringList lines = TextFile::readLines(m_folder.path(kRemembered)).valueOr({});
    QStringList names;
    for (const QString &line : lines) {
        if (!isBlankLine(line))
            names << line;
    }
    m_lists[Saved]->clear();
    m_lists[Saved]->appendMany(names);
}

void ResultLists::saveSavedList() {
    QStringList names;
    for (const QString &name : m_lists[Saved]->names()) {
        if (!isBlankLine(name))
            names << name;
    }
    const QString path = m_folder.path(kRemembered);
    noteWrite(path, TextFile::writeLines(path, names));
}

void ResultLists::appendSaved(const QStringList &names) {
    m_lists[Saved]->appendMany(names);
    saveSavedList();
}

// Every failing file is reported on its own, once until it is written again, and logged.
bool ResultLists::noteWrite(const QString &path, const Result<> &written) {
    if (written.ok()) {
        m_failingFiles.remove(path);
        return true;
    }
    if (m_failingFiles.contains(path))
        return false;
    m_failingFiles.insert(path);
    const QString message =
        written.error().text() + QStringLiteral("; the lists go on without it.");
    qCWarning(lcLists).noquote() << message;
    emit writeFailed(message);
    return false;
}
