#include "whois/registrartable.h"

#include "core/filehelpers.h"
#include "defaultregistrars.h"
#include "whois/whoislog.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString Separator = QStringLiteral("|");
const QString Crlf = QStringLiteral("\r\n");
constexpr int FieldCount = 4;

// Writers leave empty lines and lines of one space between rows; no reader counts them.
bool isBlank(const QString &line) {
    return line.isEmpty() || line == QLatin1String(" ");
}

QString statusText(bool enabled) {
    return enabled ? QStringLiteral("Enabled") : QStringLiteral("Disabled");
}

Error rowError(const QString &path, int line, const QString &message) {
    Error error{QStringLiteral("read"), path, message, line};
    qCWarning(lcWhois).noquote() << error.text();
    return error;
}

// Parses one row; on a bad row `entry` is left untouched and the reason is returned.
QString parseRow(const QString &line, RegistrarEntry &entry) {
    const QStringList fields = line.split(Separator);
    if (fields.size() < FieldCount)
        return QStringLiteral("a row needs four fields separated by \"|\"");
    bool ok = false;
    // Any TCP port; a negative number or one past 65535 is a bad row, not a silent wrap, and
    // port 0 reaches no server (the settings window refuses it too).
    const ushort port = fields.at(2).toUShort(&ok);
    if (!ok || port == 0)
        return QStringLiteral("the port \"%1\" is not a whole number from 1 to 65535")
            .arg(fields.at(2));
    entry.extension = fields.at(0).toLower();
    // An RDAP base URL keeps its path as written; host names are not case-sensitive.
    entry.server =
        RegistrarEntry::isRdapServer(fields.at(1)) ? fields.at(1) : fields.at(1).toLower();
    entry.port = port;
    entry.enabled = fields.at(3) == QLatin1String("Enabled");
    return {};
}

} // namespace

RegistrarTable::RegistrarTable(const QString &filePath)
    : m_path(filePath) {}

QByteArray RegistrarTable::defaultFileContent() {
    const RouteTable &routes = RouteTable::shipped();
    QStringList written;
    QByteArray out;
    const QList<QByteArray> lines = QByteArray(kDefaultRegistrars).split('\n');
    for (const QByteArray &raw : lines) {
        QList<QByteArray> fields = raw.trimmed().split('|');
        if (fields.size() < FieldCount)
            continue;
        const QString ext = QString::fromLatin1(fields.at(0));
        written.append(ext);
        if (ext != QLatin1String("proxy")) {
            const Route route = routes.route(ext);
            fields[1] = route.server.toLatin1();
            fields[2] = QByteArray::number(route.exists() ? route.port : 43);
        }
        out += fields.join('|') + "\r\n";
    }
    for (const QString &ext : routes.extensions()) {
        if (written.contains(ext))
            continue;
        const Route route = routes.route(ext);
        out += QStringList{ext, route.server, QString::number(route.exists() ? route.port : 43),
                           statusText(false)}
                   .join(Separator)
                   .toLatin1() +
               "\r\n";
    }
    return out + "\r\n";
}

bool RegistrarEntry::isRdap() const {
    return isRdapServer(server);
}

bool RegistrarEntry::isRdapServer(const QString &server) {
    return server.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           server.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

Result<> RegistrarTable::ensureRegistrarFile(bool restoreDefaults) {
    if (restoreDefaults) {
        QFile file(m_path);
        // A file that cannot be deleted is simply kept.
        if (file.exists() && !file.remove())
            qCWarning(lcWhois).noquote()
                << Error{QStringLiteral("delete"), m_path, file.errorString()}.text();
    }
    if (Files::fileExists(m_path))
        return {};
    return TextFile::writeAll(m_path, QString::fromLatin1(defaultFileContent()));
}

Result<> RegistrarTable::loadRegistrars() {
    const Result<QStringList> read = TextFile::readLines(m_path);
    if (read.failed())
        return read.error();
    const QStringList &lines = read.value();

    QList<RegistrarEntry> rows;
    std::optional<Error> firstError;
    for (int i = 0; i < lines.size(); ++i) {
        if (isBlank(lines.at(i)))
            continue;
        // A bad row keeps its place as an empty, disabled row so that indexes match the file.
        RegistrarEntry entry;
        const QString problem = parseRow(lines.at(i), entry);
        if (!problem.isEmpty() && !firstError)
            firstError = rowError(m_path, i + 1, problem);
        rows.append(entry);
    }
    if (!rows.isEmpty())
        useRows(rows);
    if (firstError)
        return *firstError;
    return {};
}

int RegistrarTable::findRegistrar(const QString &name, bool useProxy) const {
    if (useProxy)
        return m_firstRow.value(QStringLiteral("proxy"), -1);
    QString key = name.trimmed().toLower();
    if (key.endsWith(QLatin1Char('.')))
        key.chop(1);
    // "shop.example.co.uk": example.co.uk, co.uk, uk. A name without a dot is its own key.
    qsizetype dot = key.indexOf(QLatin1Char('.'));
    while (dot >= 0) {
        const int row = m_firstRow.value(key.mid(dot + 1), -1);
        if (row >= 0)
            return row;
        dot = key.indexOf(QLatin1Char('.'), dot + 1);
    }
    return m_firstRow.value(key, -1);
}

Route RegistrarTable::route(const QString &name, bool useProxy) const {
    const int k = findRegistrar(name, useProxy);
    if (k < 0) {
        Route none;
        if (useProxy) {
            none.extension = QStringLiteral("proxy");
            none.reason = QStringLiteral("the proxy switch is on but the table has no proxy row");
        } else {
            none = RouteTable::shipped().route(name);
        }
        return none;
    }
    const RegistrarEntry &row = m_rows.at(k);
    Route route;
    route.extension = row.extension;
    route.server = row.server;
    route.port = row.port;
    if (row.isRdap()) {
        route.kind = Route::Kind::Rdap;
        route.knownRdapBase = !useProxy && RouteTable::shipped().isKnownRdapBase(
                                               name.section(QLatin1Char('.'), -1), row.server);
    } else {
        route.kind = Route::Kind::Whois;
    }
    return route;
}

bool RegistrarTable::isDelegated(const QString &extension) {
    return RouteTable::shipped().isDelegated(extension);
}

Result<> RegistrarTable::saveRegistrar(const QString &extension, const QString &server,
                                       const QString &port, bool enabled) {
    const QString ext = extension.toLower();
    const QString newRow = QStringList{ext, server, port, statusText(enabled)}.join(Separator);

    const Result<QStringList> read = TextFile::readLines(m_path);
    if (read.failed())
        return read.error();
    const QStringList &lines = read.value();

    QString content = Crlf;
    bool replaced = false;
    for (const QString &line : lines) {
        if (isBlank(line))
            continue;
        if (line.section(Separator, 0, 0) == ext) {
            content += newRow + Crlf;
            replaced = true;
        } else {
            content += line + Crlf;
        }
    }
    content += Crlf;
    // A new extension goes at the end; written in the same pass so the file is never left
    // without it.
    if (!replaced)
        content += newRow + Crlf;
    return TextFile::writeAll(m_path, content);
}

Result<> RegistrarTable::appendRegistrar(const QString &extension, const QString &server,
                                         const QString &port, const QString &status) {
    const QString row = QStringList{extension, server, port, status}.join(Separator);
    return TextFile::append(m_path, row + Crlf);
}

QList<QStringList> RegistrarTable::fileRows(std::optional<Error> *error) const {
    if (error)
        error->reset();
    const Result<QStringList> read = TextFile::readLines(m_path);
    if (read.failed()) {
        if (error)
            *error = read.error();
        return {};
    }
    const QStringList &lines = read.value();
    QList<QStringList> rows;
    for (int i = 0; i < lines.size(); ++i) {
        if (isBlank(lines.at(i)))
            continue;
        const QStringList fields = lines.at(i).split(Separator);
        if (fields.size() < FieldCount) {
            if (error)
                *error = rowError(m_path, i + 1,
                                  QStringLiteral("a row needs four fields separated by \"|\""));
            break;
        }
        rows.append(fields.mid(0, FieldCount));
    }
    return rows;
}

Result<> RegistrarTable::rewriteFromRows(const QList<QStringList> &rows) {
    QString content;
    for (const QStringList &row : rows)
        content += row.join(Separator) + Crlf + Crlf;
    return TextFile::writeAll(m_path, content);
}

void RegistrarTable::setRows(const QList<RegistrarEntry> &rows) {
    useRows(rows);
}

void RegistrarTable::useRows(const QList<RegistrarEntry> &rows) {
    m_rows = rows;
    m_ownRows = rows.size();
    m_enabled.clear();
    m_dottedEnabled.clear();
    m_firstRow.clear();
    for (int i = 0; i < m_rows.size(); ++i) {
        const RegistrarEntry &row = m_rows.at(i);
        if (row.enabled && row.extension != QLatin1String("proxy") && !row.extension.isEmpty()) {
            m_enabled.append(row.extension);
            m_dottedEnabled.append(QLatin1Char('.') + row.extension);
        }
        // A row without a server (a bad row, or an extension with no public service) routes
        // nothing; the extension's shipped route, if any, is used instead.
        if (!row.extension.isEmpty() && !row.server.isEmpty() &&
            !m_firstRow.contains(row.extension))
            m_firstRow.insert(row.extension, i);
    }
    const RouteTable &routes = RouteTable::shipped();
    for (const QString &ext : routes.extensions()) {
        if (m_firstRow.contains(ext))
            continue;
        const Route route = routes.route(ext);
        if (!route.exists())
            continue;
        m_firstRow.insert(ext, int(m_rows.size()));
        m_rows.append(RegistrarEntry{ext, route.server, route.port, false});
    }
}
