#pragma once

#include "monitor/monitor_options.h"

#include <QByteArray>
#include <QObject>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

namespace kirv::monitor {

// What a request head asks for, from the bytes received so far.
enum class Route {
    Incomplete, // the head has not ended yet
    Metrics,    // GET or HEAD /metrics
    NotFound,
    BadRequest,
    NotAllowed, // a method other than GET and HEAD
    TooLarge,   // no end of the head within the limit
};
inline constexpr qsizetype RequestHeadMax = 8192;
Route routeOf(const QByteArray& received);

// The HTTP response for a route; `body` is the metrics text, sent for GET only.
QByteArray responseFor(Route route, bool head, const QByteArray& body);

// GET /metrics over plain HTTP/1.1, one request a connection. A client has a few seconds to
// send its request head (8 KiB at most) and take the answer; a few clients at once at most,
// one beyond them is closed at once.
class MetricsServer : public QObject
{
    Q_OBJECT
public:
    explicit MetricsServer(std::function<QByteArray()> text, QObject* parent = nullptr);

    // Empty on success, else what went wrong ("address in use", ...).
    [[nodiscard]] QString listen(const ListenAddress& at);

private:
    void accept();
    void take(QTcpSocket* socket, QByteArray& received);

    QTcpServer m_server;
    std::function<QByteArray()> m_text;
    int m_clients = 0;
};

} // namespace kirv::monitor
