#pragma once

#include "core/branding.h"
#include "whois/registrartable.h"

#include <QString>

class SeenNames;

// Text steps shared by the list builder and the browser harvester: page preparation, the link
// test, the cuts that turn a line into a candidate name, and the acceptance test.
//
// "https://" counts as a link exactly like "http://" everywhere below: nearly every link on a
// current page is https, and skipping them would find next to nothing.
namespace HarvestText {

// Page text split so that every link, frame tag and enabled extension ends or starts a line.
// The browser harvester also removes "<wbr>" (it splits long words in plain text).
QString preparePage(const QString &html, const RegistrarTable &table, bool removeWbr);

// Moves through prepared text line by line; CR LF, CR and LF all end a line, and a closing
// line break gives no extra empty line.
class LineReader {
public:
    explicit LineReader(const QString &text)
        : m_text(text) {}
    bool atEnd() const { return m_pos >= m_text.size(); }
    QString next();

private:
    QString m_text;
    qsizetype m_pos = 0;
};

// urlDecode, skipped for the many lines that hold no escape at all.
QString decodeLine(const QString &line);
// HasEnabledExtension, answered at once for the many lines without a dot.
bool hasExtension(const QString &text, const RegistrarTable &table);

// "http://" or "https://" at the very start (exact case).
bool startsWithLink(const QString &line);
// A line worth cutting into a name: it starts with a link, is not on the engine's own site or
// the marketplace, holds no "@" nor "yimg", and mentions an enabled extension.
bool passesLinkTest(const QString &line, const VendorHosts &hosts, const RegistrarTable &table);

// The host part of a link line: the leading scheme removed (and with `removeBold` the first
// "<b>" and "<B>"), then the space, "/" and leading-label cuts.
QString cutLink(const QString &line, bool removeBold);
// The host part of a plain-text piece: every scheme remnant removed once, then the same cuts.
QString cutPlain(const QString &piece);
// Keeps the text up to and including the first space, then the text before the first "/",
// then drops a leading label when another dot follows ("www.example.com" -> "example.com",
// "example.com" and "example.info" stay).
QString cutHost(QString text);

// Updates the extension carried from line to line from a candidate ("." then "=" rule).
void noteExtension(const QString &candidate, QString &currentExtension);
bool extensionEnabled(const QString &currentExtension, const RegistrarTable &table);

// The plain-text piece that ends with the first enabled extension of the line, found by
// scanning backwards to a quote, "=", "<", ">", a space or a scheme.
QString backwardScan(const QString &line, const RegistrarTable &table);

// Registrable part, cleaned, quotes removed.
QString finishCandidate(const QString &candidate);

// The acceptance test: not yet seen (substring test), no markup, no "mailto:"; link
// candidates also never hold "targetblank".
bool acceptable(const QString &candidate, const SeenNames &seen, bool linkCase);

} // namespace HarvestText
