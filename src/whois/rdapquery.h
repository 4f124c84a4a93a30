#pragma once

#include "whois/rdapreading.h"
#include "whois/verdict.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;
class RdapServers;
#include <QNetworkReply>

// One RDAP domain lookup (RFC 9082/9083): GET <base>domain/<ascii name> asking for
// application/rdap+json, the name one percent-encoded path segment. The body is kept up to the
// reply cap; redirects are followed by hand under RdapRedirectPolicy. With a register of RDAP
// servers, a 404 from a base that is neither known nor shown to speak RDAP is checked by asking
// the base for its help before it is believed.
class RdapQuery : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxRedirects = 3;

    struct Result : RdapReading::Reply {
        QString name;             // the ASCII name asked
        bool trustedBase = false; // its server is known or shown to speak RDAP
    };

    // A query with a network manager of its own, so that its request never waits for a
    // connection another query holds: a pool of N queries opens N connections to one host.
    explicit RdapQuery(QObject *parent = nullptr);
    RdapQuery(QNetworkAccessManager &network, QObject *parent = nullptr);
    ~RdapQuery() override;

    // Where 404s are judged and servers remembered; null (the viewer) asks no help.
    void setServers(RdapServers *servers) { m_servers = servers; }

    // Starts a lookup, dropping any running one (which then reports nothing).
    void start(const QString &baseUrl, const QString &asciiName);
    void abort();
    bool running() const { return m_reply != nullptr || m_hostLookup >= 0; }

    // The address asked for `asciiName` at `baseUrl` ("/" added to the base when missing).
    static QUrl lookupUrl(const QString &baseUrl, const QString &asciiName);
    // Free, taken or unknown with its reason, as RdapReading reads the result.
    static Verdict verdictOf(const Result &result, QString *reason);
    // Seconds asked for by a Retry-After value (see RdapReading::retryAfterSeconds).
    static int retryAfterSeconds(const QByteArray &value);

signals:
    // The request went out: a deadline for the answer starts now.
    void sent();
    void finished(const RdapQuery::Result &result);

private:
    void get(const QUrl &url);
    void onReadyRead();
    void onFinished();
    void onLookupReply(QNetworkReply *reply, Result result);
    void onHelpReply(const Result &help);
    void followRedirect(const QUrl &target, const Result &redirect);
    void finish(Result result);
    QString extension() const;

    std::unique_ptr<QNetworkAccessManager> m_ownNetwork;
    QNetworkAccessManager &m_network;
    RdapServers *m_servers = nullptr;
    QPointer<QNetworkReply> m_reply;
    QUrl m_base;
    QUrl m_url;
    QString m_name;
    int m_redirects = 0;
    int m_status = 0;
    QByteArray m_body;
    bool m_capped = false;
    bool m_askingHelp = false;
    int m_hostLookup = -1;     // a redirect target's name being resolved
    quint64 m_generation = 0;  // bumped by abort(): a late resolution is dropped
    Result m_pending; // the lookup's 404 while the base's help is asked
};
