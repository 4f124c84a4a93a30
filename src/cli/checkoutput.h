#pragma once

#include "cli/checkoptions.h"
#include "whois/verdict.h"

#include <QString>

// One line of `kestrin check` output.
struct CheckRow {
    QString name;
    Verdict verdict = Verdict::Unknown;
    QString lengthClass; // "high", "mid" or "low" for a free name, "" otherwise
    QString server;
    QString reason;     // why the verdict is unknown, "" otherwise
    QString ascii = {}; // the name as asked (A-label form), so look-alikes show; "" when not asked
    bool repeated = false; // the name came earlier in the input: asked and filed once
};

// "free", "taken", "unknown".
QString verdictText(Verdict verdict);
// The length class of a free name: "high", "mid" or "low".
QString lengthClassText(const QString &name);

// Turns rows into lines of the chosen format. Text columns are as wide as the widest name and
// server expected, so the output can stream in input order and still line up.
class CheckFormatter {
public:
    CheckFormatter(CheckOptions::Format format, int nameWidth, int serverWidth);
    // The header line ("" for text and json), with its line end.
    QString header() const;
    // One row with its line end ("\n").
    QString line(const CheckRow &row) const;

private:
    CheckOptions::Format m_format;
    int m_nameWidth;
    int m_serverWidth;
};

// The progress line on a terminal: "1200/20000 names  850/s  301 free  0:22 left  3 to retry";
// "1200 names  850/s  301 free" while the total is not known (-1).
QString progressText(int done, int total, double seconds, int freeCount, int toRetry = 0);
