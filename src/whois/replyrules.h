#pragma once

#include "core/result.h"
#include "whois/verdict.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringMatcher>
#include <optional>

// A line of replyrules.txt that could not be used (its `line` is 1-based), or the file itself.
using ReplyRuleError = Error;

// What a reply says about the name asked for.
struct ReplyReading {
    Verdict verdict = Verdict::Unknown;
    QString reason;            // why it is unknown; empty for free and taken
    int retryAfterSeconds = 0; // a throttled reply's "wait 50 seconds", 0 when it names none
};

// The reply rules: per extension, phrases (or regular expressions) that mark a registry's reply
// free, taken or unknown, kept as the hand-editable file replyrules.txt. Rules are compiled and
// hashed by extension once at load, and a reply is lower-cased once, so reading a reply costs
// a few substring searches.
class ReplyRules {
public:
    explicit ReplyRules(const QString &filePath = {});

    QString filePath() const { return m_path; }
    void setFilePath(const QString &path) { m_path = path; }

    // Writes the default rules when the file is missing; an existing file is left as it is.
    std::optional<ReplyRuleError> ensureRulesFile() const;
    // Reads the file. Every bad line is skipped and reported; the others load. A file that
    // cannot be read leaves the rules as they were and is reported as one error.
    QList<ReplyRuleError> load();
    // Replaces the rules by those in `text`, reporting bad lines as lines of `fileName`.
    QList<ReplyRuleError> loadText(const QString &text, const QString &fileName);

    // How the reply to a lookup of `name` (as sent, ASCII form) reads.
    ReplyReading read(const QString &name, const QByteArray &reply) const;
    // The classic reading used where an extension has no rules of its own.
    ReplyReading readGeneric(const QString &lowerReply) const;
    // Whether `name`'s extension (or, for co.uk, its last label) has rules of its own.
    bool hasRulesFor(const QString &name) const { return rulesFor(name) != nullptr; }
    int ruleCount() const { return m_count; }

    // The shipped defaults, as written to a new replyrules.txt.
    static QString defaultText();

private:
    struct Rule {
        Verdict verdict = Verdict::Unknown;
        QString phrase;         // lower case; empty when `pattern` is used
        QStringMatcher matcher; // `phrase`, its skip table built once
        QRegularExpression pattern;
        bool matches(const QString &lowerReply) const;
    };
    const QList<Rule> *rulesFor(const QString &name) const;
    bool isThrottled(const QString &lowerReply) const;
    static std::optional<QString> parseLine(const QString &line, QString &extension, Rule &rule);

    QString m_path;
    QHash<QString, QList<Rule>> m_rules; // by extension; "*" holds the rate-limit phrases
    QList<Rule> m_throttle;              // the "*" rules, asked of nearly every reply
    int m_count = 0;
};
