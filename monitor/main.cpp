// kirv-monitor: the meter recorded unattended, one data file a day, alarms and MQTT.
#include "monitor/journal.h"
#include "monitor/monitor_options.h"
#include "monitor/mqtt_link.h"
#include "monitor/station.h"

#include "kirv/base/native_names.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char* argv[])
{
    const auto parsed = kirv::monitor::parseMonitorOptions(kirv::nativeArguments(argc, argv));
    if (!parsed.options) {
        std::fputs(qPrintable(parsed.message), parsed.exitCode ? stderr : stdout);
        return parsed.exitCode;
    }
    // A CA file the TLS library cannot take would only show as a connection that never comes.
    if (const QString& ca = parsed.options->mqtt.caFile; !ca.isEmpty() && !kirv::monitor::holdsCertificates(ca)) {
        kirv::monitor::say(QStringLiteral("--mqtt-tls %1: not a CA certificate file").arg(ca));
        return 2;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kirv-monitor"));

    // systemd stops the service with SIGTERM, a closed terminal hangs up: either way the day's
    // file is completed before the end.
    if (::pipe(g_signalPipe) != 0)
        return 1;
    QSocketNotifier stopSignals(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopSignals, &QSocketNotifier::activated, &app, [] {
        char byte;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &byte, 1);
        kirv::monitor::say(QStringLiteral("stopping"));
        QCoreApplication::quit();
    });
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGHUP, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    kirv::monitor::Station station(*parsed.options);
    if (const int code = station.start())
        return code;
    app.exec();
    return station.stop();
}
