#include "kirv/app/options.h"

#include <QCommandLineParser>

namespace kirv {

namespace {

// The help is asked for before the application object exists, so the parser does not know the
// program's name yet.
QString helpOf(const QCommandLineParser& parser)
{
    return parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("kirv"));
}

} // namespace

std::optional<Options> parseOptions(const QStringList& arguments, QString* message, bool* isError)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Kirv: live panel, recording and logger download for the sound level meter."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Serial device to list first in the port table (repeatable), e.g. /dev/ttyUSB0."),
        QStringLiteral("DEV"));
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Attach a virtual meter and list it as a port."));
    const QCommandLineOption com(QStringLiteral("com"),
                                 QStringLiteral("Choose the port (COM1..COM8, Auto or a device path) "
                                                "without showing the port window."),
                                 QStringLiteral("NAME"));
    const QCommandLineOption unpaced(QStringLiteral("unpaced"),
                                     QStringLiteral("Let the virtual meter send faster than the line."));
    parser.addOptions({help, version, port, simulate, com, unpaced});

    *isError = false;
    if (!parser.parse(arguments)) {
        *message = parser.errorText() + QLatin1Char('\n') + helpOf(parser);
        *isError = true;
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        *message = helpOf(parser);
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        *message = QStringLiteral("kirv %1\n").arg(QLatin1String(kVersion));
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message = QStringLiteral("Unexpected argument: %1\n").arg(parser.positionalArguments().first()) +
                   helpOf(parser);
        *isError = true;
        return std::nullopt;
    }
    Options options;
    options.ports = parser.values(port);
    options.simulate = parser.isSet(simulate);
    options.com = parser.value(com);
    options.unpaced = parser.isSet(unpaced);
    return options;
}

} // namespace kirv
