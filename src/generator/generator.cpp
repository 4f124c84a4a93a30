#include "generator/generator.h"

namespace {
QString withoutSpaces(QString text) {
    return text.remove(QLatin1Char(' '));
}
} // namespace

const std::array<QString, GeneratorOptions::ExtensionCount> &GeneratorOptions::extensionCaptions() {
    static const std::array<QString, ExtensionCount> captions{
        QStringLiteral(".COM"),  QStringLiteral(".NET"),  QStringLiteral(".ORG"),
        QStringLiteral(".BIZ"),  QStringLiteral(".INFO"), QStringLiteral(".NAME"),
        QStringLiteral(".AERO"), QStringLiteral(".COOP"), QStringLiteral("Custom Extension:")};
    return captions;
}

QStringList GeneratorOptions::extensionTexts() const {
    QStringList texts;
    for (int i = 0; i < ExtensionCount; ++i) {
        if (!extensions[i])
            continue;
        // The custom text is taken as typed (no dot added, spaces kept), only lower-cased.
        texts << (i == CustomIndex ? customExtension : extensionCaptions()[i]).toLower();
    }
    return texts;
}

NameGenerator::NameGenerator(const QStringList &lines, const GeneratorOptions &options)
    : m_lines(lines)
    , m_base(withoutSpaces(options.baseWord))
    , m_prefixes(options.prefixes)
    , m_suffixes(options.suffixes)
    , m_hyphens(options.hyphens)
    , m_extensions(options.extensionTexts()) {}

bool NameGenerator::isBlankLine(const QString &line) {
    return line.isEmpty() || line == QLatin1String(" ") || line == QLatin1String("\r") ||
           line == QLatin1String("\r\n");
}

bool NameGenerator::next(QStringList &out) {
    const int start = m_created;
    while (!atEnd() && m_created - start < ReportEvery) {
        const QString &line = m_lines.at(m_line++);
        if (isBlankLine(line))
            continue;
        const QString word = withoutSpaces(line);
        if (m_suffixes) {
            addStem(word + m_base, out);
            if (m_hyphens)
                addStem(word + QLatin1Char('-') + m_base, out);
        }
        if (m_prefixes) {
            addStem(m_base + word, out);
            if (m_hyphens)
                addStem(m_base + QLatin1Char('-') + word, out);
        }
    }
    return !atEnd();
}

void NameGenerator::addStem(const QString &stem, QStringList &out) {
    for (const QString &extension : std::as_const(m_extensions))
        out.append(stem + extension);
    m_created += int(m_extensions.size());
}

QStringList NameGenerator::generateAll(const QStringList &lines, const GeneratorOptions &options) {
    NameGenerator generator(lines, options);
    QStringList names;
    while (generator.next(names)) {
    }
    return names;
}

QString NameGenerator::createdDomainsText(const QStringList &names) {
    qsizetype size = 0;
    for (const QString &name : names)
        size += name.size() + 4;
    QString text;
    text.reserve(size);
    for (const QString &name : names) {
        text += name;
        text += QLatin1String("\r\n\r\n");
    }
    return text;
}
