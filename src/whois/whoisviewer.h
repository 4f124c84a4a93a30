#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

class QTcpSocket;
class QTextEdit;
class RdapQuery;

// Shows the complete WHOIS reply for one name. The viewer asks one fixed server (not the
// registrar table), sends the name on connection and shows everything it received once the
// server closes the connection. It has no time-out: a silent server leaves the box empty.
// A server given as an http(s) address is an RDAP base URL: the viewer shows the response
// body, JSON pretty-printed. The window deletes itself when closed.
class WhoisViewer : public QWidget {
    Q_OBJECT
public:
    WhoisViewer(const QString &server, quint16 port, const QString &name, QWidget *parent = nullptr);
    ~WhoisViewer() override;

    QString name() const { return m_name; }

signals:
    // The server closed the connection and `text1` now holds its reply.
    void replyShown();

private:
    void onConnected();
    void onReadyRead();
    void onClosedByServer();
    void showRdap(int status, const QByteArray &body, const QString &error);

    QString m_name;
    QByteArray m_reply;
    QTextEdit *m_replyView = nullptr;
    QTcpSocket *m_socket = nullptr;
    RdapQuery *m_rdap = nullptr;
};
