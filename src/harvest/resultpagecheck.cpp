#include "harvest/resultpagecheck.h"

#include <QUrl>

namespace {
bool containsAny(const QString &text, std::initializer_list<const char *> needles) {
    for (const char *needle : needles) {
        if (text.contains(QLatin1String(needle), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool anyContains(const QStringList &texts, std::initializer_list<const char *> needles) {
    for (const QString &text : texts) {
        if (containsAny(text, needles))
            return true;
    }
    return false;
}

QString httpReason(int status) {
    switch (status) {
    case 403:
        return QStringLiteral("forbidden");
    case 404:
        return QStringLiteral("not found");
    case 429:
        return QStringLiteral("too many requests");
    case 500:
        return QStringLiteral("server error");
    case 502:
        return QStringLiteral("bad gateway");
    case 503:
        return QStringLiteral("service unavailable");
    default:
        return status >= 500 ? QStringLiteral("server error") : QStringLiteral("refused");
    }
}

bool isCaptcha(const LoadedPage &page) {
    const QUrl url(page.address);
    // Google's block page lives under /sorry/; the others name the challenge.
    if (url.path().startsWith(QLatin1String("/sorry")))
        return true;
    if (anyContains(page.formActions, {"captcha", "/sorry"}) ||
        anyContains(page.frameSources, {"captcha", "challenges.cloudflare.com"}))
        return true;
    return containsAny(page.title + QLatin1Char('\n') + page.text,
                       {"unusual traffic", "not a robot", "are you a robot", "captcha",
                        "verify you are human", "automated queries", "bot detection"});
}

bool isConsent(const LoadedPage &page) {
    const QString host = QUrl(page.address).host().toLower();
    // consent.google.com, consent.yahoo.com, guce.yahoo.com
    if (host.startsWith(QLatin1String("consent.")) || host.startsWith(QLatin1String("guce.")) ||
        QUrl(page.address).path().contains(QLatin1String("consent"), Qt::CaseInsensitive))
        return true;
    if (anyContains(page.formActions, {"consent", "collectconsent", "guce."}))
        return true;
    return containsAny(page.title + QLatin1Char('\n') + page.text,
                       {"before you continue", "we value your privacy", "cookie consent",
                        "accept all", "reject all"});
}
} // namespace

namespace ResultPageCheck {

PageProblem check(const LoadedPage &page, bool hasResultLinks) {
    if (page.httpStatus >= 400)
        return {PageProblem::HttpError, QStringLiteral("HTTP error %1 (%2)")
                                            .arg(page.httpStatus)
                                            .arg(httpReason(page.httpStatus))};
    if (!page.loaded) {
        QString reason = QStringLiteral("a page that could not be loaded");
        if (!page.errorText.isEmpty())
            reason += QStringLiteral(" (") + page.errorText + QLatin1Char(')');
        return {PageProblem::LoadFailed, reason};
    }
    if (hasResultLinks)
        return {};
    if (isCaptcha(page))
        return {PageProblem::Captcha,
                QStringLiteral("a CAPTCHA (\"unusual traffic\") page instead of results")};
    if (isConsent(page))
        return {PageProblem::Consent, QStringLiteral("a consent form instead of results")};
    return {};
}

} // namespace ResultPageCheck
