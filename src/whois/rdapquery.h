#pragma once

#include "whois/verdict.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
#include <QNetworkReply>

// One RDAP domain lookup (RFC 9082/9083): GET <base>domain/<ascii name> asking for
// application/rdap+json. The body is kept up to the reply cap; redirects are followed by hand,
// at most three, and one to another host only over https.
class RdapQuery : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxRedirects = 3;

    struct Result {
        int status = 0;            // HTTP status, 0 when none arrived
        QByteArray body;           // capped at ReplyClassifier::MaxReplyBytes
        QString error;             // transport failure (refused, TLS, redirect refused), or ""
        int retryAfterSeconds = 0; // from a Retry-After header
    };

    explicit RdapQuery(QNetworkAccessManager &network, QObject *parent = nullptr);
    ~RdapQuery() override;

    // Starts a lookup, dropping any running one (which then reports nothing).
    void start(const QString &baseUrl, const QString &asciiName);
    void abort();
    bool running() const { return m_reply != nullptr; }

    // The address asked for `asciiName` at `baseUrl` ("/" added to the base when missing).
    static QUrl lookupUrl(const QString &baseUrl, const QString &asciiName);
    // 404 free, 200 taken, anything else unknown with its reason.
    static Verdict verdictOf(const Result &result, QString *reason);
    // Seconds asked for by a Retry-After value (delay-seconds or an HTTP date), 0 when unusable.
    static int retryAfterSeconds(const QByteArray &value);

signals:
    void finished(const RdapQuery::Result &result);

private:
    void get(const QUrl &url);
    void onReadyRead();
    void onFinished();
    void finish(const Result &result);

    QNetworkAccessManager &m_network;
    QPointer<QNetworkReply> m_reply;
    QUrl m_url;
    int m_redirects = 0;
    int m_status = 0;
    QByteArray m_body;
    bool m_capped = false;
};
