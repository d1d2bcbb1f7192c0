#include "monitor/metrics_server.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace kirv::monitor {

namespace {

constexpr int ClientDeadlineMs = 5000;
constexpr int ClientsMax = 16;

const char* reason(Route route)
{
    switch (route) {
    case Route::Metrics: return "200 OK";
    case Route::NotFound: return "404 Not Found";
    case Route::NotAllowed: return "405 Method Not Allowed";
    case Route::TooLarge: return "431 Request Header Fields Too Large";
    case Route::BadRequest:
    case Route::Incomplete: break;
    }
    return "400 Bad Request";
}

} // namespace

Route routeOf(const QByteArray& received)
{
    const qsizetype end = received.indexOf("\r\n\r\n");
    const qsizetype bareEnd = received.indexOf("\n\n");
    if (end < 0 && bareEnd < 0)
        return received.size() >= RequestHeadMax ? Route::TooLarge : Route::Incomplete;
    if (std::max(end, bareEnd) >= RequestHeadMax)
        return Route::TooLarge;
    const QByteArray line = received.left(received.indexOf('\n')).trimmed();
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !parts[2].startsWith("HTTP/1.") || !parts[1].startsWith('/'))
        return Route::BadRequest;
    if (parts[0] != "GET" && parts[0] != "HEAD")
        return Route::NotAllowed;
    const qsizetype query = parts[1].indexOf('?');
    const QByteArray path = query < 0 ? parts[1] : parts[1].left(query);
    return path == "/metrics" ? Route::Metrics : Route::NotFound;
}

QByteArray responseFor(Route route, bool head, const QByteArray& body)
{
    const QByteArray content = route == Route::Metrics ? body : QByteArray(reason(route)) + '\n';
    const QByteArray type = route == Route::Metrics ? "text/plain; version=0.0.4; charset=utf-8" : "text/plain; charset=utf-8";
    return "HTTP/1.1 " + QByteArray(reason(route)) + "\r\nContent-Type: " + type
           + "\r\nContent-Length: " + QByteArray::number(content.size()) + "\r\nConnection: close\r\n\r\n"
           + (head ? QByteArray() : content);
}

MetricsServer::MetricsServer(std::function<QByteArray()> text, QObject* parent)
    : QObject(parent), m_text(std::move(text))
{
    connect(&m_server, &QTcpServer::newConnection, this, &MetricsServer::accept);
}

QString MetricsServer::listen(const ListenAddress& at)
{
    if (m_server.listen(QHostAddress(at.address), quint16(at.port)))
        return {};
    return QStringLiteral("Cannot serve metrics on %1:%2: %3").arg(at.address).arg(at.port).arg(m_server.errorString());
}

void MetricsServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_clients >= ClientsMax) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_clients;
        connect(socket, &QObject::destroyed, this, [this] { --m_clients; });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, received = std::make_shared<QByteArray>()] { take(socket, *received); });
        // A client that has not sent its request, or not taken the answer, by then is dropped.
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        deadline->start(ClientDeadlineMs);
    }
}

void MetricsServer::take(QTcpSocket* socket, QByteArray& received)
{
    if (socket->property("answered").toBool()) {
        socket->readAll(); // what follows the answered head is not read
        return;
    }
    received += socket->read(RequestHeadMax + 1 - received.size());
    const Route route = routeOf(received);
    if (route == Route::Incomplete)
        return;
    socket->setProperty("answered", true);
    const QByteArray response = responseFor(route, received.startsWith("HEAD "),
                                            route == Route::Metrics ? m_text() : QByteArray());
    if (socket->write(response) != response.size()) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    socket->disconnectFromHost(); // once the answer is out
}

} // namespace kirv::monitor
