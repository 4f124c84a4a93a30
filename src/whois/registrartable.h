#pragma once

#include "core/result.h"
#include "whois/routetable.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One row of the registrar table: which WHOIS server answers for an extension.
struct RegistrarEntry {
    QString extension; // lower case, no dot; "proxy" marks the proxy row
    QString server;    // lower case; an http:// or https:// address is an RDAP base URL
    quint16 port = 0;  // kept for RDAP rows, not used
    bool enabled = false;

    bool isRdap() const;
    static bool isRdapServer(const QString &server);
};

// The process-wide values that go with the table.
struct WhoisOptions {
    bool ProxySwitch = false;
    QString DefaultExtension = QStringLiteral(".com");
};

// The registrar table: the file registrars.txt ("extension|server|port|status" rows) and its
// in-memory copy. Rows keep the file's order; the first usable row of an extension wins. After
// the file's rows, the in-memory table holds the shipped route of every delegated extension the
// file has no usable row for (disabled), so a name always goes to its own registry or nowhere.
class RegistrarTable {
public:
    explicit RegistrarTable(const QString &filePath = {});

    QString filePath() const { return m_path; }
    void setFilePath(const QString &path) { m_path = path; }
    // The file's rows (indexes match the file), then the shipped routes the file lacks.
    const QList<RegistrarEntry> &rows() const { return m_rows; }
    // How many of rows() came from the file (or setRows); the rest are shipped routes.
    qsizetype ownRowCount() const { return m_ownRows; }
    // Replaces the in-memory rows (tests and callers that build a table by hand).
    void setRows(const QList<RegistrarEntry> &rows);
    // The extensions that count for harvesting, in table order: enabled rows, never the proxy
    // row; with and without their leading dot. Kept with the rows, as page text asks per name.
    const QStringList &enabledExtensions() const { return m_enabled; }
    const QStringList &dottedEnabledExtensions() const { return m_dottedEnabled; }

    // Writes the default table when the file is missing; with `restoreDefaults` the file is
    // deleted first. Nothing is changed in an existing file otherwise.
    Result<> ensureRegistrarFile(bool restoreDefaults);
    // Reads the file into memory. A bad row (fewer than four fields, a port that is not a whole
    // number from 1 to 65535) stays an empty, disabled row so indexes still match the file; loading
    // goes on and the first such problem is returned. A file with no rows leaves the table
    // unchanged.
    Result<> loadRegistrars();
    // Index of the row to query for `name`: with `useProxy` the first "proxy" row; otherwise the
    // first row with a server for the longest suffix of the name that has one ("co.uk", then
    // "uk"). -1 when there is none: a name is never asked of another extension's server.
    int findRegistrar(const QString &name, bool useProxy) const;
    // The same choice as a route: server, port, WHOIS or RDAP, whether an RDAP base is a known
    // service of the extension; or no route with its reason.
    Route route(const QString &name, bool useProxy) const;
    // Whether `extension` ("io", "co.uk") is under a delegated top-level domain.
    static bool isDelegated(const QString &extension);
    // Adds the row or replaces every row of that extension in place (whole-file rewrite).
    Result<> saveRegistrar(const QString &extension, const QString &server, const QString &port,
                           bool enabled);
    Result<> appendRegistrar(const QString &extension, const QString &server, const QString &port,
                             const QString &status);
    // The non-blank rows of the file as the file has them (four fields each), for list views.
    // Stops at a row with fewer than four fields and reports it through `error`.
    QList<QStringList> fileRows(std::optional<Error> *error = nullptr) const;
    // Rewrites the file from displayed rows, each followed by an empty line.
    Result<> rewriteFromRows(const QList<QStringList> &rows);

    // The default file: the classic 92 rows in their order (each with its registry's route
    // today), then every other delegated extension in alphabetical order. Only "proxy", "com",
    // "net", "info", "biz" and "name" are enabled. An extension without a public registry
    // service keeps its row with an empty server.
    static QByteArray defaultFileContent();

private:
    QString m_path;
    void useRows(const QList<RegistrarEntry> &rows);

    QList<RegistrarEntry> m_rows;
    qsizetype m_ownRows = 0;
    QHash<QString, int> m_firstRow; // extension -> first row with a server
    QStringList m_enabled;
    QStringList m_dottedEnabled;
};
