#include "start/mainform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Start"));
    kirv::MainForm form;
    form.show();
    return app.exec();
}
