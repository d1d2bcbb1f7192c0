#include "start/programstart.h"

#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kirv {

QString startProgram(const QString &program, const QString &workingDirectory)
{
    QProcess process;
    process.setProgram(program);
    process.setWorkingDirectory(workingDirectory);
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_SHOWNOACTIVATE;
    });
#endif
    if (process.startDetached())
        return {};

    // The reason is looked for only after the start failed, so that it describes what was tried.
    const QFileInfo info(program);
    if (!info.exists())
        return QStringLiteral("The file does not exist.");
    if (!info.isFile() || !info.isExecutable())
        return QStringLiteral("The file is not a program that can be run.");
    return process.errorString();
}

} // namespace kirv
