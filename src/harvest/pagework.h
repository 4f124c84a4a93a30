#pragma once

#include <QString>

// The processing of one page's text, one line at a time, so that it can be spread over
// several turns of the event loop.
class PageWork {
public:
    virtual ~PageWork() = default;
    virtual void beginPage(const QString &pageText) = 0;
    // Handles the next line; false when the page had no line left.
    virtual bool processLine() = 0;
    virtual void endPage() = 0;

    // The whole page at once (tests and benchmarks).
    void processPage(const QString &pageText) {
        beginPage(pageText);
        while (processLine()) {
        }
        endPage();
    }
};
