#include "cli/checkcommand.h"

#include "cli/checkinput.h"
#include "cli/checkinputreader.h"
#include "cli/checkoptions.h"
#include "cli/checkoutput.h"
#include "cli/checkprinter.h"
#include "cli/checkrun.h"
#include "cli/interruptwatch.h"
#include "core/branding.h"
#include "core/filehelpers.h"
#include "core/machinesettings.h"
#include "core/programfolder.h"
#include "core/resultlists.h"
#include "core/settingsstore.h"
#include "core/timing.h"
#include "whois/dnsprobe.h"
#include "whois/dnssettings.h"
#include "whois/lookuppool.h"
#include "whois/registrartable.h"
#include "whois/replyrules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <unistd.h>

#ifndef KESTRIN_DATA_FROM_EXE
#define KESTRIN_DATA_FROM_EXE "../../share/kestrin"
#endif

namespace {
constexpr int ExitOk = 0;
constexpr int ExitFileError = 1;
constexpr int ExitUsage = 2;
constexpr int ExitUnknowns = 3;
// What a shell reports for a program that a closed pipe ended (128 + SIGPIPE).
constexpr int ExitOutputClosed = 141;
constexpr int ProgressMs = 250;
constexpr size_t WidthSample = 1000; // names read before the first lookup, for column widths

void print(FILE *stream, const QString &text) {
    const QByteArray bytes = TextFile::toLocal(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int fail(int status, const QString &message) {
    print(stderr, QStringLiteral("kestrin check: ") + message + QLatin1Char('\n'));
    return status;
}

QString installedDataDir() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QStringLiteral(KESTRIN_DATA_FROM_EXE));
}

// The user's own choices, read where the window keeps them; nothing is written.
WhoisOptions storedWhoisOptions(const Branding &branding) {
    IniSettingsStore userStore(IniSettingsStore::userStorePath());
    IniSettingsStore machineStore(IniSettingsStore::machineStorePath());
    const QString settings = QStringLiteral("Settings");
    WhoisOptions options;
    const MachineSettings machine(machineStore, userStore, branding.CompanyName,
                                  branding.ProductName);
    // Only empty names fail, and those are logged; ours are constants.
    const QString proxy = machine
                              .getMachineSetting(branding.ProductName, settings,
                                                 QStringLiteral("chkProxy"), QStringLiteral("0"))
                              .valueOr(QStringLiteral("0"));
    options.ProxySwitch = MachineSettings::isTrue(proxy); // as the window reads it
    QString ext = userStore.read(branding.ProductName, settings, QStringLiteral("DefaultExt"),
                                 QStringLiteral(".com"));
    if (ext.isEmpty())
        ext = QStringLiteral(".com");
    if (!ext.startsWith(QLatin1Char('.')))
        ext.prepend(QLatin1Char('.'));
    options.DefaultExtension = ext;
    return options;
}

// DNS first as the window has it, unless the command line says otherwise.
DnsSettings dnsSettings(const CheckOptions &options, const Branding &branding) {
    const IniSettingsStore userStore(IniSettingsStore::userStorePath());
    DnsSettings settings = DnsSettings::read(userStore, branding.ProductName);
    if (options.noDns) {
        settings.enabled = false;
    } else if (!options.dnsServer.isEmpty()) {
        settings.enabled = true;
        settings.server = options.dnsServer;
    }
    return settings;
}

// Loads the registrar table: the named file, the program folder's, or (when the program folder
// has none) the default rows, which a run without --file-results must not write there; they
// are read from a temporary copy that goes with the run.
std::optional<QString> loadTable(RegistrarTable &table, const QString &named,
                                 const ProgramFolder &folder,
                                 std::optional<QTemporaryDir> &scratch) {
    QString path = named;
    if (path.isEmpty()) {
        path = folder.path(QStringLiteral("\\registrars.txt"));
        if (!QFileInfo(path).isFile()) {
            scratch.emplace();
            if (!scratch->isValid())
                return QStringLiteral("cannot create a temporary folder: ") +
                       scratch->errorString();
            path = scratch->filePath(QStringLiteral("registrars.txt"));
            QFile defaults(path);
            if (!defaults.open(QIODevice::WriteOnly) ||
                defaults.write(RegistrarTable::defaultFileContent()) < 0)
                return QStringLiteral("cannot write the default registrar table to ") + path;
        }
    }
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + path + QStringLiteral(": ") + probe.errorString();
    table.setFilePath(path);
    // A bad row stays unused, as in the window; the run goes on with the others.
    if (const Result<> loaded = table.loadRegistrars(); loaded.failed())
        print(stderr, QStringLiteral("kestrin check: warning: ") + loaded.error().text() +
                          QLatin1Char('\n'));
    if (table.rows().isEmpty())
        return path + QStringLiteral(" holds no registrar rows");
    return std::nullopt;
}

// Loads the reply rules: the named file, the program folder's, or the shipped defaults, which
// a run must not write into the program folder. Bad lines are skipped and named.
void loadRules(ReplyRules &rules, const QString &named, const ProgramFolder &folder) {
    QString path = named;
    if (path.isEmpty()) {
        path = folder.path(QStringLiteral("\\replyrules.txt"));
        if (!QFileInfo(path).isFile()) {
            rules.loadText(ReplyRules::defaultText(), QStringLiteral("replyrules.txt"));
            return;
        }
    }
    rules.setFilePath(path);
    for (const ReplyRuleError &error : rules.load())
        print(stderr,
              QStringLiteral("kestrin check: warning: ") + error.text() + QLatin1Char('\n'));
}

int widestName(const std::deque<CheckItem> &items) {
    int width = 4;
    for (const CheckItem &item : items)
        width = qMax(width, int(item.name.size()));
    return width;
}

int widestServer(const RegistrarTable &table) {
    int width = 6;
    for (const RegistrarEntry &row : table.rows())
        width = qMax(width, int(row.server.size()));
    return width;
}

int runCheck(const QStringList &arguments, const Branding &branding) {
    const ParsedCheckArguments parsed = parseCheckArguments(arguments);
    if (!parsed.error.isEmpty()) {
        fail(ExitUsage, parsed.error);
        print(stderr, QStringLiteral("Try 'kestrin check --help'.\n"));
        return ExitUsage;
    }
    const CheckOptions &options = parsed.options;
    if (options.help) {
        print(stdout, checkUsage());
        return ExitOk;
    }
    if (!options.rulesFile.isEmpty()) {
        QFile rules(options.rulesFile);
        if (!rules.open(QIODevice::ReadOnly))
            return fail(ExitFileError, QStringLiteral("cannot read ") + options.rulesFile +
                                           QStringLiteral(": ") + rules.errorString());
    }

    std::optional<QTemporaryDir> scratch; // the default registrar rows, when nothing else has any
    const QString exeDir = QCoreApplication::applicationDirPath();
    const ProgramFolder folder = options.fileResults
                                     ? ProgramFolder::forApplication(exeDir, installedDataDir())
                                     : ProgramFolder::locate(exeDir, installedDataDir());
    RegistrarTable table;
    if (const auto error = loadTable(table, options.registrarsFile, folder, scratch))
        return fail(ExitFileError, *error);

    QFile standardInput;
    if (!standardInput.open(stdin, QIODevice::ReadOnly))
        return fail(ExitFileError, QStringLiteral("cannot read standard input"));
    const WhoisOptions whois = storedWhoisOptions(branding);
    CheckInputReader reader(options.files, standardInput, options.extensions,
                            whois.DefaultExtension,
                            &RegistrarTable::isDelegated);
    if (const QString error = reader.open(); !error.isEmpty())
        return fail(ExitFileError, error);
    // The first names set the width of the text columns; the rest stream past.
    std::deque<CheckItem> firstItems;
    while (firstItems.size() < WidthSample)
        if (std::optional<CheckItem> item = reader.next())
            firstItems.push_back(std::move(*item));
        else
            break;
    if (!reader.error().isEmpty())
        return fail(ExitFileError, reader.error());

    // Verdicts are filed into the program folder's lists only when asked.
    std::optional<ResultLists> lists;
    if (options.fileResults) {
        lists.emplace(folder);
        QObject::connect(&*lists, &ResultLists::writeFailed, [](const QString &message) {
            print(stderr, QStringLiteral("kestrin check: ") + message + QLatin1Char('\n'));
        });
    }
    const Timing timing;
    ReplyRules rules;
    loadRules(rules, options.rulesFile, folder);
    LookupPool pool(timing, nullptr, options.parallel);
    pool.setReplyRules(&rules);

    // A reader that goes away shows as a failed write (EPIPE), not as a signal that would end
    // the process without its unknown-names file.
    std::signal(SIGPIPE, SIG_IGN);
    CheckPrinter printer(stdout, stderr, isatty(STDERR_FILENO) == 1, isatty(STDOUT_FILENO) == 1);
    const CheckFormatter formatter(options.format, widestName(firstItems), widestServer(table));
    // A stored server that cannot be used leaves the registries to decide, with a warning.
    QString dnsError;
    const std::unique_ptr<DnsProbe> dns =
        DnsProbe::forSettings(dnsSettings(options, branding), &dnsError);
    if (!dnsError.isEmpty())
        print(stderr, QStringLiteral("kestrin check: warning: not asking DNS first: ") + dnsError +
                          QLatin1Char('\n'));
    CheckRun run(pool, table, whois, timing);
    run.setUnordered(options.unordered);
    run.setDnsFirst(dns.get());
    QStringList unknownLines; // for the unknown-names file, as a window run keeps them
    QObject::connect(&run, &CheckRun::rowReady, [&](const CheckRow &row) {
        if (printer.failed())
            return;
        // A name given again was filed with its first line.
        if (lists && !row.repeated) {
            if (row.verdict == Verdict::Unknown)
                unknownLines << ResultLists::unknownNameLine(row.name, row.reason);
            else if (row.verdict == Verdict::Free)
                lists->fileFreeName(row.name);
            else
                lists->fileTakenName(row.name);
            if (row.verdict != Verdict::Unknown && lists->applyOverflowRule())
                print(stderr, QStringLiteral("kestrin check: a list reached 20000 entries; it "
                                             "was saved to ") +
                                  folder.path(QStringLiteral("\\overflow")) + QLatin1Char('\n'));
        }
        if (printer.write(formatter.line(row)))
            return;
        // Nobody reads the rows any more: no further lookup is started.
        run.interrupt();
        QCoreApplication::exit();
    });

    // Progress only for a person watching: a pipe or file on standard error stays clean.
    QTimer progress;
    printer.setProgressText([&run] {
        return progressText(run.done(), run.inputEnded() ? run.total() : -1, run.seconds(),
                            run.freeCount(), run.retryCount());
    });
    QObject::connect(&progress, &QTimer::timeout, [&printer] { printer.progress(); });
    if (printer.showsProgress())
        progress.start(ProgressMs);
    QObject::connect(&run, &CheckRun::finished, qApp, &QCoreApplication::quit);
    // Ctrl-C, a kill or a closing terminal: the rows held back for earlier names are printed
    // before the end.
    InterruptWatch interrupts;
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &run, &CheckRun::interrupt);
    if (printer.write(formatter.header())) {
        run.start([&firstItems, &reader]() -> std::optional<CheckItem> {
            if (firstItems.empty())
                return reader.next();
            CheckItem item = std::move(firstItems.front());
            firstItems.pop_front();
            return item;
        });
        if (!printer.failed()) // rows of names that were not looked up come out at once
            QCoreApplication::exec();
    }
    progress.stop();
    printer.endProgress();
    if (lists && !unknownLines.isEmpty() && lists->appendUnknownNames(unknownLines))
        print(stderr, QStringLiteral("kestrin check: ") + QString::number(unknownLines.size()) +
                          QStringLiteral(" unknown names listed in ") + lists->unknownFilePath() +
                          QLatin1Char('\n'));
    if (printer.error() == EPIPE)
        return ExitOutputClosed;
    if (const QString held = run.holdError(); !held.isEmpty())
        print(stderr, QStringLiteral("kestrin check: warning: ") + held + QLatin1Char('\n'));
    // Output lost to a full disk is a failure, not a run that went well.
    if (printer.failed())
        return fail(ExitFileError, QStringLiteral("cannot write the results to standard output: ") +
                                       QString::fromLocal8Bit(std::strerror(printer.error())));
    if (!reader.error().isEmpty()) // the rows before it were printed
        return fail(ExitFileError, reader.error());
    if (run.interrupted())
        return 128 + interrupts.received(); // as the shell reports a process the signal ended
    return run.unknownCount() > 0 ? ExitUnknowns : ExitOk;
}
} // namespace

bool isCommandLineRequest(int argc, char **argv) {
    if (argc < 2)
        return false;
    const QByteArray first(argv[1]);
    return first == "check" || first == "--version" || first == "--help" || first == "-h";
}

int runCommandLine(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const Branding branding = loadBranding();
    QCoreApplication::setApplicationName(branding.ProductName);
    QCoreApplication::setOrganizationName(branding.CompanyName);
    const QString version = QString::number(branding.VersionMajor) + QLatin1Char('.') +
                            QString::number(branding.VersionMinor);
    QCoreApplication::setApplicationVersion(version);

    QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.value(0);
    if (command == QLatin1String("--version")) {
        print(stdout, branding.ProductName + QLatin1Char(' ') + version + QLatin1Char('\n'));
        return ExitOk;
    }
    if (command != QLatin1String("check")) {
        print(stdout, programUsage());
        return ExitOk;
    }
    return runCheck(arguments.mid(1), branding);
}
