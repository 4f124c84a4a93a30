#pragma once

#include <QString>
#include <QStringList>

// What the browser tells about one loaded result page.
struct LoadedPage {
    bool loaded = true; // false: the page could not be loaded at all
    int httpStatus = 0; // 0 when unknown (no reply, or not reported)
    QString errorText;  // the browser's reason for a failed load
    QString address;    // the page's address after redirects
    QString title;
    QString text;             // the visible text (a bounded start of it is enough)
    QStringList formActions;  // action addresses of the page's forms
    QStringList frameSources; // addresses of its frames and iframes
};

// Why a result page gives no results, when it is not simply the end of the results.
struct PageProblem {
    enum Kind { None, LoadFailed, HttpError, Consent, Captcha };
    Kind kind = None;
    QString description; // "a consent form", "HTTP 429 (too many requests)", ...
    explicit operator bool() const { return kind != None; }
};

namespace ResultPageCheck {
// Load failures and HTTP errors are problems whatever the page shows. A consent form or a
// CAPTCHA is only a problem on a page without result links: engines also lay a consent
// banner over a page of results, which can be harvested.
PageProblem check(const LoadedPage &page, bool hasResultLinks);
} // namespace ResultPageCheck
