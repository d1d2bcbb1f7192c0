// kirv-meter-sim: a virtual meter on a pseudo-terminal, driven by commands on standard input.

#include "sim/meter_console.h"
#include "sim/virtual_meter.h"
#include "kirv/version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

void printLine(const QString& text)
{
    std::fputs(qPrintable(text + '\n'), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kirv-meter-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "A virtual sound level meter on a pseudo-terminal. Prints the device path, then takes\n"
            "commands on standard input, one a line:\n")
        + kirv::sim::MeterConsole::help()
        + QStringLiteral("\n\nExit status: 0 at the end of the input or after \"quit\", 1 when no\n"
                         "pseudo-terminal can be opened, 2 on a bad command line."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    parser.addOption(version);
    const QCommandLineOption unpaced(QStringLiteral("unpaced"),
                                     QStringLiteral("Send as fast as the pty takes it."));
    const QCommandLineOption interval(QStringLiteral("interval"),
                                      QStringLiteral("Live frame interval in ms (default 20)."),
                                      QStringLiteral("MS"), QStringLiteral("20"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Keep a symbolic link PATH to the pseudo-terminal, a stable "
                                                 "name through \"vanish\" and \"return\"."),
                                  QStringLiteral("PATH"));
    parser.addOption(unpaced);
    parser.addOption(interval);
    parser.addOption(link);
    // A bad command line ends with 2, as with the other programs, not with process()'s 1.
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "kirv-meter-sim: %s\nTry 'kirv-meter-sim --help'.\n",
                     qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(version)) {
        printLine(QStringLiteral("kirv-meter-sim %1").arg(QLatin1String(kirv::VersionText)));
        return 0;
    }

    bool ok = false;
    const int intervalMs = parser.value(interval).toInt(&ok);
    if (!ok || intervalMs < 1) {
        std::fprintf(stderr, "kirv-meter-sim: --interval wants a whole number of ms >= 1\n");
        return 2;
    }

    kirv::sim::VirtualMeter meter;
    meter.setPaced(!parser.isSet(unpaced));
    meter.setFrameInterval(intervalMs);
    if (parser.isSet(link)) {
        if (parser.value(link).isEmpty()) {
            std::fprintf(stderr, "kirv-meter-sim: --link wants a path\n");
            return 2;
        }
        meter.setLinkPath(parser.value(link));
    }
    QString error;
    if (!meter.start(&error)) {
        std::fprintf(stderr, "kirv-meter-sim: cannot open a pseudo-terminal or its link: %s\n",
                     qPrintable(error));
        return 1;
    }
    printLine(QStringLiteral("kirv-meter-sim: ") + meter.devicePath());

    kirv::sim::MeterConsole console(meter);
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[1024];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0) { // end of input: the driving script is gone
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            bool quit = false;
            const QString answer = console.execute(line, &quit);
            if (!answer.isEmpty())
                printLine(answer);
            if (quit) {
                input.setEnabled(false);
                QCoreApplication::quit();
                return;
            }
        }
    });
    return app.exec();
}
