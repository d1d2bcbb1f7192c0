#pragma once

// The lines of a data file the program wrote, for the end-to-end suites.
#include <QFile>
#include <QString>
#include <QStringList>

// The file's lines without their ends; one line saying so when the ends are not all CRLF.
inline QStringList fileLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (!bytes.endsWith("\r\n") || bytes.count("\r\n") != bytes.count('\n'))
        return {QStringLiteral("line ends are not CRLF")};
    QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}
