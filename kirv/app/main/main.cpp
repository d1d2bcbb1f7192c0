#include "kirv/app/options.h"
#include "kirv/app/ui/application.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kirv"));
    QApplication::setApplicationVersion(QStringLiteral("7.0"));
    // The panel ends the program when it closes; the port window and the virtual meter do not.
    QApplication::setQuitOnLastWindowClosed(false);

    QString message;
    bool isError = false;
    const auto options = kirv::parseOptions(QApplication::arguments(), &message, &isError);
    if (!options) {
        std::fputs(qPrintable(message), isError ? stderr : stdout);
        return isError ? 2 : 0;
    }

    kirv::Application kirvApp(*options);
    QObject::connect(&kirvApp, &kirv::Application::finished, &app, &QApplication::exit);
    QTimer::singleShot(0, &kirvApp, &kirv::Application::start);
    return app.exec();
}
