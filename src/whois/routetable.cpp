#include "whois/routetable.h"

#include "routedata.h"

#include <QRegularExpression>

namespace {

constexpr quint16 WhoisPort = 43;
constexpr quint16 RdapPort = 443;

QString lastLabel(const QString &extension) {
    QString key = extension.trimmed().toLower();
    if (key.endsWith(QLatin1Char('.')))
        key.chop(1);
    return key.mid(key.lastIndexOf(QLatin1Char('.')) + 1);
}

bool isLabel(const QString &text) {
    static const QRegularExpression shape(QStringLiteral("^[a-z0-9](?:[a-z0-9-]*[a-z0-9])?$"));
    return shape.match(text).hasMatch();
}

Error lineError(const QString &file, int line, const QString &message) {
    return Error{QStringLiteral("read"), file, message, line};
}

struct Choice {
    QString route;
    int line = 0;
};

} // namespace

const RouteTable &RouteTable::shipped() {
    static const RouteTable table = [] {
        const Result<RouteTable> parsed =
            parse(QString::fromUtf8(kTldRoutes), QString::fromUtf8(kRouteChoices));
        // The shipped files are checked by the tests; a broken build still runs, routeless.
        return parsed.ok() ? parsed.value() : RouteTable();
    }();
    return table;
}

QString RouteTable::normalBase(const QString &url) {
    QString base = url.trimmed();
    if (!base.isEmpty() && !base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base;
}

QString RouteTable::noRouteReason(const QString &extension) {
    return QStringLiteral("no public registry service for .") + extension;
}

Result<RouteTable> RouteTable::parse(const QString &routes, const QString &choices,
                                     const QString &routesName, const QString &choicesName) {
    QHash<QString, Choice> chosen;
    const QStringList choiceLines = choices.split(QLatin1Char('\n'));
    for (int i = 0; i < choiceLines.size(); ++i) {
        const QString line = choiceLines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 3 || fields.at(2).trimmed().isEmpty())
            return lineError(choicesName, i + 1,
                             QStringLiteral("a line needs three tab-separated fields: extension, "
                                            "route, why"));
        const QString ext = fields.at(0).trimmed().toLower();
        const QString route = fields.at(1).trimmed().toLower();
        if (!isLabel(ext))
            return lineError(choicesName, i + 1,
                             QStringLiteral("\"%1\" is not an extension").arg(fields.at(0)));
        if (route != QLatin1String("rdap") && route != QLatin1String("whois") &&
            route != QLatin1String("none"))
            return lineError(
                choicesName, i + 1,
                QStringLiteral("the route \"%1\" is not rdap, whois or none").arg(fields.at(1)));
        if (chosen.contains(ext))
            return lineError(choicesName, i + 1, QStringLiteral("a second line for .%1").arg(ext));
        chosen.insert(ext, Choice{route, i + 1});
    }

    RouteTable table;
    const QStringList lines = routes.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 5)
            return lineError(routesName, i + 1,
                             QStringLiteral("a line needs at least five tab-separated fields"));
        const QString ext = f.at(0).trimmed().toLower();
        const QString whois = f.at(2).trimmed().toLower();
        const QString base = normalBase(f.at(3));
        const QString source = f.at(4).trimmed();
        if (!isLabel(ext))
            return lineError(routesName, i + 1,
                             QStringLiteral("\"%1\" is not an extension").arg(f.at(0)));
        if (table.m_routes.contains(ext))
            return lineError(routesName, i + 1, QStringLiteral("a second line for .%1").arg(ext));
        if (!base.isEmpty() && !base.startsWith(QLatin1String("https://")) &&
            !base.startsWith(QLatin1String("http://")))
            return lineError(
                routesName, i + 1,
                QStringLiteral("the RDAP base \"%1\" is not an http(s) address").arg(f.at(3)));
        if (!base.isEmpty() && source != QLatin1String("IANA") &&
            source != QLatin1String("supplemental"))
            return lineError(
                routesName, i + 1,
                QStringLiteral("the RDAP source \"%1\" is not IANA or supplemental").arg(source));
        Route route;
        route.extension = ext;
        if (!base.isEmpty())
            table.m_bases.insert(ext, base);

        QString use = base.isEmpty() ? QString() : QStringLiteral("rdap");
        if (!base.isEmpty() && source == QLatin1String("supplemental")) {
            // A registry's own service is used only where someone looked at it and chose.
            if (!chosen.contains(ext))
                return lineError(routesName, i + 1,
                                 QStringLiteral(".%1 has a registry RDAP service but no line in %2")
                                     .arg(ext, choicesName));
            use = chosen.value(ext).route;
        } else if (chosen.contains(ext)) {
            use = chosen.value(ext).route;
        }
        if (use.isEmpty())
            use = whois.isEmpty() ? QStringLiteral("none") : QStringLiteral("whois");
        if (use == QLatin1String("rdap") && base.isEmpty())
            return lineError(choicesName, chosen.value(ext).line,
                             QStringLiteral(".%1 has no RDAP base to use").arg(ext));
        if (use == QLatin1String("whois") && whois.isEmpty())
            return lineError(choicesName, chosen.value(ext).line,
                             QStringLiteral(".%1 has no WHOIS host to use").arg(ext));

        if (use == QLatin1String("rdap")) {
            route.kind = Route::Kind::Rdap;
            route.server = base;
            route.port = RdapPort;
            route.knownRdapBase = true;
        } else if (use == QLatin1String("whois")) {
            route.kind = Route::Kind::Whois;
            route.server = whois;
            route.port = WhoisPort;
        } else {
            route.reason = noRouteReason(ext);
        }
        table.m_routes.insert(ext, route);
    }
    for (auto it = chosen.cbegin(); it != chosen.cend(); ++it) {
        if (!table.m_routes.contains(it.key()))
            return lineError(choicesName, it.value().line,
                             QStringLiteral(".%1 is not in %2").arg(it.key(), routesName));
    }
    return table;
}

bool RouteTable::isDelegated(const QString &extension) const {
    return m_routes.contains(lastLabel(extension));
}

Route RouteTable::route(const QString &extension) const {
    const QString key = lastLabel(extension);
    const auto found = m_routes.constFind(key);
    if (found != m_routes.cend())
        return found.value();
    Route none;
    none.extension = key;
    none.reason = noRouteReason(key);
    return none;
}

bool RouteTable::isKnownRdapBase(const QString &extension, const QString &baseUrl) const {
    const QString known = m_bases.value(lastLabel(extension));
    return !known.isEmpty() && normalBase(baseUrl).compare(known, Qt::CaseInsensitive) == 0;
}

QStringList RouteTable::extensions() const {
    QStringList list = m_routes.keys();
    list.sort();
    return list;
}
