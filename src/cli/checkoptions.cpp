#include "cli/checkoptions.h"

#include "whois/dnsprobe.h"

#include <QRegularExpression>

namespace {
// Extensions as a user types them: "com", ".net", "co.uk"; letters of any script for IDN.
bool isExtension(const QString &text) {
    static const QRegularExpression pattern(
        QStringLiteral("^[\\p{L}\\p{N}](?:[\\p{L}\\p{N}-]*[\\p{L}\\p{N}])?"
                       "(?:\\.[\\p{L}\\p{N}](?:[\\p{L}\\p{N}-]*[\\p{L}\\p{N}])?)*$"));
    return pattern.match(text).hasMatch();
}

QString parseExtensions(const QString &value, QStringList &into) {
    for (QString ext : value.split(QLatin1Char(','))) {
        ext = ext.trimmed().toLower();
        if (ext.startsWith(QLatin1Char('.')))
            ext.remove(0, 1);
        if (!isExtension(ext))
            return QStringLiteral("--ext: \"") + ext +
                   QStringLiteral("\" is not an extension (write them as com,net,co.uk)");
        if (!into.contains(ext))
            into << ext;
    }
    return {};
}

QString parseFormat(const QString &value, CheckOptions::Format &format) {
    if (value == QLatin1String("text"))
        format = CheckOptions::Format::Text;
    else if (value == QLatin1String("csv"))
        format = CheckOptions::Format::Csv;
    else if (value == QLatin1String("json"))
        format = CheckOptions::Format::Json;
    else
        return QStringLiteral("--format: \"") + value +
               QStringLiteral("\" is not one of text, csv, json");
    return {};
}

QString parseDnsServer(const QString &value, QString &server) {
    const std::optional<QString> address = DnsProbe::serverAddress(value);
    if (!address)
        return QStringLiteral("--dns: \"") + value +
               QStringLiteral("\" is not an IP address with an optional port, e.g. 127.0.0.1:5353 "
                              "or [::1]:53");
    server = *address;
    return {};
}

QString parseParallel(const QString &value, int &parallel) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < 1 || n > CheckOptions::MaxParallel)
        return QStringLiteral("--parallel: \"") + value +
               QStringLiteral("\" is not a whole number from 1 to 100");
    parallel = n;
    return {};
}
} // namespace

ParsedCheckArguments parseCheckArguments(const QStringList &arguments) {
    ParsedCheckArguments result;
    CheckOptions &o = result.options;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (optionsEnded || arg == QLatin1String("-") || !arg.startsWith(QLatin1Char('-'))) {
            o.files << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString option = arg;
        QString value;
        bool inlineValue = false;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 0) {
            option = arg.left(eq);
            value = arg.mid(eq + 1);
            inlineValue = true;
        }
        const bool flag = option == QLatin1String("--help") || option == QLatin1String("-h") ||
                          option == QLatin1String("--file-results") ||
                          option == QLatin1String("--unordered") ||
                          option == QLatin1String("--no-dns");
        if (flag) {
            if (inlineValue) {
                result.error = option + QStringLiteral(" takes no value");
                return result;
            }
            if (option == QLatin1String("--file-results"))
                o.fileResults = true;
            else if (option == QLatin1String("--unordered"))
                o.unordered = true;
            else if (option == QLatin1String("--no-dns"))
                o.noDns = true;
            else
                o.help = true;
            continue;
        }
        static const QStringList valued = {"--format", "--ext",      "--registrars",
                                           "--rules",  "--parallel", "--dns"};
        if (!valued.contains(option)) {
            result.error = QStringLiteral("unknown option ") + option;
            return result;
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                result.error = option + QStringLiteral(" needs a value");
                return result;
            }
            value = arguments.at(++i);
        }
        QString error;
        if (option == QLatin1String("--format"))
            error = parseFormat(value, o.format);
        else if (option == QLatin1String("--ext"))
            error = parseExtensions(value, o.extensions);
        else if (option == QLatin1String("--parallel"))
            error = parseParallel(value, o.parallel);
        else if (option == QLatin1String("--dns"))
            error = parseDnsServer(value, o.dnsServer);
        else if (value.isEmpty())
            error = option + QStringLiteral(" needs a file name");
        else if (option == QLatin1String("--registrars"))
            o.registrarsFile = value;
        else
            o.rulesFile = value;
        if (!error.isEmpty()) {
            result.error = error;
            return result;
        }
    }
    if (o.noDns && !o.dnsServer.isEmpty())
        result.error = QStringLiteral("--dns and --no-dns cannot be given together");
    return result;
}

QString checkUsage() {
    return QStringLiteral(
        "Usage: kestrin check [options] [FILE...]\n"
        "Checks domain names with Kestrin's WHOIS engine, without a window, and prints one\n"
        "line per name in input order.\n"
        "\n"
        "Names are read from the FILEs, or from standard input when there is none or for \"-\":\n"
        "one name per line; blank lines and lines starting with \"#\" are skipped. Each name is\n"
        "cleaned as a word-list entry is; a bare word gets the default extension.\n"
        "\n"
        "Options:\n"
        "  --format FORMAT    text (aligned columns, the default), csv (with a header line)\n"
        "                     or json (one object per line)\n"
        "  --ext LIST         check each bare word under each of these extensions instead of\n"
        "                     the default one, e.g. --ext com,net,org\n"
        "  --registrars FILE  use this registrar table instead of the program folder's\n"
        "  --rules FILE       use these reply rules instead of the program folder's\n"
        "  --parallel N       registry lookups at a time, 1 to 100 (default 25)\n"
        "  --dns ADDRESS[:PORT]\n"
        "                     ask this DNS resolver for the NS records instead of the\n"
        "                     system's, e.g. --dns 127.0.0.1:5353 or --dns [::1]\n"
        "  --no-dns           ask the registries only, with no DNS lookup first\n"
        "  --file-results     also file the verdicts into the program folder's lists and\n"
        "                     mirror files, and the names left unknown into its unknown-\n"
        "                     names file, as a search in the window does (without it no\n"
        "                     file is touched)\n"
        "  --unordered        print each line as soon as its name is decided, instead of in\n"
        "                     input order\n"
        "  -h, --help         show this text\n"
        "\n"
        "Columns: name, verdict (free, taken, unknown), class of a free name (high: first\n"
        "label under 5 characters, mid: 5 to 7, low: 8 or more), server asked, the reason\n"
        "of an unknown verdict, and the name as asked (its A-label form). CSV header:\n"
        "name,verdict,class,server,reason,ascii.\n"
        "\n"
        "DNS first: before a registry is asked, the name's NS records are looked up (up to\n"
        "100 names at once); a name with name servers is taken, server \"dns\", reason\n"
        "\"delegated\", and its registry is not asked. Any other answer (no such name, no\n"
        "name servers, no answer) leaves the name to its registry: a name without name\n"
        "servers may still be registered. Without --dns or --no-dns the window's settings\n"
        "apply (Options\\DnsFirst and Options\\DnsServer under [Kestrin] in\n"
        "~/.config/Kestrin/user.ini; on, with the system's resolver, by default).\n"
        "\n"
        "A name given more than once is asked once; each of its lines gets the same verdict.\n"
        "A name left unknown is asked once more after all the others, when its server has\n"
        "rested; its line, and the lines after it, wait for that (held in a temporary file\n"
        "past 20,000 lines), unless --unordered. A line longer than 1,024 bytes is no\n"
        "domain name.\n"
        "\n"
        "Progress (names done, rate, free so far, time left) goes to standard error when it\n"
        "is a terminal.\n"
        "\n"
        "Ctrl-C (or SIGTERM, or SIGHUP from a closing terminal) ends the run early: every\n"
        "name read without a verdict yet is printed as unknown, reason \"interrupted\" (input\n"
        "not read yet is left); a second Ctrl-C ends it at once. When the reader of standard "
        "output goes away (| head), the\n"
        "run ends at once, with no further lookups.\n"
        "\n"
        "Control characters in names and server texts are printed as spaces; a CSV cell\n"
        "starting with = + - @, a tab or a CR gets a leading ' so a spreadsheet keeps it text.\n"
        "\n"
        "Exit status: 0 every name got a verdict, 3 some names are unknown, 2 usage error,\n"
        "1 a file cannot be read or the results cannot be written, 130 (143, 129) ended by\n"
        "Ctrl-C (SIGTERM, SIGHUP), 141 standard output was closed.\n");
}

QString programUsage() {
    return QStringLiteral("Usage: kestrin                   open the window\n"
                          "       kestrin check [options] [FILE...]\n"
                          "                                 check names without a window\n"
                          "       kestrin --version         show the version\n"
                          "       kestrin --help            show this text\n"
                          "\n"
                          "\"kestrin check --help\" describes the options of check.\n");
}
