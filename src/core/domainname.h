#pragma once

#include <QString>
#include <functional>

// A domain name as it may be asked of a registry, or why a text is not one.
//
// Input is first brought to a plain name: surrounding blanks go, a URL is reduced to its host
// (scheme, user, port, path, query and fragment dropped), letters are lower-cased and one
// trailing dot goes. The name is then checked label by label in its ASCII form: letters, digits
// and hyphens only, no empty label, no label over 63 characters or with a hyphen at either end,
// at most 253 characters in all. International names are mapped by UTS #46 without the
// transitional mappings ("faß" stays "faß", going out as "xn--fa-hia"); an "xn--" label must
// decode and encode back to itself. The last label must be a delegated extension.
class DomainName {
public:
    // Whether a top-level label (ASCII form, lower case, no dot) is a delegated extension.
    using Delegated = std::function<bool(const QString &extension)>;

    // Longest text looked at: anything longer cannot be a name and is not processed further.
    static constexpr int MaxInputLength = 1024;
    static constexpr int MaxLabelLength = 63;
    static constexpr int MaxNameLength = 253;

    // The host of a URL-like text ("http://a.com:80/x" -> "a.com", "a.com:8080" -> "a.com");
    // other text is returned trimmed. A path or port is cut only where a dot comes before it,
    // so page text such as "w/o" is left for the caller's cleaning.
    static QString hostOf(const QString &text);
    // hostOf(), lower-cased, without one trailing dot.
    static QString normalised(const QString &text);

    // Checks `text` (normalised first). Without `delegated` every extension is accepted.
    static DomainName parse(const QString &text, const Delegated &delegated = {});

    // Whether two names are the same name: letter case, a trailing dot and the A-label or
    // U-label form of each label do not matter ("GOOGLE.COM." is "google.com").
    static bool sameName(const QString &a, const QString &b);

    bool isValid() const { return m_problem.isEmpty(); }
    // Why the text is not a name ("empty label", ...); "" for a valid name.
    const QString &problem() const { return m_problem; }
    // "not a domain name: <problem>", the reason a refused name is reported with.
    QString refusal() const;
    // The form that goes on the wire ("xn--fa-hia.com"); "" when invalid.
    const QString &ascii() const { return m_ascii; }
    // The same name for people ("faß.com"); "" when invalid.
    const QString &unicode() const { return m_unicode; }
    // Its last label in ASCII form ("com", "xn--p1ai"); "" when invalid.
    QString extension() const;

private:
    static DomainName refused(const QString &problem);

    QString m_ascii;
    QString m_unicode;
    QString m_problem;
};
