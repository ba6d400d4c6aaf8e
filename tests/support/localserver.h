#pragma once
// A web server on 127.0.0.1 inside a test: it answers each request with
// what `answer` makes of its target ("/path?query"), keeps the requests it
// was sent, and can be made silent or stopped. It runs in the test's thread,
// and so answers while the code under test waits in an event loop.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>

class LocalServer : public QObject
{
public:
    using Answer = std::function<QByteArray(const QByteArray &target)>;

    explicit LocalServer(Answer answer) : m_answer(std::move(answer))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(*socket); });
            }
        });
    }

    // What VEVURID_AAVSO_URL takes: scheme, host and port.
    QByteArray address() const { return "http://127.0.0.1:" + QByteArray::number(m_server.serverPort()); }
    quint16 port() const { return m_server.serverPort(); }

    // Each request's head, whole, in order.
    const QList<QByteArray> &requests() const { return m_requests; }
    QList<QByteArray> targets() const
    {
        QList<QByteArray> result;
        for (const QByteArray &request : m_requests)
            result << request.split(' ').value(1);
        return result;
    }

    // Keeps the connections open and never answers.
    void beSilent() { m_silent = true; }
    // Refuses connections from now on: the port is closed.
    void stop() { m_server.close(); }

    static QByteArray ok(const QByteArray &body, const QByteArray &type = "text/plain")
    {
        return "HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size())
            + "\r\nConnection: close\r\n\r\n" + body;
    }
    static QByteArray status(int code, const QByteArray &text, const QByteArray &body = QByteArray(),
                             const QByteArray &type = "text/html")
    {
        return "HTTP/1.1 " + QByteArray::number(code) + ' ' + text + "\r\nContent-Type: " + type
            + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }
    static QByteArray redirect(const QByteArray &to)
    {
        return "HTTP/1.1 302 Found\r\nLocation: " + to + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    }

private:
    void serve(QTcpSocket &socket)
    {
        QByteArray &held = m_held[&socket];
        held += socket.readAll();
        const qsizetype end = held.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = held.left(end);
        held.clear();
        m_requests << head;
        if (m_silent)
            return;
        socket.write(m_answer(head.split(' ').value(1)));
        socket.disconnectFromHost();
    }

    Answer m_answer;
    QTcpServer m_server;
    QList<QByteArray> m_requests;
    QHash<QTcpSocket *, QByteArray> m_held;
    bool m_silent = false;
};
