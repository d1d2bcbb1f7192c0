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
    parser.setApplicationDescription(QStringLiteral(
        "Kirv: live panel, recording and logger download for the sound level meter.\n\n"
        "The port window comes first (--com chooses the port without it); once the panel is\n"
        "up, each FILE opens in a list window of its own (a file named twice opens once). A\n"
        "file that cannot be read is named with the reason, and the others still open.\n\n"
        "Exit status: 0 when the panel or the port window was closed, 1 when the port could\n"
        "not be opened, 2 on a bad command line."));
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
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("Data files (.kirv) to open, each in its own list window, as \"Open\" does, once "
                       "the panel is up."),
        QStringLiteral("[FILE...]"));

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
        *message = QStringLiteral("kirv %1\n").arg(QLatin1String(VersionText));
        return std::nullopt;
    }
    Options options;
    options.ports = parser.values(port);
    options.simulate = parser.isSet(simulate);
    options.com = parser.value(com);
    options.unpaced = parser.isSet(unpaced);
    options.files = parser.positionalArguments();
    return options;
}

} // namespace kirv
