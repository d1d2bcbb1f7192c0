#include "kirv/app/options.h"
#include "kirv/app/ui/application.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    // The command line is answered before any window system is touched, so --help and
    // --version work on a machine without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString message;
    bool isError = false;
    const auto options = kirv::parseOptions(arguments, &message, &isError);
    if (!options) {
        std::fputs(qPrintable(message), isError ? stderr : stdout);
        return isError ? 2 : 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kirv"));
    QApplication::setApplicationVersion(QString::fromLatin1(kirv::VersionText));
    // Ties the windows to the installed desktop entry (its icon and name in task bars).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kirv.Kirv"));
    // The panel ends the program when it closes; the port window and the virtual meter do not.
    QApplication::setQuitOnLastWindowClosed(false);

    kirv::Application kirvApp(*options);
    QObject::connect(&kirvApp, &kirv::Application::finished, &app, &QApplication::exit);
    QTimer::singleShot(0, &kirvApp, &kirv::Application::start);
    return app.exec();
}
