#include "whois/replyrules.h"

#include "core/filehelpers.h"
#include "defaultreplyrules.h"
#include "whois/replyclassifier.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString AnyExtension = QStringLiteral("*");
const QString RegexPrefix = QStringLiteral("re:");

std::optional<Verdict> verdictNamed(const QString &word) {
    if (word == QLatin1String("free"))
        return Verdict::Free;
    if (word == QLatin1String("taken"))
        return Verdict::Taken;
    if (word == QLatin1String("unknown"))
        return Verdict::Unknown;
    return std::nullopt;
}

bool isValidExtension(const QString &extension) {
    static const QRegularExpression shape(
        QStringLiteral("^[a-z0-9](?:[a-z0-9-]*[a-z0-9])?(?:\\.[a-z0-9](?:[a-z0-9-]*[a-z0-9])?)*$"));
    return extension == AnyExtension || shape.match(extension).hasMatch();
}

ReplyReading reading(Verdict verdict, const QString &reason = {}) {
    return ReplyReading{verdict, verdict == Verdict::Unknown ? reason : QString(), 0};
}

// Throttling registries often say how long to rest ("replenished in 50 seconds", "go away for
// 13 seconds", "wait 7777777 seconds"); a wait of more than a day is cut to one day.
int restSeconds(const QString &lowerReply) {
    static const QRegularExpression wait(
        QStringLiteral("\\b(?:in|for|of|wait|after)\\s+(\\d{1,9})\\s*(?:seconds?|secs?)\\b"));
    const QRegularExpressionMatch match = wait.match(lowerReply);
    if (!match.hasMatch())
        return 0;
    return int(qMin<qint64>(match.captured(1).toLongLong(), 24 * 3600));
}

ReplyReading throttled(const QString &lowerReply) {
    ReplyReading r{Verdict::Unknown, QStringLiteral("rate-limited"), 0};
    r.retryAfterSeconds = restSeconds(lowerReply);
    return r;
}

} // namespace

bool ReplyRules::Rule::matches(const QString &lowerReply) const {
    if (!phrase.isEmpty())
        return matcher.indexIn(lowerReply) >= 0;
    return pattern.match(lowerReply).hasMatch();
}

ReplyRules::ReplyRules(const QString &filePath)
    : m_path(filePath) {}

QString ReplyRules::defaultText() {
    QString text = QString::fromUtf8(kDefaultReplyRules);
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

std::optional<ReplyRuleError> ReplyRules::ensureRulesFile() const {
    if (Files::fileExists(m_path))
        return std::nullopt;
    if (const Result<> written = TextFile::writeAll(m_path, defaultText()); written.failed())
        return written.error();
    return std::nullopt;
}

QList<ReplyRuleError> ReplyRules::load() {
    const Result<QStringList> lines = TextFile::readLines(m_path);
    if (lines.failed())
        return {lines.error()};
    return loadText(lines.value().join(QLatin1Char('\n')), m_path);
}

QList<ReplyRuleError> ReplyRules::loadText(const QString &text, const QString &fileName) {
    QHash<QString, QList<Rule>> rules;
    QList<ReplyRuleError> errors;
    int count = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        QString extension;
        Rule rule;
        if (const auto problem = parseLine(line, extension, rule)) {
            errors.append(Error{QStringLiteral("read"), fileName, *problem, i + 1});
            continue;
        }
        rules[extension].append(rule);
        ++count;
    }
    m_rules = rules;
    m_count = count;
    m_throttle = m_rules.value(AnyExtension);
    return errors;
}

std::optional<QString> ReplyRules::parseLine(const QString &line, QString &extension, Rule &rule) {
    // The phrase is everything after the second "|", so a pattern may hold "|" itself.
    const qsizetype first = line.indexOf(QLatin1Char('|'));
    const qsizetype second = first < 0 ? -1 : line.indexOf(QLatin1Char('|'), first + 1);
    if (second < 0)
        return QStringLiteral("a rule needs three fields: extension|verdict|phrase");
    extension = line.left(first).trimmed().toLower();
    if (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    if (!isValidExtension(extension))
        return QStringLiteral("\"%1\" is not an extension").arg(line.left(first).trimmed());
    const QString word = line.mid(first + 1, second - first - 1).trimmed().toLower();
    const auto verdict = verdictNamed(word);
    if (!verdict)
        return QStringLiteral("the verdict \"%1\" is not free, taken or unknown").arg(word);
    if (extension == AnyExtension && *verdict != Verdict::Unknown)
        return QStringLiteral("rules for every extension (\"*\") can only say unknown");
    rule.verdict = *verdict;
    const QString phrase = line.mid(second + 1).trimmed();
    if (phrase.startsWith(RegexPrefix, Qt::CaseInsensitive)) {
        const QString source = phrase.mid(RegexPrefix.size());
        if (source.isEmpty())
            return QStringLiteral("the regular expression is empty");
        rule.pattern = QRegularExpression(source, QRegularExpression::CaseInsensitiveOption |
                                                      QRegularExpression::MultilineOption);
        if (!rule.pattern.isValid())
            return QStringLiteral("the regular expression is not valid: %1")
                .arg(rule.pattern.errorString());
        // Not compiled to machine code here: that happens at first use, so the patterns of
        // extensions never asked about cost no memory.
    } else {
        if (phrase.isEmpty())
            return QStringLiteral("the phrase is empty");
        rule.phrase = phrase.toLower();
        rule.matcher.setPattern(rule.phrase);
    }
    return std::nullopt;
}

const QList<ReplyRules::Rule> *ReplyRules::rulesFor(const QString &name) const {
    // "shop.example.co.uk": example.co.uk, then co.uk, then uk.
    const QString lower = name.toLower();
    qsizetype dot = lower.indexOf(QLatin1Char('.'));
    while (dot >= 0) {
        const auto found = m_rules.constFind(lower.mid(dot + 1));
        if (found != m_rules.cend())
            return &found.value();
        dot = lower.indexOf(QLatin1Char('.'), dot + 1);
    }
    return nullptr;
}

bool ReplyRules::isThrottled(const QString &lowerReply) const {
    for (const Rule &rule : m_throttle) {
        if (rule.matches(lowerReply))
            return true;
    }
    return false;
}

ReplyReading ReplyRules::readGeneric(const QString &lowerReply) const {
    if (isThrottled(lowerReply))
        return throttled(lowerReply);
    return reading(ReplyClassifier::isFree(lowerReply) ? Verdict::Free : Verdict::Taken);
}

ReplyReading ReplyRules::read(const QString &name, const QByteArray &reply) const {
    if (reply.trimmed().isEmpty())
        return reading(Verdict::Unknown, QStringLiteral("empty reply"));
    const QString lower = ReplyClassifier::replyText(reply).toLower();
    const QList<Rule> *rules = name.contains(QLatin1Char('.')) ? rulesFor(name) : nullptr;
    if (!rules)
        return readGeneric(lower);
    for (qsizetype i = 0; i < rules->size(); ++i) {
        const Rule &rule = rules->at(i);
        if (!rule.matches(lower))
            continue;
        if (rule.verdict == Verdict::Unknown)
            return throttled(lower);
        // A reply that says both free and taken is not evidence of either.
        const Verdict other = rule.verdict == Verdict::Free ? Verdict::Taken : Verdict::Free;
        for (qsizetype j = i + 1; j < rules->size(); ++j) {
            if (rules->at(j).verdict == other && rules->at(j).matches(lower))
                return reading(Verdict::Unknown, QStringLiteral("conflicting reply"));
        }
        return reading(rule.verdict);
    }
    if (isThrottled(lower))
        return throttled(lower);
    // A registry with rules of its own never gets a guess.
    return reading(Verdict::Unknown, QStringLiteral("unrecognised reply"));
}
