#pragma once

#include <QString>
#include <QTimer>
#include <cstdio>
#include <functional>

// Where `kestrin check` writes: rows to standard output, the progress line to standard error.
// A row write that fails (the reader went away, the disk is full) is remembered, and nothing
// more is written: the caller ends the run instead of looking up names for nobody.
class CheckPrinter {
public:
    // `progressOnTerminal`: standard error is a terminal, so a progress line is drawn there;
    // `rowsOnTerminal`: standard output is one too, so a row must not land after that line.
    CheckPrinter(FILE *rows, FILE *progress, bool progressOnTerminal, bool rowsOnTerminal);

    // Writes and flushes; false once any row write has failed.
    bool write(const QString &text);
    bool failed() const { return m_error != 0; }
    // errno of the failed write (EPIPE: the reader closed its end).
    int error() const { return m_error; }

    bool showsProgress() const { return m_progressOnTerminal; }
    // What the progress line says; asked each time it is drawn.
    void setProgressText(std::function<QString()> text) { m_progressText = std::move(text); }
    // Redraws the progress line in place.
    void progress();
    // Clears the progress line for good (the end of the run).
    void endProgress();

private:
    void clearProgress();

    FILE *m_rows;
    FILE *m_progress;
    bool m_progressOnTerminal;
    bool m_rowsOnTerminal;
    bool m_progressShown = false;
    int m_error = 0;
    std::function<QString()> m_progressText;
    QTimer m_redraw; // the progress line comes back after the rows of one pass of the loop
};
