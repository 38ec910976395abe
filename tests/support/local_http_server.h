#pragma once

// A small HTTP server on 127.0.0.1 for the tests of opening pages from web
// addresses. Each route answers with a status, headers and a body; a route
// marked silent accepts the connection and never answers. Every request's
// path is recorded.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

struct HttpRoute
{
    int status = 200;
    QByteArray contentType = "text/html";
    QByteArray body;
    bool silent = false;
};

class LocalHttpServer : public QObject
{
public:
    QHash<QString, HttpRoute> routes;
    QStringList requested;

    bool start() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 port() const { return m_server.serverPort(); }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }

    LocalHttpServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
    }

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
        pending.clear();
        const QString path = QString::fromLatin1(requestLine.value(1));
        requested << path;
        const auto it = routes.constFind(path);
        HttpRoute route
            = it != routes.constEnd() ? *it : HttpRoute { 404, "text/html", "none", false };
        if (route.silent)
            return;
        QByteArray answer = "HTTP/1.1 " + QByteArray::number(route.status) + " "
            + (route.status == 200       ? "OK"
                   : route.status == 404 ? "Not Found"
                                         : "Error")
            + "\r\nContent-Type: " + route.contentType + "\r\nContent-Length: "
            + QByteArray::number(route.body.size()) + "\r\nConnection: close\r\n\r\n" + route.body;
        socket->write(answer);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
};
