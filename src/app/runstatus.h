#pragma once

#include "session/searchdriver.h"

#include <QElapsedTimer>
#include <QWidget>

class ElidedLabel;
class QProgressBar;

// The status bar's account of a run, beside the written panels: while the run and its retry
// pass go on, a progress bar, the rate and the time left; when it ends (or is stopped), what it
// found, which stays until the next run starts. The window feeds it the driver's counts a few
// times a second, never per lookup.
class RunStatus : public QWidget {
    Q_OBJECT
public:
    explicit RunStatus(QWidget *parent = nullptr);

    void begin(); // a run starts: the clock and the bar from zero
    void showProgress(const SearchDriver::Progress &progress);
    // `unknownReport`: where the names still unknown went ("" when there were none).
    void showSummary(const SearchDriver::Progress &progress, const QString &unknownReport);
    QString text() const;

    // `seconds`: since the run began, or in the retry pass since the pass began.
    static QString progressText(const SearchDriver::Progress &progress, double seconds);
    static QString summaryText(const SearchDriver::Progress &progress, double seconds);

private:
    double seconds() const;

    QProgressBar *m_bar = nullptr;
    ElidedLabel *m_text = nullptr;
    QElapsedTimer m_clock;
    QElapsedTimer m_retryClock; // the retry pass's own rate: its names wait for servers' rests
};
