#pragma once

#include <QString>
#include <QStringList>

// What `kestrin check` was asked to do.
struct CheckOptions {
    enum class Format { Text, Csv, Json };
    static constexpr int DefaultParallel = 25;
    static constexpr int MaxParallel = 100;

    Format format = Format::Text;
    QStringList extensions; // lower case, without the dot; empty: the default extension
    QString registrarsFile; // "" for the program folder's table
    QString rulesFile;      // "" for the program folder's reply rules
    int parallel = DefaultParallel;
    bool fileResults = false;
    bool unordered = false; // each row as it is decided, not in input order
    // DNS first: --dns ADDRESS[:PORT] (in the form c-ares takes), --no-dns, or neither (the
    // stored settings apply).
    QString dnsServer;
    bool noDns = false;
    bool help = false;
    QStringList files; // "-" stands for standard input; empty means standard input
};

struct ParsedCheckArguments {
    CheckOptions options;
    QString error; // a usage error, "" when the arguments are sound
};

// The arguments after the word "check". Accepts "--opt value" and "--opt=value"; "--" ends
// the options.
ParsedCheckArguments parseCheckArguments(const QStringList &arguments);

// The text of `kestrin check --help`.
QString checkUsage();
// The text of `kestrin --help`.
QString programUsage();
