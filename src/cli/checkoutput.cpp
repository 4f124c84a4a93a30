#include "cli/checkoutput.h"

#include "core/filehelpers.h"
#include "core/resultlists.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr int MaxNameWidth = 40;
constexpr int MaxServerWidth = 30;
constexpr int VerdictWidth = 7; // "unknown"
constexpr int ClassWidth = 4;   // "high"

// JSON escapes a control character, but a reader that prints the value would send it on.
QJsonValue jsonText(const QString &text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(TextFile::oneLine(text));
}

QString clock(qint64 seconds) {
    return QString::number(seconds / 60) + QLatin1Char(':') +
           QString::number(seconds % 60).rightJustified(2, QLatin1Char('0'));
}
} // namespace

QString verdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Free:
        return QStringLiteral("free");
    case Verdict::Taken:
        return QStringLiteral("taken");
    case Verdict::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

QString lengthClassText(const QString &name) {
    switch (ResultLists::lengthClass(name)) {
    case ResultLists::High:
        return QStringLiteral("high");
    case ResultLists::Mid:
        return QStringLiteral("mid");
    default:
        return QStringLiteral("low");
    }
}

CheckFormatter::CheckFormatter(CheckOptions::Format format, int nameWidth, int serverWidth)
    : m_format(format)
    , m_nameWidth(qBound(1, nameWidth, MaxNameWidth))
    , m_serverWidth(qBound(1, serverWidth, MaxServerWidth)) {}

QString CheckFormatter::header() const {
    if (m_format == CheckOptions::Format::Csv)
        return QStringLiteral("name,verdict,class,server,reason,ascii\n");
    return {};
}

QString CheckFormatter::line(const CheckRow &row) const {
    const QString verdict = verdictText(row.verdict);
    switch (m_format) {
    case CheckOptions::Format::Csv:
        return QStringList{TextFile::csvCell(row.name),
                           verdict,
                           row.lengthClass,
                           TextFile::csvCell(row.server),
                           TextFile::csvCell(row.reason),
                           TextFile::csvCell(row.ascii)}
                   .join(QLatin1Char(',')) +
               QLatin1Char('\n');
    case CheckOptions::Format::Json: {
        const QJsonObject object{{QStringLiteral("name"), TextFile::oneLine(row.name)},
                                 {QStringLiteral("verdict"), verdict},
                                 {QStringLiteral("class"), jsonText(row.lengthClass)},
                                 {QStringLiteral("server"), jsonText(row.server)},
                                 {QStringLiteral("reason"), jsonText(row.reason)},
                                 {QStringLiteral("ascii"), jsonText(row.ascii)}};
        return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) +
               QLatin1Char('\n');
    }
    case CheckOptions::Format::Text:
        break;
    }
    // A name longer than its column pushes the rest of its own line only.
    QString text = row.name.leftJustified(m_nameWidth) + QStringLiteral("  ") +
                   verdict.leftJustified(VerdictWidth) + QStringLiteral("  ") +
                   row.lengthClass.leftJustified(ClassWidth) + QStringLiteral("  ") +
                   row.server.leftJustified(m_serverWidth) + QStringLiteral("  ") + row.reason +
                   QStringLiteral("  ") + row.ascii;
    // Control characters of a reason or name would break the one-line-per-name promise.
    text = TextFile::oneLine(text);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text + QLatin1Char('\n');
}

QString progressText(int done, int total, double seconds, int freeCount, int toRetry) {
    const double rate = seconds > 0 ? done / seconds : 0;
    // A slow run (silent servers) still shows that it moves.
    const QString rateText =
        rate < 10 ? QString::number(rate, 'f', 1) : QString::number(qRound(rate));
    // The total is known once the input has been read to its end.
    QString text = QString::number(done) +
                   (total >= 0 ? QLatin1Char('/') + QString::number(total) : QString()) +
                   QStringLiteral(" names  ") + rateText + QStringLiteral("/s  ") +
                   QString::number(freeCount) + QStringLiteral(" free");
    // Names waiting for the retry pass are not counted in the time left: they wait for their
    // servers' rest, not for the rate.
    const int firstLookupsLeft = total - done - toRetry;
    if (rate > 0 && total >= 0 && firstLookupsLeft > 0)
        text += QStringLiteral("  ") + clock(qRound64(firstLookupsLeft / rate)) +
                QStringLiteral(" left");
    if (toRetry > 0)
        text += QStringLiteral("  ") + QString::number(toRetry) + QStringLiteral(" to retry");
    return text;
}
